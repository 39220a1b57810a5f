// One move-only owner for every kind of Win32 handle KV2 holds.
#pragma once

#include <windows.h>

#include <type_traits>
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
    // For a function that answers a new handle through a pointer, on an owner that holds none.
    Handle *Put() noexcept
    {
        return &m_handle;
    }
    // The members of an owned interface or object.
    Handle operator->() const noexcept
        requires std::is_pointer_v<Handle>
    {
        return m_handle;
    }
    // Closes the owned handle without disturbing the caller's GetLastError.
    void Reset(Handle handle = Traits::Invalid()) noexcept
    {
        const Handle old = std::exchange(m_handle, handle);
        if (old == Traits::Invalid())
            return;
        if constexpr (requires { Traits::kLeavesLastError; })
        {
            Traits::Close(old);
        }
        else
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

struct HookTraits
{
    using Handle = HHOOK;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle h) noexcept
    {
        UnhookWindowsHookEx(h);
    }
};

struct WinEventHookTraits
{
    using Handle = HWINEVENTHOOK;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle h) noexcept
    {
        UnhookWinEvent(h);
    }
};

// Memory the system allocated for the caller with LocalAlloc (security descriptors, SID strings).
struct LocalMemoryTraits
{
    using Handle = HLOCAL;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle h) noexcept
    {
        LocalFree(h);
    }
};

// A COM interface pointer: one reference, released with its owner. A release reports nothing through
// GetLastError.
template <typename Interface> struct ComTraits
{
    static constexpr bool kLeavesLastError = true;
    using Handle = Interface *;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle h) noexcept
    {
        h->Release();
    }
};

// A window's device context (the screen's for a null window), which is released to its window.
struct WindowDc
{
    HWND window = nullptr;
    HDC dc = nullptr;
    bool operator==(const WindowDc &) const = default;
};
struct WindowDcTraits
{
    static constexpr bool kLeavesLastError = true; // nobody asks after a measurement
    using Handle = WindowDc;
    static Handle Invalid() noexcept
    {
        return {};
    }
    static void Close(Handle h) noexcept
    {
        ReleaseDC(h.window, h.dc);
    }
};

using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFile = Unique<FileHandleTraits>;
using UniqueFind = Unique<FindHandleTraits>;
using UniqueIcon = Unique<IconTraits>;
using UniqueModule = Unique<ModuleTraits>;
using UniqueGdiObject = Unique<GdiObjectTraits>;
using UniqueMenu = Unique<MenuTraits>;
using UniqueHook = Unique<HookTraits>;
using UniqueWinEventHook = Unique<WinEventHookTraits>;
using UniqueLocalMemory = Unique<LocalMemoryTraits>;
template <typename Interface> using UniqueCom = Unique<ComTraits<Interface>>;

// The device context of `window` (the screen's for null), released when the owner goes.
class UniqueDc : public Unique<WindowDcTraits>
{
  public:
    explicit UniqueDc(HWND window) noexcept : Unique<WindowDcTraits>(Of(window))
    {
    }
    HDC Dc() const noexcept
    {
        return Get().dc;
    }

  private:
    static WindowDc Of(HWND window) noexcept
    {
        const HDC dc = GetDC(window);
        return dc != nullptr ? WindowDc{window, dc} : WindowDc{};
    }
};

} // namespace common::win
