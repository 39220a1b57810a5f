// One move-only owner for every kind of Win32 handle KV2 holds.
#pragma once

#include <windows.h>

#include <utility>

namespace common::win
{

// Traits: `Handle` type, `Invalid()` value and `Close(handle)`.
template <typename Traits> class Unique
{
  public:
    using Handle = typename Traits::Handle;

    Unique() noexcept = default;
    explicit Unique(Handle handle) noexcept : m_handle(handle)
    {
    }
    Unique(const Unique &) = delete;
    Unique &operator=(const Unique &) = delete;
    Unique(Unique &&other) noexcept : m_handle(other.Release())
    {
    }
    Unique &operator=(Unique &&other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~Unique()
    {
        Reset();
    }

    Handle Get() const noexcept
    {
        return m_handle;
    }
    explicit operator bool() const noexcept
    {
        return m_handle != Traits::Invalid();
    }
    Handle Release() noexcept
    {
        return std::exchange(m_handle, Traits::Invalid());
    }
    // Closes the owned handle without disturbing the caller's GetLastError.
    void Reset(Handle handle = Traits::Invalid()) noexcept
    {
        const Handle old = std::exchange(m_handle, handle);
        if (old != Traits::Invalid())
        {
            const DWORD error = GetLastError();
            Traits::Close(old);
            SetLastError(error);
        }
    }

  private:
    Handle m_handle = Traits::Invalid();
};

struct KernelHandleTraits
{
    using Handle = HANDLE;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle h) noexcept
    {
        CloseHandle(h);
    }
};

// CreateFileW answers INVALID_HANDLE_VALUE, not NULL, on failure.
struct FileHandleTraits
{
    using Handle = HANDLE;
    static Handle Invalid() noexcept
    {
        return INVALID_HANDLE_VALUE;
    }
    static void Close(Handle h) noexcept
    {
        CloseHandle(h);
    }
};

struct FindHandleTraits
{
    using Handle = HANDLE;
    static Handle Invalid() noexcept
    {
        return INVALID_HANDLE_VALUE;
    }
    static void Close(Handle h) noexcept
    {
        FindClose(h);
    }
};

struct IconTraits
{
    using Handle = HICON;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle h) noexcept
    {
        DestroyIcon(h);
    }
};

struct ModuleTraits
{
    using Handle = HMODULE;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle h) noexcept
    {
        FreeLibrary(h);
    }
};

struct GdiObjectTraits
{
    using Handle = HGDIOBJ;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle h) noexcept
    {
        DeleteObject(h);
    }
};

// A menu and, with it, every submenu attached to it.
struct MenuTraits
{
    using Handle = HMENU;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle h) noexcept
    {
        DestroyMenu(h);
    }
};

using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueIcon = Unique<IconTraits>;
using UniqueModule = Unique<ModuleTraits>;
using UniqueGdiObject = Unique<GdiObjectTraits>;
using UniqueMenu = Unique<MenuTraits>;

} // namespace common::win
