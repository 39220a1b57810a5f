// Helpers for tests that run under Wine against real files, windows and processes.
#pragma once

#include "common/Text.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"

#include <windows.h>

#include <shobjidl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace wintest
{

using common::win::U;
using common::win::W;

// A window the test created on its own thread, destroyed at the end of the scope.
struct WindowTraits
{
    using Handle = HWND;
    static Handle Invalid() noexcept
    {
        return nullptr;
    }
    static void Close(Handle window) noexcept
    {
        DestroyWindow(window);
    }
};
using UniqueWindow = common::win::Unique<WindowTraits>;

// The folder of the running test program; the programs under test and the fixtures sit beside it.
std::u16string BinFolder();

// A fresh folder under the temporary folder, removed with its content at the end of the test.
class TempFolder
{
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const std::u16string &Path() const noexcept
    {
        return m_path;
    }
    // Path() + "\" + name.
    std::u16string operator/(std::u16string_view name) const;

  private:
    std::u16string m_path;
};

// Removes a folder and everything in it.
void RemoveTree(const std::u16string &path);

void WriteBytes(const std::u16string &path, const std::string &bytes);
std::string ReadBytes(const std::u16string &path);

// Saves a shell link at `path` that starts `program` with `arguments` in `folder`; an empty program
// gives a link to "This PC", which is no file-system path.
void WriteShellLink(const std::u16string &path, const std::u16string &program,
                    const std::u16string &arguments, const std::u16string &folder);

// A file of `size` bytes that occupies (almost) no disk: its length is set without writing.
bool CreateSparseFile(const std::u16string &path, long long size);

// UTF-16 (little-endian unless asked otherwise) with byte-order mark, from UTF-8 source text.
std::string Utf16File(std::string_view utf8, bool bigEndian = false);

// Waits, letting this thread's messages run, until `condition` holds or `timeout` passes.
bool WaitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout);

// A started process; terminated at the end of the test if still running.
class Process
{
  public:
    // Starts `program` with `arguments` (already quoted as needed).
    Process(const std::u16string &program, const std::u16string &arguments,
            const std::u16string &folder = {});
    ~Process();

    DWORD Id() const noexcept
    {
        return m_id;
    }
    HANDLE Handle() const noexcept
    {
        return m_process.Get();
    }
    // The exit code once the process ended within `timeout`; STILL_ACTIVE otherwise.
    DWORD WaitForExit(std::chrono::milliseconds timeout);

  private:
    common::win::UniqueHandle m_process;
    DWORD m_id = 0;
};

// Ends every process started from an executable of this file name (the fixture targets a scenario
// leaves running, which a later start would find already running).
void EndProcessesNamed(const std::u16string &fileName);

// Ends whatever programs of the tests an earlier test left running (one that failed half way, a test
// program that was ended): every test starts on a desktop of its own session without them.
void EndLeftoverPrograms();

// The top-level windows of a process, visible or not.
std::vector<HWND> ProcessWindows(DWORD processId);

// The process's first top-level window of this class, visible or not; null when it has none.
HWND ProcessWindowOfClass(DWORD processId, const wchar_t *className);

// The first top-level window of the process with this caption (any class when className is null),
// waiting up to `timeout` for it to appear.
HWND WaitForWindow(DWORD processId, const wchar_t *className, const std::u16string &caption,
                   std::chrono::milliseconds timeout);

std::u16string WindowText(HWND window);

// A fixture program (KV2Target.exe) started for one test, with its main window of `className` once the
// program has shown it and waits for input: its own activation is over, so what happens to the window
// afterwards is what the test does. Window() is null when it did not come within 20 s.
class FixtureTarget
{
  public:
    explicit FixtureTarget(const std::u16string &arguments, const wchar_t *className = L"KV2TargetWindow");

    HWND Window() const noexcept
    {
        return m_window;
    }
    DWORD Id() const noexcept
    {
        return m_process.Id();
    }
    Process &Program() noexcept
    {
        return m_process;
    }

  private:
    Process m_process;
    HWND m_window = nullptr;
};

// Counts the calls a taskbar-list object receives; the shell's own object shows nothing under Wine.
class CountingTaskbarList : public ITaskbarList
{
  public:
    int addTab = 0, deleteTab = 0, activateTab = 0, hrInit = 0;
    int deleteTabVisible = 0; // of a window visible at the time, whose button the shell would show
    LONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object) override
    {
        if (riid == IID_IUnknown || riid == IID_ITaskbarList)
        {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        return static_cast<ULONG>(++references);
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        return static_cast<ULONG>(--references);
    }
    HRESULT STDMETHODCALLTYPE HrInit() override
    {
        ++hrInit;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE AddTab(HWND) override
    {
        ++addTab;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND window) override
    {
        ++deleteTab;
        if (IsWindowVisible(window))
            ++deleteTabVisible;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override
    {
        ++activateTab;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override
    {
        return S_OK;
    }
};

} // namespace wintest
