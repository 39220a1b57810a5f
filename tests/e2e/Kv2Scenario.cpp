#include "Kv2Scenario.h"

#include "common/IniDocument.h"
#include "common/TextEncoding.h"
#include "common/win/TextFile.h"

#include <gtest/gtest.h>

#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace e2e
{

using namespace wintest;

std::u16string Kv2()
{
    return BinFolder() + u"\\KV2.exe";
}

std::u16string Kv2A()
{
    return BinFolder() + u"\\KV2A.exe";
}

std::u16string ProgramInFolder(const TempFolder &folder, const std::u16string &program, bool withEditor)
{
    const std::u16string copy = folder / std::u16string(program.substr(program.find_last_of(u'\\') + 1));
    EXPECT_TRUE(CopyFileW(W(program), W(copy), FALSE));
    if (withEditor)
    {
        EXPECT_TRUE(CopyFileW(W(BinFolder() + u"\\KV2C.exe"), W(folder / u"KV2C.exe"), FALSE));
    }
    return copy;
}

std::u16string TargetProgram()
{
    return BinFolder() + u"\\KV2Target.exe";
}

std::u16string Quoted(const std::u16string &text)
{
    return u"\"" + text + u"\"";
}

std::u16string RoamingAppData()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return U(path);
}

std::u16string DataFolder()
{
    return RoamingAppData() + u"\\Orvane\\KV2\\";
}

std::u16string ErrorLogText()
{
    common::win::StringList lines;
    try
    {
        common::win::LoadTextFile(lines, ErrorLog(), common::TextEncoding::Ansi);
    }
    catch (const std::exception &)
    {
    }
    return common::JoinLines(lines);
}

std::u16string LocalDataFolder()
{
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return U(path) + u"\\Orvane\\KV2\\";
}

std::u16string ErrorLog()
{
    return DataFolder() + u"Error.log";
}

std::u16string WriteBrokenTaskFile(const TempFolder &folder, const std::u16string &programName,
                                   const std::u16string &taskName)
{
    const std::u16string fake = folder / programName;
    WriteBytes(fake, "this is not a program");
    const std::u16string taskFile = folder / taskName;
    WriteBytes(taskFile, Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(fake) +
                                   "\r\n[Tray Option]\r\nLive=0\r\n"));
    return taskFile;
}

DWORD ProcessOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

bool ProcessEnded(DWORD processId, std::chrono::milliseconds timeout)
{
    common::win::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process)
        return true;
    return WaitForSingleObject(process.Get(), static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

int TransPercent(HWND window)
{
    if ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) == 0)
        return 100;
    BYTE alpha = 255;
    DWORD flags = 0;
    if (!GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) || (flags & LWA_ALPHA) == 0)
        return 100;
    return (alpha * 100 + 127) / 255;
}

bool IsTopMost(HWND window)
{
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool TrayIconShown(DWORD processId)
{
    const HWND handler = WaitForWindow(processId, L"KV2TrayIconHandler", u"", 5s);
    if (handler == nullptr)
        return false;
    NOTIFYICONDATAW probe{};
    probe.cbSize = NOTIFYICONDATAW_V2_SIZE;
    probe.hWnd = handler;
    probe.uID = 1; // the first icon of the process
    return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

MessageBoxContent ReadMessageBox(HWND box)
{
    MessageBoxContent content;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    {
        if (!IsWindowVisible(child))
            continue;
        wchar_t className[32] = {};
        GetClassNameW(child, className, 32);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (lstrcmpiW(className, L"Button") == 0)
            content.buttons.push_back(GetDlgCtrlID(child));
        else if (lstrcmpiW(className, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
            content.hasIcon = true;
        else if (lstrcmpiW(className, L"Static") == 0 && !WindowText(child).empty())
            content.text = WindowText(child);
    }
    return content;
}

std::optional<MessageBoxContent> WaitForMessageBox(DWORD processId, HWND &box,
                                                   std::chrono::milliseconds timeout)
{
    box = WaitForWindow(processId, L"#32770", kMessageCaption, timeout);
    if (box == nullptr)
        return std::nullopt;
    MessageBoxContent content;
    // The box exists before its controls are laid out and shown.
    if (!WaitUntil(
            [&] {
                content = ReadMessageBox(box);
                return IsWindowVisible(box) && content.hasIcon && !content.buttons.empty() &&
                       !content.text.empty();
            },
            10s))
        return std::nullopt;
    return content;
}

std::unique_ptr<Process> HoldFile(const std::u16string &file, int milliseconds)
{
    DeleteFileW(W(file + u".held"));
    auto holder = std::make_unique<Process>(BinFolder() + u"\\KV2TargetConsole.exe",
                                            u"--hold-file " + Quoted(file) + u" --exit-after " +
                                                common::Utf8ToUtf16(std::to_string(milliseconds)));
    EXPECT_TRUE(
        WaitUntil([&] { return GetFileAttributesW(W(file + u".held")) != INVALID_FILE_ATTRIBUTES; }, 10s));
    return holder;
}

HWND WaitForController(Process &kv2, const std::u16string &program)
{
    return WaitForWindow(kv2.Id(), L"TmainForm", u"KV2-" + program, 20s);
}

Scenario::Scenario(const std::string &taskExtra, const std::string &targetOptions)
{
    static std::atomic<int> counter = 0;
    m_title = u"KV2 Scenario " + common::Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u"." +
              common::Utf8ToUtf16(std::to_string(++counter));
    EndProcessesNamed(u"KV2Target.exe");
    m_taskFile = m_temp / u"scenario.KV2";
    const std::string title = "\"" + common::Utf16ToUtf8(m_title) + "\"";
    std::string options = "--title " + title;
    if (!targetOptions.empty())
        options += " " + targetOptions;
    for (size_t at = options.find("{title}"); at != std::string::npos; at = options.find("{title}", at))
        options.replace(at, 7, title);
    WriteBytes(m_taskFile, Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(TargetProgram()) +
                                     "\r\nOption=" + options + "\r\n" + taskExtra));
}

Scenario::~Scenario()
{
    m_kv2.reset();
    EndProcessesNamed(u"KV2Target.exe");
}

Process &Scenario::Start(const std::u16string &program)
{
    m_kv2.emplace(program, Quoted(m_taskFile));
    m_controller = WaitForController(*m_kv2, TargetProgram());
    EXPECT_NE(m_controller, nullptr);
    return *m_kv2;
}

namespace
{

// Whether `processId` was started by `ancestor`, directly or through processes it started.
bool DescendsFrom(DWORD processId, DWORD ancestor)
{
    common::win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    std::vector<std::pair<DWORD, DWORD>> parents; // process, parent
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
        parents.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    for (int depth = 0; depth < 8 && processId != 0; ++depth)
    {
        const auto found = std::find_if(parents.begin(), parents.end(),
                                        [&](const auto &pair) { return pair.first == processId; });
        if (found == parents.end())
            return false;
        processId = found->second;
        if (processId == ancestor)
            return true;
    }
    return false;
}

} // namespace

HWND Scenario::FindTarget() const
{
    if (const HWND window = FindWindowW(L"KV2TargetWindow", W(m_title)))
        return window;
    // Renamed already (a fixed caption, a program that renames itself): the target window of a process
    // that this scenario's KV2 started.
    if (!m_kv2)
        return nullptr;
    for (HWND window = FindWindowW(L"KV2TargetWindow", nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, L"KV2TargetWindow", nullptr))
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (DescendsFrom(processId, m_kv2->Id()))
            return window;
    }
    return nullptr;
}

HWND Scenario::WaitForTarget(std::chrono::milliseconds timeout)
{
    HWND target = nullptr;
    WaitUntil(
        [&] {
            target = FindTarget();
            return target != nullptr && IsWindowVisible(target);
        },
        timeout);
    // Attached by now; one more tick lets the menu follow.
    WaitUntil([] { return false; }, 1200ms);
    return target;
}

void Scenario::Command(unsigned id) const
{
    PostMessageW(m_controller, WM_COMMAND, id, 0);
}

std::u16string Scenario::Option(const std::u16string &key) const
{
    return TaskValue(u"Tray Option", key);
}

std::u16string Scenario::OptionOnceSaved(const std::u16string &key, const std::u16string &expected,
                                         std::chrono::milliseconds timeout) const
{
    std::u16string value;
    WaitUntil([&] { return (value = Option(key)) == expected; }, timeout);
    return value;
}

std::u16string Scenario::TaskValue(const std::u16string &section, const std::u16string &key) const
{
    // KV2 may be writing the file just now: its read and write hold it open without sharing.
    common::win::StringList lines;
    const bool read = WaitUntil(
        [&] {
            try
            {
                common::win::LoadTextFile(lines, m_taskFile, common::TextEncoding::Ansi);
                return true;
            }
            catch (const std::exception &)
            {
                return false;
            }
        },
        5s);
    if (!read)
        return u"<unreadable>";
    std::u16string text;
    for (const auto &line : lines)
        text += line + u"\r\n";
    return common::IniDocument::Parse(text).Get(section, key, u"<absent>");
}

} // namespace e2e
