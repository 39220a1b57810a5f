// The release package as a user unpacks it (the folder named by KV2_PACKAGE_DIR): each program starts
// from it on its own sample task file, manages the sample's target and ends cleanly when closed.
#include "../e2e/Kv2Scenario.h"

#include "common/IniDocument.h"
#include "common/Text.h"
#include "common/win/TextFile.h"

#include <gtest/gtest.h>

#include <string>

using namespace e2e;
using namespace wintest;

namespace
{

std::u16string PackageFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"KV2_PACKAGE_DIR", folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? U(folder) : std::u16string();
}

common::IniDocument ReadTaskFile(const std::u16string &path)
{
    common::win::StringList lines;
    common::win::LoadTextFile(lines, path, common::TextEncoding::Ansi);
    return common::IniDocument::Parse(common::JoinLines(lines));
}

std::u16string ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return U(name);
}

// The controller window of the process for `program`; the caption's path may differ in letter case
// from the task file's.
HWND WaitForControllerOf(const Process &kv2, const std::u16string &program)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : ProcessWindows(kv2.Id()))
            {
                const std::u16string caption = WindowText(window);
                if (ClassName(window) == u"TmainForm" && caption.starts_with(u"KV2-") &&
                    common::EqualsNoCase(caption.substr(4), program))
                {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        20s);
    return found;
}

// A visible top-level window of another process started from `program`.
HWND WaitForTargetWindow(const std::u16string &program, DWORD notOf)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window = GetTopWindow(nullptr); window != nullptr;
                 window = GetWindow(window, GW_HWNDNEXT))
            {
                const DWORD processId = ProcessOf(window);
                if (!IsWindowVisible(window) || processId == notOf || processId == GetCurrentProcessId())
                    continue;
                common::win::UniqueHandle process(
                    OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
                wchar_t image[MAX_PATH] = {};
                DWORD size = MAX_PATH;
                if (process && QueryFullProcessImageNameW(process.Get(), 0, image, &size) &&
                    common::EqualsNoCase(U(image), program))
                {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        20s);
    return found;
}

std::u16string FileNameOf(const std::u16string &path)
{
    return path.substr(path.find_last_of(u'\\') + 1);
}

} // namespace

TEST(Package, EachProgramRunsOnItsSampleTaskFileAndEndsWhenClosed)
{
    const std::u16string folder = PackageFolder();
    ASSERT_FALSE(folder.empty()) << "KV2_PACKAGE_DIR names no unpacked package";
    struct Case
    {
        const char16_t *program;
        const char16_t *taskFile;
        const wchar_t *mutex;
    };
    const Case cases[] = {
        {u"KV2.exe", u"notepad.KV2", L"KV2/Orvane"},
        {u"KV2A.exe", u"notepad.KV2A", L"KV2A/Orvane"},
    };
    for (const Case &c : cases)
    {
        const std::string context = common::Utf16ToUtf8(c.program);
        const std::u16string taskFile = folder + u"\\" + c.taskFile;
        const std::u16string target = ReadTaskFile(taskFile).Get(u"Program", u"Name", u"");
        ASSERT_NE(GetFileAttributesW(W(target)), INVALID_FILE_ATTRIBUTES)
            << context << ": the sample's program";
        EndProcessesNamed(FileNameOf(target));

        Process kv2(folder + u"\\" + c.program, Quoted(taskFile));
        HWND controller = WaitForControllerOf(kv2, target);
        ASSERT_NE(controller, nullptr) << context;
        EXPECT_FALSE(IsWindowVisible(controller)) << context;
        EXPECT_TRUE(common::win::UniqueHandle(OpenMutexW(SYNCHRONIZE, FALSE, c.mutex))) << context;
        EXPECT_NE(WaitForTargetWindow(target, kv2.Id()), nullptr) << context;
        // One monitor tick attaches the window.
        WaitUntil([] { return false; }, 1200ms);

        PostMessageW(controller, WM_CLOSE, 0, 0);
        EXPECT_EQ(kv2.WaitForExit(20s), 0u) << context;
        // Closing saved the options into the sample's own section.
        EXPECT_NE(ReadTaskFile(taskFile).Get(u"Tray Option", u"Display", u"<absent>"), u"<absent>")
            << context;
        EndProcessesNamed(FileNameOf(target));
    }
}

TEST(Package, TheTaskEditorOpensTheSampleAndClosesWithoutChangingIt)
{
    const std::u16string folder = PackageFolder();
    ASSERT_FALSE(folder.empty()) << "KV2_PACKAGE_DIR names no unpacked package";
    const std::u16string taskFile = folder + u"\\notepad.KV2";
    const std::string before = ReadBytes(taskFile);
    Process editor(folder + u"\\KV2C.exe", Quoted(taskFile));
    HWND window = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (window = FindWindowW(L"KV2CEditor", L"notepad.KV2 - KV2C")) != nullptr; }, 20s));
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(editor.WaitForExit(20s), 0u);
    EXPECT_EQ(ReadBytes(taskFile), before);
}
