// Scenarios of the elevated build, KV2A: what its file holds and lacks, how it runs beside a target
// without icon panel and error log, and that it leaves the icon panel's settings of KV2 alone.
#include "Kv2Scenario.h"

#include "common/Text.h"
#include "controller/MenuModel.h"

#include <windows.h>

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

using namespace e2e;
using namespace wintest;
using namespace controller;

namespace
{

// The bytes of `text` as UTF-16LE, as a wide string literal sits in a program.
std::string Utf16Bytes(std::string_view text)
{
    std::string bytes;
    for (char c : text)
    {
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    return bytes;
}

common::win::UniqueModule LoadAsData(const std::u16string &program)
{
    return common::win::UniqueModule(
        LoadLibraryExW(W(program), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

std::string Manifest(HMODULE module)
{
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    if (found == nullptr)
        return {};
    const auto *data = static_cast<const char *>(LockResource(LoadResource(module, found)));
    return std::string(data, SizeofResource(module, found));
}

BOOL CALLBACK CountResource(HMODULE, LPCWSTR, LPWSTR, LONG_PTR counter)
{
    ++*reinterpret_cast<int *>(counter);
    return TRUE;
}

int CountResources(HMODULE module, LPCWSTR type)
{
    int count = 0;
    EnumResourceNamesW(module, type, CountResource, reinterpret_cast<LONG_PTR>(&count));
    return count;
}

std::u16string ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return U(name);
}

bool MutexExists(const wchar_t *name)
{
    return static_cast<bool>(common::win::UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, name)));
}

} // namespace

TEST(Elevated, ManifestAsksForAdministratorRightsAndNoVersionInformationIsCarried)
{
    common::win::UniqueModule kv2 = LoadAsData(Kv2());
    common::win::UniqueModule kv2a = LoadAsData(Kv2A());
    ASSERT_TRUE(kv2);
    ASSERT_TRUE(kv2a);

    // The same manifest as KV2's in every other respect: common controls 6, the supported systems and
    // per-monitor DPI awareness.
    const std::string elevated = Manifest(kv2a.Get());
    ASSERT_FALSE(elevated.empty());
    std::string expected = Manifest(kv2.Get());
    const std::string invoker = R"(level="asInvoker")";
    const size_t at = expected.find(invoker);
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, invoker.size(), R"(level="requireAdministrator")");
    EXPECT_EQ(elevated, expected);
    EXPECT_NE(elevated.find(R"(uiAccess="false")"), std::string::npos);

    EXPECT_EQ(CountResources(kv2a.Get(), RT_VERSION), 0);
    EXPECT_EQ(CountResources(kv2.Get(), RT_VERSION), 1);

    // The application icon and the waiting picture.
    for (int id : {1, 2})
    {
        common::win::UniqueIcon icon(static_cast<HICON>(
            LoadImageW(kv2a.Get(), MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
        EXPECT_TRUE(icon) << id;
    }
}

TEST(Elevated, ProgramContainsNeitherTheErrorLogNorTheIconPanel)
{
    const std::string kv2 = ReadBytes(Kv2());
    const std::string kv2a = ReadBytes(Kv2A());
    ASSERT_FALSE(kv2a.empty());
    struct Absent
    {
        const char *what;
        std::string bytes;
    };
    const Absent cases[] = {
        {"error log name (UTF-16)", Utf16Bytes("Error.log")},
        {"error log name", std::string("Error.log")},
        {"icon panel class (UTF-16)", Utf16Bytes("TPanelForm")},
        {"icon panel type", std::string("TPanelForm")},
    };
    for (const Absent &c : cases)
        EXPECT_EQ(kv2a.find(c.bytes), std::string::npos) << c.what;
    // The normal program has both, so the search above would find them.
    EXPECT_NE(kv2.find(cases[0].bytes), std::string::npos);
    EXPECT_NE(kv2.find(cases[2].bytes), std::string::npos);
}

TEST(Elevated, RunsBesideItsTargetWithoutIconPanel)
{
    Scenario scenario("[Tray Option]\r\nDisplay=2\r\n");
    Process &kv2a = scenario.Start(Kv2A());
    ASSERT_NE(scenario.Controller(), nullptr);
    EXPECT_EQ(ClassName(scenario.Controller()), u"TmainForm");
    EXPECT_EQ(WindowText(scenario.Controller()), u"KV2-" + TargetProgram());
    EXPECT_FALSE(IsWindowVisible(scenario.Controller()));

    HWND target = scenario.WaitForTarget();
    ASSERT_NE(target, nullptr);
    EXPECT_NE(ProcessOf(target), kv2a.Id());
    // Even with a display mode that shows the icon window in KV2, there is none, and nothing of the
    // program's own is visible.
    const std::vector<HWND> windows = ProcessWindows(kv2a.Id());
    EXPECT_FALSE(windows.empty());
    for (HWND window : windows)
    {
        EXPECT_NE(ClassName(window), u"TPanelForm");
        EXPECT_FALSE(IsWindowVisible(window)) << common::Utf16ToUtf8(ClassName(window));
    }

    // Its own instance mutex, held while it runs.
    EXPECT_TRUE(MutexExists(L"KV2A/Orvane"));
    PostMessageW(scenario.Controller(), WM_CLOSE, 0, 0);
    EXPECT_EQ(kv2a.WaitForExit(20s), 0u);
    EXPECT_FALSE(MutexExists(L"KV2A/Orvane"));
    // Closing KV2A leaves the target running.
    EXPECT_TRUE(IsWindow(target));
    EndProcessesNamed(u"KV2Target.exe");
}

TEST(Elevated, TheSystemsTextEditorIsStartedByTheShellNeverByKv2A)
{
    TempFolder folder;
    Scenario scenario;
    Process &kv2a = scenario.Start(ProgramInFolder(folder, Kv2A(), false));
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    PostMessageW(scenario.Controller(), WM_COMMAND, controller::kPPKV2File, 0);
    HWND editor = nullptr;
    const bool opened = WaitUntil(
        [&] {
            editor = FindWindowW(L"Notepad", nullptr);
            return editor != nullptr && WindowText(editor).find(u"scenario") != std::u16string::npos;
        },
        10s);
    // Started from within the shell's process, so with the shell's rights: never a child of KV2A. (Under
    // Wine the shell's automation serves 64-bit callers; a 32-bit KV2A may get no answer, and then
    // starts nothing at all, which is what the test asks of it as well.)
    DWORD parent = 0;
    if (opened)
    {
        common::win::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        PROCESSENTRY32W entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry))
            if (entry.th32ProcessID == ProcessOf(editor))
                parent = entry.th32ParentProcessID;
    }
    if (sizeof(void *) == 8)
    {
        EXPECT_TRUE(opened);
    }
    EXPECT_NE(parent, kv2a.Id());
    EndProcessesNamed(u"notepad.exe");
}

TEST(Elevated, TrayIconStaysInEveryDisplayMode)
{
    // "アイコンウィンドウ" alone would leave KV2A with nothing to click: its tray icon stays.
    Scenario scenario("[Tray Option]\r\nDisplay=1\r\n");
    Process &kv2a = scenario.Start(Kv2A());
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    EXPECT_TRUE(TrayIconShown(kv2a.Id()));
    for (unsigned mode : {0u, 1u, 2u, 1u})
    {
        scenario.Command(controller::kPPDisplay0 + mode);
        WaitUntil([] { return false; }, 300ms);
        EXPECT_TRUE(TrayIconShown(kv2a.Id())) << mode;
    }
    // The mode is kept for a KV2 started on the same task.
    scenario.Command(controller::kPPKV2Close);
    EXPECT_EQ(kv2a.WaitForExit(10s), 0u);
    EXPECT_EQ(scenario.Option(u"Display"), u"1");
}

TEST(Elevated, LaunchErrorLeavesNoErrorLog)
{
    TempFolder temp;
    // A file with a program's name that is no program: the launch fails, and without resident mode
    // the program ends on the next tick.
    const std::u16string taskFile = WriteBrokenTaskFile(temp, u"x.exe", u"broken.KV2A");

    // KV2 records this error, so the same task does raise one.
    DeleteFileW(W(ErrorLog()));
    {
        Process kv2(Kv2(), Quoted(taskFile));
        EXPECT_EQ(kv2.WaitForExit(20s), 0u);
    }
    EXPECT_NE(GetFileAttributesW(W(ErrorLog())), INVALID_FILE_ATTRIBUTES);

    DeleteFileW(W(ErrorLog()));
    ASSERT_EQ(GetFileAttributesW(W(ErrorLog())), INVALID_FILE_ATTRIBUTES);
    Process kv2a(Kv2A(), Quoted(taskFile));
    // Nothing is shown (a message box would keep it running) and nothing is recorded.
    EXPECT_EQ(kv2a.WaitForExit(20s), 0u);
    EXPECT_EQ(GetFileAttributesW(W(ErrorLog())), INVALID_FILE_ATTRIBUTES);
    EndProcessesNamed(u"KV2Target.exe");
}

TEST(Elevated, SavingLeavesTheIconPanelSettingsOfKv2Alone)
{
    // Values that differ from every default, so that a rewrite with defaults shows.
    const std::pair<std::u16string, std::u16string> panel[] = {
        {u"IconPanel_Left", u"123"},  {u"IconPanel_Top", u"-45"}, {u"IconPanel_Size", u"6"},
        {u"IconPanel_MostTop", u"1"}, {u"IconPanel_Hint", u"0"},  {u"IconPanel_Trans", u"0"},
    };
    std::string section = "[Tray Option]\r\nTransValue=50\r\n";
    for (const auto &[key, value] : panel)
        section += common::Utf16ToUtf8(key) + "=" + common::Utf16ToUtf8(value) + "\r\n";
    Scenario scenario(section);
    scenario.Start(Kv2A());
    ASSERT_NE(scenario.WaitForTarget(), nullptr);
    ASSERT_EQ(scenario.Option(u"MostTop"), u"<absent>");

    // An option command saves at once; closing saves again.
    scenario.Command(kPPMostTop);
    EXPECT_TRUE(WaitUntil([&] { return scenario.Option(u"MostTop") == u"1"; }, 5s));
    PostMessageW(scenario.Controller(), WM_CLOSE, 0, 0);
    EXPECT_EQ(scenario.Kv2Process().WaitForExit(20s), 0u);

    for (const auto &[key, value] : panel)
        EXPECT_EQ(scenario.Option(key), value) << common::Utf16ToUtf8(key);
    // Its own settings are written beside them.
    EXPECT_EQ(scenario.Option(u"MostTop"), u"1");
    EXPECT_EQ(scenario.Option(u"TransValue"), u"50");
    EXPECT_EQ(scenario.Option(u"Display"), u"0");
    EXPECT_EQ(scenario.Option(u"Live"), u"1");
    const std::u16string width = scenario.Option(u"W");
    EXPECT_NE(width, u"<absent>");
    EXPECT_NE(width, u"0");
    EndProcessesNamed(u"KV2Target.exe");
}
