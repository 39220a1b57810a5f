// Whole-program start-up: KV2.exe is started as a user would start it, and what it shows, makes
// and leaves running is looked at from outside.
#include "Kv2Scenario.h"

#include "common/Text.h"
#include "common/IniDocument.h"
#include "common/win/FileSystem.h"
#include "common/win/TextFile.h"
#include "controller/MenuModel.h"

#include <gtest/gtest.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <set>

using namespace wintest;
using namespace e2e;
using namespace std::chrono_literals;

namespace
{

const std::u16string kRefusal = u"オプションが不正です。\r\n終了します。";

// Expects the refusal message box from the process, dismisses it and expects exit code 0.
void ExpectRefusal(Process &kv2, const std::string &context)
{
    HWND box = nullptr;
    const std::optional<MessageBoxContent> shown = WaitForMessageBox(kv2.Id(), box, 20s);
    ASSERT_TRUE(shown.has_value()) << context;
    const MessageBoxContent &content = *shown;
    EXPECT_EQ(content.text, kRefusal) << context;
    // System-modal: the box stays above every other window. A stop icon and only an OK button.
    EXPECT_TRUE(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) << context;
    EXPECT_TRUE(content.hasIcon) << context;
    EXPECT_EQ(content.buttons, std::vector<int>{IDOK}) << context;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(kv2.WaitForExit(20s), 0u) << context;
}

void ExpectNothingVisible(Process &kv2)
{
    for (HWND window : ProcessWindows(kv2.Id()))
        EXPECT_FALSE(IsWindowVisible(window)) << common::Utf16ToUtf8(WindowText(window));
}

// Closing KV2 leaves its target running: the target is ended too, so that the next start does not
// find it running.
void CloseAndExpectCleanEnd(Process &kv2, HWND controller)
{
    PostMessageW(controller, WM_CLOSE, 0, 0);
    EXPECT_EQ(kv2.WaitForExit(20s), 0u);
    EndProcessesNamed(u"KV2Target.exe");
}

} // namespace

TEST(Startup, RefusesWithoutAUsableProgram)
{
    TempFolder temp;
    const std::u16string good = temp / u"good.KV2";
    WriteBytes(good, Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(TargetProgram()) + "\r\n"));
    const std::u16string missingProgram = temp / u"missing.KV2";
    WriteBytes(missingProgram, Utf16File("[Program]\r\nName=C:\\no\\such\\program.exe\r\n"));
    const std::u16string wrongExtension = temp / u"good.txt";
    WriteBytes(wrongExtension,
               Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(TargetProgram()) + "\r\n"));

    const std::pair<const char *, std::u16string> cases[] = {
        {"no arguments", u""},
        {"missing task file", Quoted(temp / u"absent.KV2")},
        {"task file naming a missing program", Quoted(missingProgram)},
        {"wrong extension", Quoted(wrongExtension)},
        {"a lone /e: is read as a task file", Quoted(u"/e:" + TargetProgram())},
        {"options without an existing program", u"/e:C:\\no\\such.exe /w:max"},
        {"options naming a folder", u"/e:" + Quoted(BinFolder()) + u" /w:max"},
        {"unbalanced quotes", u"\"/e:" + TargetProgram() + u" /w:max"},
    };
    for (const auto &[context, arguments] : cases)
    {
        Process kv2(Kv2(), arguments);
        ExpectRefusal(kv2, context);
    }
}

TEST(Startup, DamagedTaskFilesAreRefusedWithoutCrashOrHang)
{
    TempFolder temp;
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 7919) & 0xFF));
    const std::pair<const char *, std::string> files[] = {
        {"empty", ""},
        {"binary", binary},
        {"odd-length UTF-16", Utf16File("[Program]\r\nName=C:\\x.exe") + "\x41"},
        {"invalid UTF-8", "\xEF\xBB\xBF[Program]\r\nName=\xC3\x28\xFF\xFE.exe\r\n"},
        {"embedded NUL", std::string("[Program]\r\nName=C:\\windows\\notepad.exe") + '\0' + "junk\r\n"},
        {"megabyte line", "[Program]\r\nName=" + std::string(1 << 20, 'a') + "\r\n"},
    };
    int index = 0;
    for (const auto &[context, bytes] : files)
    {
        const std::u16string file =
            temp / (u"damaged" + common::Utf8ToUtf16(std::to_string(index++)) + u".KV2");
        WriteBytes(file, bytes);
        Process kv2(Kv2(), Quoted(file));
        ExpectRefusal(kv2, context);
    }

    // Several gigabytes, sparse: refused without reading it.
    const std::u16string huge = temp / u"huge.KV2";
    ASSERT_TRUE(CreateSparseFile(huge, 5LL * 1024 * 1024 * 1024));
    Process kv2(Kv2(), Quoted(huge));
    ExpectRefusal(kv2, "huge file");
}

TEST(Startup, TaskFileRunsHiddenWithItsMessageLoop)
{
    EndProcessesNamed(u"KV2Target.exe");
    TempFolder temp;
    // ANSI (code page 932) task file in a folder with Japanese letters, extension in lower case.
    const std::u16string folder = temp / u"タスク";
    ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr));
    const std::u16string taskFile = folder + u"\\notepad.kv2";
    WriteBytes(taskFile, "; sample\r\n[Program]\r\nName=" + common::Utf16ToUtf8(TargetProgram()) +
                             "\r\n[Window]\r\nStyle=max\r\n");

    Process kv2(Kv2(), Quoted(taskFile));
    HWND controller = WaitForController(kv2, TargetProgram());
    ASSERT_NE(controller, nullptr);
    EXPECT_FALSE(IsWindowVisible(controller));
    // No window, no taskbar button of its own, and it keeps running.
    EXPECT_EQ(kv2.WaitForExit(1s), static_cast<DWORD>(STILL_ACTIVE));
    ExpectNothingVisible(kv2);
    // The instance mutex is held while it runs.
    common::win::UniqueHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, L"KV2/Orvane"));
    EXPECT_TRUE(mutex);
    CloseAndExpectCleanEnd(kv2, controller);
}

TEST(Startup, RelativeTaskFileIsTheOneInTheCurrentFolder)
{
    EndProcessesNamed(u"KV2Target.exe");
    TempFolder temp;
    WriteBytes(temp / u"rel.KV2",
               Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(TargetProgram()) + "\r\n"));
    Process kv2(Kv2(), u"rel.KV2", temp.Path());
    HWND controller = WaitForController(kv2, TargetProgram());
    ASSERT_NE(controller, nullptr);
    // Its options go into the task file it was started with, wherever the current folder is now.
    CloseAndExpectCleanEnd(kv2, controller);
    common::win::StringList lines;
    common::win::LoadTextFile(lines, temp / u"rel.KV2", common::TextEncoding::Ansi);
    EXPECT_EQ(
        common::IniDocument::Parse(common::JoinLines(lines)).Get(u"Tray Option", u"Minimize", u"<absent>"),
        u"1");
}

TEST(Startup, NoWindowOfKv2IsEverShownWhileItStartsItsTarget)
{
    // On Windows any window shown even for a moment flashes a taskbar button: every window of KV2
    // is watched, as often as the test can look, from its start until well after the attachment.
    Scenario scenario;
    Process kv2(Kv2(), Quoted(scenario.TaskFile()));
    std::set<std::u16string> shown;
    // Until two seconds after the target's window is there (by then it is attached), however long a
    // loaded machine takes to get there.
    const auto limit = std::chrono::steady_clock::now() + 30s;
    auto until = limit;
    bool targetSeen = false;
    const auto describe = [](HWND window) {
        wchar_t name[128] = {};
        GetClassNameW(window, name, 128);
        return U(name) + u" \"" + WindowText(window) + u"\"";
    };
    while (std::chrono::steady_clock::now() < until)
    {
        for (HWND window : ProcessWindows(kv2.Id()))
            if (IsWindowVisible(window))
                shown.insert(describe(window));
        // An active window, even a hidden one, is given a taskbar button by some shells.
        const HWND foreground = GetForegroundWindow();
        if (foreground != nullptr && ProcessOf(foreground) == kv2.Id())
            shown.insert(u"in front: " + describe(foreground));
        if (!targetSeen && scenario.FindTarget() != nullptr)
        {
            targetSeen = true;
            until = std::min(limit, std::chrono::steady_clock::now() + 2s);
        }
        Sleep(0); // looks as often as it can, but lets KV2 and its target have the processor
    }
    EXPECT_TRUE(targetSeen);
    for (const std::u16string &window : shown)
        ADD_FAILURE() << "shown: " << common::Utf16ToUtf8(window);
    PostMessageW(WaitForController(kv2, TargetProgram()), WM_CLOSE, 0, 0);
    EXPECT_EQ(kv2.WaitForExit(20s), 0u);
}

TEST(Startup, ATaskFileHeldForAMomentIsReadOnceItIsFree)
{
    // Another program (a virus scanner, another KV2's save) has the task file open as KV2 starts.
    Scenario scenario;
    auto holder = HoldFile(scenario.TaskFile(), 600);
    Process kv2(Kv2(), Quoted(scenario.TaskFile()));
    HWND controller = WaitForController(kv2, TargetProgram());
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(holder->WaitForExit(20s), 0u);
    CloseAndExpectCleanEnd(kv2, controller);
}

TEST(Startup, OptionsDescribeTheTargetDirectly)
{
    EndProcessesNamed(u"KV2Target.exe");
    Process kv2(Kv2(), u"/e:" + Quoted(TargetProgram()) + u" /w:max /p:HIGH /o:\"--title x\"");
    HWND controller = WaitForController(kv2, TargetProgram());
    ASSERT_NE(controller, nullptr);
    ExpectNothingVisible(kv2);
    CloseAndExpectCleanEnd(kv2, controller);
}

TEST(Startup, TwoInstancesWithDifferentTaskFilesRunSideBySide)
{
    TempFolder temp;
    const std::u16string first = temp / u"first.KV2";
    const std::u16string second = temp / u"second.KV2A";
    WriteBytes(first, Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(TargetProgram()) + "\r\n"));
    const std::u16string console = BinFolder() + u"\\KV2TargetConsole.exe";
    WriteBytes(second, Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(console) + "\r\n"));

    Process one(Kv2(), Quoted(first));
    Process two(Kv2(), Quoted(second));
    HWND firstController = WaitForController(one, TargetProgram());
    HWND secondController = WaitForController(two, console);
    ASSERT_NE(firstController, nullptr);
    ASSERT_NE(secondController, nullptr);
    CloseAndExpectCleanEnd(one, firstController);
    CloseAndExpectCleanEnd(two, secondController);
}

TEST(Startup, MakesTheDataFolderBeforeAnythingElse)
{
    const std::u16string company = RoamingAppData() + u"\\Orvane";
    RemoveTree(company);
    ASSERT_FALSE(common::win::DirectoryExistsReady(company));

    // Even a refused start makes the folder, and writes nothing into it.
    Process kv2(Kv2(), u"");
    ExpectRefusal(kv2, "no arguments");
    EXPECT_TRUE(common::win::DirectoryExistsReady(company + u"\\KV2"));
    WIN32_FIND_DATAW found;
    common::win::UniqueFind search(FindFirstFileW(W(company + u"\\KV2\\*.*"), &found));
    int entries = 0;
    if (search)
        do
            entries += found.cFileName[0] != L'.';
        while (FindNextFileW(search.Get(), &found));
    EXPECT_EQ(entries, 0);
}

TEST(Startup, EndsSilentlyWhenTheDataFolderCannotBeMade)
{
    // A file where the company folder should be: neither level can be created.
    const std::u16string company = RoamingAppData() + u"\\Orvane";
    RemoveTree(company);
    WriteBytes(company, "in the way");
    Process kv2(Kv2(), u"");
    EXPECT_EQ(kv2.WaitForExit(20s), 0u);
    DeleteFileW(W(company));
}

namespace
{

bool LoadsModule(DWORD processId, const wchar_t *name)
{
    const common::win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    for (BOOL more = Module32FirstW(snapshot.Get(), &module); more;
         more = Module32NextW(snapshot.Get(), &module))
        if (lstrcmpiW(module.szModule, name) == 0)
            return true;
    return false;
}

} // namespace

TEST(Startup, ThePickerTheKeyDialogAndTheCommonControlsWaitForTheirFirstUse)
{
    Scenario scenario;
    scenario.Start();
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    const DWORD kv2 = scenario.Kv2Process().Id();
    const auto hasWindow = [&](const wchar_t *className) {
        return ProcessWindowOfClass(kv2, className) != nullptr;
    };
    ASSERT_TRUE(LoadsModule(kv2, L"user32.dll")); // the snapshot sees KV2's modules
    EXPECT_FALSE(LoadsModule(kv2, L"comctl32.dll"));
    EXPECT_FALSE(hasWindow(L"TIRunFindForm"));
    EXPECT_FALSE(hasWindow(L"TKeyForm"));

    // Each is there when it is asked for.
    scenario.Command(controller::kPPModify);
    const HWND picker = WaitForWindow(kv2, L"TIRunFindForm", u"実行中のプログラム", 20s);
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(picker) != FALSE; }, 10s));
    EXPECT_TRUE(LoadsModule(kv2, L"comctl32.dll"));
    PostMessageW(picker, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(picker); }, 10s));
    scenario.Command(controller::kPPWheelKeyEdit1);
    HWND keyForm = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            keyForm = FindWindowW(L"TKeyForm", nullptr);
            return keyForm != nullptr && IsWindowVisible(keyForm);
        },
        10s));
    PostMessageW(keyForm, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(keyForm); }, 10s));
}
