// KV2C's window in this process: a new task saved at the path it was opened with, and a task KV2 runs
// with edited while KV2 changes its options.
#include "WinTestSupport.h"

#include "common/win/IniFile.h"
#include "editor/win/EditorForm.h"
#include "editor/win/FileTypeRegistry.h"
#include "editor/win/ShortcutFiles.h"
#include "startup/win/SystemFileProbe.h"

#include "common/ScopeExit.h"
#include "common/win/WinText.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <atomic>
#include <mutex>
#include <thread>

using namespace wintest;
using namespace std::chrono_literals;

namespace
{

// The controls' ids: 100 and the control's place in the tab order.
constexpr int kProgram = 101, kRunning = 103, kArguments = 105, kStyleMaximized = 112, kPriorityHigh = 116,
              kDesktop = 132, kStartup = 134, kFileTypes = 137;

// The window's first message shows what it takes from the shell (the icon, the shortcuts, the types).
bool Settled(const editor::EditorForm &form)
{
    return WaitUntil([&] { return form.Settled(); }, 5s);
}

HWND Control(const editor::EditorForm &form, int id)
{
    return GetDlgItem(form.Handle(), id);
}

std::u16string Title(const editor::EditorForm &form)
{
    return WindowText(form.Handle());
}

} // namespace

namespace
{

// Plays the user at this program's message boxes, answering each with the next of `answers`, and keeps
// their texts; a box beyond the answers is closed and counted.
class MessageBoxUser
{
  public:
    explicit MessageBoxUser(std::vector<int> answers)
        : m_answers(std::move(answers)), m_thread([this] { Play(); })
    {
    }
    ~MessageBoxUser()
    {
        m_stop = true;
        m_thread.join();
    }
    std::vector<std::u16string> Texts()
    {
        const std::lock_guard lock(m_mutex);
        return m_texts;
    }

  private:
    void Play()
    {
        while (!m_stop)
        {
            const HWND box = ProcessWindowOfClass(GetCurrentProcessId(), L"#32770");
            if (box == nullptr || !IsWindowVisible(box))
            {
                Sleep(20);
                continue;
            }
            std::u16string text;
            for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
                 child = GetWindow(child, GW_HWNDNEXT))
                if (GetDlgCtrlID(child) == 0xFFFF)
                    text = WindowText(child);
            const std::lock_guard lock(m_mutex);
            const int answer = m_texts.size() < m_answers.size() ? m_answers[m_texts.size()] : IDCANCEL;
            m_texts.push_back(text);
            PostMessageW(box, WM_COMMAND, answer, 0);
            WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5s);
        }
    }

    std::vector<int> m_answers;
    std::mutex m_mutex;
    std::vector<std::u16string> m_texts;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace

TEST(EditorForm, ANewTaskIsWrittenWhereItWasOpenedAsKv2WritesTasks)
{
    TempFolder folder;
    const std::u16string path = folder / u"notepad.KV2";
    editor::EditorForm form(path);
    EXPECT_EQ(Title(form), u"notepad.KV2 - KV2C");
    EXPECT_EQ(form.ShownIcon(), nullptr) << "no program, no icon";
    SetWindowTextW(Control(form, kProgram), L"C:\\windows\\notepad.exe");
    EXPECT_NE(form.ShownIcon(), nullptr) << "the program's icon, as the task will show it";
    // Each choice a group of its own: the window's style does not take the priority's check.
    SendMessageW(Control(form, kPriorityHigh), BM_CLICK, 0, 0);   // 高
    SendMessageW(Control(form, kStyleMaximized), BM_CLICK, 0, 0); // 最大化
    ASSERT_TRUE(form.Save());
    const std::string bytes = ReadBytes(path);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE") << "UTF-16LE with its byte-order mark";
    const common::IniDocument file = common::win::LoadIniFile(path);
    EXPECT_EQ(file.Get(u"Program", u"Name", u""), u"C:\\windows\\notepad.exe");
    EXPECT_EQ(file.Get(u"Window", u"Style", u""), u"max");
    EXPECT_EQ(file.Get(u"Window", u"Priority", u""), u"HIGH");
    EXPECT_EQ(file.Get(u"Execute", u"YesNo", u""), u"Yes");
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.Closed()) << "nothing unsaved: closed without a question";
}

TEST(EditorForm, ATaskKv2RunsWithKeepsWhatKv2WritesMeanwhile)
{
    TempFolder folder;
    const std::u16string path = folder / u"tool.KV2";
    WriteBytes(
        path,
        Utf16File("[Program]\r\nName=C:\\windows\\notepad.exe\r\nOption=a.txt\r\n"
                  "[Window]\r\nPriority=BELOW\r\n[Tray Option]\r\nMostTop=0\r\n[Mine]\r\nKeep=yes\r\n"));
    editor::EditorForm form(path);
    EXPECT_EQ(WindowText(Control(form, kArguments)), u"a.txt");
    EXPECT_EQ(form.Fields().priority, u"BELOW") << "shown at its radio button and read back from it";
    // KV2 saves an option while the editor is open; the user edits the arguments.
    common::win::UpdateIniFile(path, [](common::IniDocument &file) { file.Set(u"Tray Option", u"MostTop", u"1"); });
    SetWindowTextW(Control(form, kArguments), L"b.txt");
    ASSERT_TRUE(form.Save());
    const common::IniDocument file = common::win::LoadIniFile(path);
    EXPECT_EQ(file.Get(u"Program", u"Option", u""), u"b.txt");
    EXPECT_EQ(file.Get(u"Tray Option", u"MostTop", u""), u"1");
    EXPECT_EQ(file.Get(u"Mine", u"Keep", u""), u"yes");
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.Closed());
}

namespace
{

std::u16string g_placesFolder;

std::u16string TestPlaceFolder(editor::ShortcutPlace place)
{
    return g_placesFolder + (place == editor::ShortcutPlace::Desktop     ? u"\\Desktop"
                             : place == editor::ShortcutPlace::StartMenu ? u"\\Programs"
                                                                         : u"\\Startup");
}

} // namespace

TEST(EditorForm, TheShortcutsTheBoxesAskForStartKv2WithTheTaskAndGoWhenUnticked)
{
    TempFolder folder;
    g_placesFolder = folder.Path();
    for (const char16_t *place : {u"\\Desktop", u"\\Programs", u"\\Startup"})
        CreateDirectoryW(common::win::W(folder.Path() + place), nullptr);
    editor::SetPlaceFolderSource(TestPlaceFolder);
    const common::ScopeExit restore([] { editor::SetPlaceFolderSource(nullptr); });
    const std::u16string path = folder / u"My Tool.KV2";
    const std::u16string desktopLink = folder / u"Desktop\\My Tool.lnk";
    const std::u16string startupLink = folder / u"Startup\\My Tool.lnk";
    {
        editor::EditorForm form(path);
        ASSERT_TRUE(Settled(form));
        SetWindowTextW(Control(form, kProgram), L"C:\\windows\\notepad.exe");
        SendMessageW(Control(form, kDesktop), BM_SETCHECK, BST_CHECKED, 0);
        SendMessageW(Control(form, kStartup), BM_SETCHECK, BST_CHECKED, 0);
        ASSERT_TRUE(form.Save());
        const std::optional<startup::ShellLinkTarget> link =
            startup::SystemFileProbe().ReadShellLink(startupLink);
        ASSERT_TRUE(link.has_value());
        EXPECT_EQ(link->Program, BinFolder() + u"\\KV2.exe");
        EXPECT_EQ(link->Arguments, u"\"" + path + u"\"");
        EXPECT_EQ(link->WorkDir, folder.Path());
        EXPECT_NE(GetFileAttributesW(common::win::W(desktopLink)), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesW(common::win::W(folder / u"Programs\\My Tool.lnk")),
                  INVALID_FILE_ATTRIBUTES);
        SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(form.Closed());
    }
    // Opened again: a save at once, before the window's first message, keeps them; the boxes show the
    // shortcuts there are; unticked, the shortcut goes at the save.
    editor::EditorForm form(path);
    ASSERT_TRUE(form.Save());
    EXPECT_NE(GetFileAttributesW(common::win::W(desktopLink)), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(Settled(form));
    EXPECT_EQ(SendMessageW(Control(form, kDesktop), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(Control(form, kStartup), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(Control(form, kDesktop), BM_SETCHECK, BST_UNCHECKED, 0);
    ASSERT_TRUE(form.Save());
    EXPECT_EQ(GetFileAttributesW(common::win::W(desktopLink)), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(common::win::W(startupLink)), INVALID_FILE_ATTRIBUTES);
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
}

namespace
{

// A drop of one file on the window, as Explorer makes it.
void DropFile(HWND window, const std::u16string &file)
{
    const std::size_t bytes = sizeof(DROPFILES) + (file.size() + 2) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto *drop = static_cast<DROPFILES *>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    file.copy(reinterpret_cast<char16_t *>(reinterpret_cast<char *>(drop) + sizeof(DROPFILES)), file.size());
    GlobalUnlock(memory);
    SendMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

} // namespace

TEST(EditorForm, ADroppedShortcutBecomesItsProgramAndADroppedTaskOpens)
{
    TempFolder folder;
    const std::u16string link = folder / u"Notes.lnk";
    ASSERT_TRUE(
        editor::WriteShortcut(link, {u"C:\\windows\\notepad.exe", u"readme.txt", u"C:\\windows"}, u"", 0));
    const std::u16string task = folder / u"other.KV2";
    WriteBytes(task, Utf16File("[Program]\r\nName=C:\\windows\\regedit.exe\r\n"));
    editor::EditorForm form(u"");
    EXPECT_EQ(Title(form), u"無題 - KV2C");
    DropFile(form.Handle(), link);
    EXPECT_EQ(WindowText(Control(form, kProgram)), u"C:\\windows\\notepad.exe");
    EXPECT_EQ(WindowText(Control(form, kArguments)), u"readme.txt");
    // The new task is saved first (the user's answer to the question), then the dropped one opens.
    form.SaveAs(folder / u"notes.KV2");
    DropFile(form.Handle(), task);
    EXPECT_EQ(Title(form), u"other.KV2 - KV2C");
    EXPECT_EQ(WindowText(Control(form, kProgram)), u"C:\\windows\\regedit.exe");
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.Closed());
}

TEST(EditorForm, AHotKeyAnotherRegistrationHoldsIsShownAsTaken)
{
    TempFolder folder;
    const std::u16string path = folder / u"keys.KV2";
    WriteBytes(path,
               Utf16File("[Program]\r\nName=C:\\windows\\notepad.exe\r\n[HotKey]\r\nShow=Ctrl+Alt+F9\r\n"));
    constexpr int kHeld = 0x5A5A;
    ASSERT_TRUE(RegisterHotKey(nullptr, kHeld, MOD_CONTROL | MOD_ALT, VK_F9));
    {
        editor::EditorForm form(path);
        EXPECT_EQ(form.Fields().hotKey, u"Ctrl+Alt+F9");
        EXPECT_TRUE(form.HotKeyShownTaken());
        // Saved only when the user says so.
        SetWindowTextW(Control(form, kArguments), L"changed");
        MessageBoxUser user({IDNO});
        EXPECT_FALSE(form.Save());
        ASSERT_EQ(user.Texts().size(), 1u);
        EXPECT_NE(user.Texts()[0].find(u"Ctrl+Alt+F9"), std::u16string::npos);
        SetWindowTextW(Control(form, kArguments), L"");
        SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    }
    UnregisterHotKey(nullptr, kHeld);
    editor::EditorForm form(path);
    EXPECT_FALSE(form.HotKeyShownTaken());
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
}

TEST(EditorForm, AWindowOfARunningProgramGivesTheTaskItsProgram)
{
    const std::u16string title =
        u"KV2C running " + common::Utf8ToUtf16(std::to_string(GetCurrentProcessId()));
    FixtureTarget target(u"--title \"" + title + u"\"");
    ASSERT_NE(target.Window(), nullptr);
    editor::EditorForm form(u"");
    // The user picks the fixture's window from the listing with Enter, which the list box sees first.
    std::thread user([&] {
        HWND picker = nullptr, list = nullptr;
        LRESULT index = LB_ERR;
        WaitUntil(
            [&] {
                picker = ProcessWindowOfClass(GetCurrentProcessId(), L"TIRunFindForm");
                list = picker != nullptr && IsWindowVisible(picker) ? GetWindow(picker, GW_CHILD) : nullptr;
                index =
                    list == nullptr
                        ? LB_ERR
                        : SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(common::win::W(title + u" (KV2Target.exe)")));
                return index != LB_ERR;
            },
            20s);
        if (index == LB_ERR)
        {
            ADD_FAILURE() << "the fixture's window is not listed with its program";
            PostMessageW(picker, WM_CLOSE, 0, 0);
            return;
        }
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageW(list, WM_CHAR, VK_RETURN, 0);
    });
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(kRunning, BN_CLICKED), 0);
    user.join();
    EXPECT_EQ(lstrcmpiW(common::win::W(WindowText(Control(form, kProgram))),
                        common::win::W(BinFolder() + u"\\KV2Target.exe")),
              0)
        << common::Utf16ToUtf8(WindowText(Control(form, kProgram)));
    SetWindowTextW(Control(form, kProgram), L""); // nothing to save: closed without a question
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.Closed());
}

TEST(EditorForm, AReadOnlyTaskSaysSoAndKeepsWhatWasTypedWhenNotSavedElsewhere)
{
    TempFolder folder;
    const std::u16string path = folder / u"locked.KV2";
    const std::string bytes = Utf16File("[Program]\r\nName=C:\\windows\\notepad.exe\r\n");
    WriteBytes(path, bytes);
    SetFileAttributesW(common::win::W(path), FILE_ATTRIBUTE_READONLY);
    const common::ScopeExit writable(
        [&] { SetFileAttributesW(common::win::W(path), FILE_ATTRIBUTE_NORMAL); });
    MessageBoxUser user({IDOK, IDNO});
    editor::EditorForm form(path);
    SetWindowTextW(Control(form, kArguments), L"typed.txt");
    EXPECT_FALSE(form.Save());
    const std::vector<std::u16string> texts = user.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find(u"読み取り専用"), std::u16string::npos) << "said at the opening";
    EXPECT_NE(texts[1].find(u"名前を付けて保存しますか"), std::u16string::npos) << "offered at the save";
    EXPECT_EQ(ReadBytes(path), bytes);
    EXPECT_EQ(WindowText(Control(form, kArguments)), u"typed.txt") << "nothing typed is lost";
    SetWindowTextW(Control(form, kArguments), L"");
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.Closed());
}

namespace
{

// A registry key of this test's own under the user's key, removed with the object.
class TestKey
{
  public:
    explicit TestKey(const std::u16string &name)
        : m_path(u"Software\\KV2 tests\\" + common::Utf8ToUtf16(std::to_string(GetCurrentProcessId())) +
                 u"\\" + name)
    {
        RegCreateKeyExW(HKEY_CURRENT_USER, common::win::W(m_path), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &m_key, nullptr);
    }
    ~TestKey()
    {
        RegCloseKey(m_key);
        RegDeleteTreeW(HKEY_CURRENT_USER, common::win::W(m_path));
    }
    HKEY Get() const
    {
        return m_key;
    }
    void Set(const wchar_t *key, const wchar_t *name, const wchar_t *text) const
    {
        RegSetKeyValueW(m_key, key, name, REG_SZ, text,
                        static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }
    std::optional<std::u16string> Text(const wchar_t *key, const wchar_t *name = nullptr) const
    {
        wchar_t text[512];
        DWORD size = sizeof(text);
        if (RegGetValueW(m_key, key, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return common::win::U(text);
    }
    bool Has(const wchar_t *key) const
    {
        HKEY opened = nullptr;
        const bool has = RegOpenKeyExW(m_key, key, 0, KEY_READ, &opened) == ERROR_SUCCESS;
        RegCloseKey(opened);
        return has;
    }

  private:
    std::u16string m_path;
    HKEY m_key = nullptr;
};

} // namespace

// Through keys of the test's own: Wine's HKEY_CLASSES_ROOT shows the machine's classes only, not the
// user's that Windows merges in, so a double click here would not find ours anyway.
TEST(EditorForm, TaskFilesOpenWithKv2ByADoubleClickUntilTheChoiceRemovesExactlyOurKeys)
{
    const TestKey classes(u"Classes"), choices(u"Choices");
    classes.Set(L".KV2\\OpenWithProgids", L"Other.File", L"");
    choices.Set(L".KV2A\\UserChoice", L"ProgId", L"Other.File");
    editor::SetUserKeysForTests(classes.Get(), choices.Get());
    const common::ScopeExit restore([] { editor::SetUserKeysForTests(nullptr, nullptr); });
    editor::EditorForm form(u"");
    ASSERT_TRUE(Settled(form));
    const HWND box = Control(form, kFileTypes);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    {
        MessageBoxUser user({IDOK});
        SendMessageW(box, BM_CLICK, 0, 0);
        EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
        EXPECT_EQ(classes.Text(L".KV2"), u"KV2.TaskFile");
        EXPECT_EQ(classes.Text(L"KV2.TaskFile\\shell\\open\\command"),
                  u"\"" + BinFolder() + u"\\KV2.exe\" \"%1\"");
        EXPECT_EQ(classes.Text(L"KV2A.TaskFile\\shell\\open\\command"),
                  u"\"" + BinFolder() + u"\\KV2A.exe\" \"%1\"");
        const std::vector<std::u16string> texts = user.Texts();
        ASSERT_EQ(texts.size(), 1u) << "the user's own choice for .KV2A is pointed out";
        EXPECT_NE(texts[0].find(u".KV2A: Other.File"), std::u16string::npos);
    }
    // Opened again it shows the choice; unticked, our keys go and the user's stay.
    editor::EditorForm again(u"");
    ASSERT_TRUE(Settled(again));
    EXPECT_EQ(SendMessageW(Control(again, kFileTypes), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageW(Control(again, kFileTypes), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageW(Control(again, kFileTypes), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_FALSE(classes.Has(L"KV2.TaskFile"));
    EXPECT_FALSE(classes.Has(L"KV2A.TaskFile"));
    EXPECT_FALSE(classes.Has(L".KV2A")) << "nothing else was in it";
    EXPECT_EQ(classes.Text(L".KV2"), std::nullopt);
    EXPECT_EQ(classes.Text(L".KV2\\OpenWithProgids", L"Other.File"), u"");
    EXPECT_EQ(classes.Text(L".KV2\\OpenWithProgids", L"KV2.TaskFile"), std::nullopt);
    for (const editor::EditorForm *open : {&form, &again})
        SendMessageW(open->Handle(), WM_CLOSE, 0, 0);
}

TEST(EditorForm, AFileHeldForAMomentIsSavedOnceItIsFree)
{
    TempFolder folder;
    const std::u16string path = folder / u"busy.KV2";
    WriteBytes(path, Utf16File("[Program]\r\nName=C:\\windows\\notepad.exe\r\n"));
    editor::EditorForm form(path);
    SetWindowTextW(Control(form, kArguments), L"later.txt");
    // Another program holds the file for a second, as KV2 or a virus scanner may.
    const HANDLE held =
        CreateFileW(common::win::W(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    std::thread release([held] {
        Sleep(1000);
        CloseHandle(held);
    });
    MessageBoxUser user({IDOK});
    const bool saved = form.Save();
    release.join();
    EXPECT_TRUE(saved);
    EXPECT_TRUE(user.Texts().empty()) << common::Utf16ToUtf8(user.Texts().empty() ? u"" : user.Texts()[0]);
    EXPECT_EQ(common::win::LoadIniFile(path).Get(u"Program", u"Option", u""), u"later.txt");
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(form.Closed());
}
