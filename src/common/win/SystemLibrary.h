// A system DLL loaded by its full path in the system folder, never through the search path where a
// planted copy could be found, and freed with the object.
#pragma once

#include "common/win/Unique.h"

#include <windows.h>

namespace common::win
{

// Whether the calling thread has switched the file-system redirection of a 32-bit program on 64-bit
// Windows off (procwin's bracket tells). Windows cannot load a library while it is off, so nothing is
// loaded then; a load asked for anyway (by name here, or by entering COM) is counted, for the tests that
// guard against it.
void SetRedirectionOff(bool off) noexcept;
void CountLoadWithRedirectionOff() noexcept;
unsigned LoadsWithRedirectionOff() noexcept;

// An export of a system library the program has loaded already (user32.dll, kernel32.dll) cast to its
// documented signature: a function newer systems have; null on a system without it.
template <typename Signature> Signature LoadedFunction(const wchar_t *module, const char *name) noexcept
{
    // GetProcAddress answers a generic function pointer; the cast to the documented signature is the
    // usual way to bind an optional export.
    return reinterpret_cast<Signature>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(module), name)));
}

// The version of Windows (the manifest's list of supported systems makes the answer truthful).
OSVERSIONINFOW SystemVersion() noexcept;

class SystemLibrary
{
  public:
    // `name` is the DLL's file name, such as L"user32.dll". A library that cannot be loaded leaves
    // the object empty; its functions are then null.
    explicit SystemLibrary(const wchar_t *name);

    explicit operator bool() const noexcept
    {
        return static_cast<bool>(m_module);
    }

    // The exported function cast to its documented signature; null when the library or the export is
    // missing.
    template <typename Signature> Signature Find(const char *name) const noexcept
    {
        if (!m_module)
            return nullptr;
        // GetProcAddress answers a generic function pointer; the cast to the documented signature is
        // the usual way to bind an optional export.
        return reinterpret_cast<Signature>(reinterpret_cast<void *>(GetProcAddress(m_module.Get(), name)));
    }

  private:
    UniqueModule m_module;
};

} // namespace common::win
