// Whole-program scenarios: KV2.exe started as a user starts it, with the fixture target program, and
// looked at and driven from outside through its windows and messages.
#pragma once

#include "../win/WinTestSupport.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace e2e
{

using namespace std::chrono_literals;

const std::u16string kMessageCaption = u"KV2 / Orvane";

std::u16string Kv2();
// The elevated program, KV2A.exe.
std::u16string Kv2A();
std::u16string TargetProgram();

// A copy of `program` (KV2.exe or KV2A.exe) in `folder`, with the task editor beside it or without: the
// build's folder holds the real editor, which other tests run.
std::u16string ProgramInFolder(const wintest::TempFolder &folder, const std::u16string &program,
                               bool withEditor);
std::u16string Quoted(const std::u16string &text);
std::u16string RoamingAppData();
// KV2's data folder, with its trailing backslash.
std::u16string DataFolder();
// Its local (not roaming) data folder, where the journal lives.
std::u16string LocalDataFolder();

// KV2's error log in the data folder.
std::u16string ErrorLog();
// Its text (empty when it cannot be read).
std::u16string ErrorLogText();

// A task file in `folder` whose program (`programName`, a file that is no program) cannot be started,
// without resident mode, so that KV2 ends on the tick after the launch error.
std::u16string WriteBrokenTaskFile(const wintest::TempFolder &folder, const std::u16string &programName,
                                   const std::u16string &taskName);

// Another program holding `file` open without sharing (from when this returns) until it ends, after
// `milliseconds`.
std::unique_ptr<wintest::Process> HoldFile(const std::u16string &file, int milliseconds);

using wintest::EndProcessesNamed;

struct MessageBoxContent
{
    std::u16string text;
    bool hasIcon = false;
    std::vector<int> buttons; // control ids of the visible buttons
};

// What a message box shows, read from its visible child controls.
MessageBoxContent ReadMessageBox(HWND box);

// Waits for a message box of the process with KV2's caption and for its controls to be shown.
std::optional<MessageBoxContent> WaitForMessageBox(DWORD processId, HWND &box,
                                                   std::chrono::milliseconds timeout);

// The hidden controller window of a running KV2 that manages `program`.
HWND WaitForController(wintest::Process &kv2, const std::u16string &program);

// A task file in a fresh folder for one scenario, a KV2 started on it, and the fixture target it
// manages, identified by a title of its own. Every process of the scenario ends with it.
class Scenario
{
  public:
    // `targetOptions`: arguments of the fixture after its title, where "{title}" stands for the title;
    // `taskExtra`: further task-file lines (other sections, or keys of "Tray Option" after a
    // "[Tray Option]" line).
    explicit Scenario(const std::string &taskExtra = {}, const std::string &targetOptions = {});
    ~Scenario();

    const std::u16string &Title() const noexcept
    {
        return m_title;
    }
    const std::u16string &TaskFile() const noexcept
    {
        return m_taskFile;
    }
    wintest::TempFolder &Folder() noexcept
    {
        return m_temp;
    }

    // Starts KV2 (or `program`, such as KV2A) on the task file and waits for its controller window.
    wintest::Process &Start(const std::u16string &program = Kv2());
    wintest::Process &Kv2Process()
    {
        return *m_kv2;
    }
    HWND Controller() const noexcept
    {
        return m_controller;
    }

    // The target's visible main window, waited for; then one more monitor tick so that KV2 has
    // attached it and its menu follows.
    HWND WaitForTarget(std::chrono::milliseconds timeout = 20s);
    // The main window of the target, visible or not; null when there is none.
    HWND FindTarget() const;

    // Posts a menu command as the tray menu does.
    void Command(unsigned id) const;

    // The value of a key of the task file's option section, as KV2 wrote it.
    std::u16string Option(const std::u16string &key) const;
    // The value of that key once it equals `expected` or, when it does not within `timeout`, as it
    // stands then: a command stores its option after acting on the target, so a test that has seen
    // the effect reads the file through this.
    std::u16string OptionOnceSaved(const std::u16string &key, const std::u16string &expected,
                                   std::chrono::milliseconds timeout = 10s) const;
    // The value of any key of the task file; "<absent>" when there is none.
    std::u16string TaskValue(const std::u16string &section, const std::u16string &key) const;

  private:
    wintest::TempFolder m_temp;
    std::u16string m_title;
    std::u16string m_taskFile;
    std::optional<wintest::Process> m_kv2;
    HWND m_controller = nullptr;
};

DWORD ProcessOf(HWND window);

// Whether the process has ended within `timeout`; true also for a process that cannot be opened.
bool ProcessEnded(DWORD processId, std::chrono::milliseconds timeout);

// The window's translucency in percent, rounded; 100 for a window that is not layered.
int TransPercent(HWND window);

bool IsTopMost(HWND window);

// Whether the notification area holds the tray icon of a KV2 process (the shell modifies only an icon
// it has).
bool TrayIconShown(DWORD processId);

} // namespace e2e
