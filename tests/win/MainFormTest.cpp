// The controller's menu inside this process: its items as the user sees them, and what the menu shows
// when it and its submenus open.
#include "WinTestSupport.h"

#include "common/win/IniFile.h"
#include "common/win/SystemFonts.h"
#include "controller/Journal.h"
#include "controller/MenuModel.h"
#include "controller/win/MainForm.h"
#include "gui/Application.h"
#include "procwin/win/AppExecute.h"
#include "procwin/win/WindowEffects.h"
#include "procwin/win/WindowInfo.h"
#include "startup/ProcessState.h"
#include "app/Forms.h"
#include "common/ScopeExit.h"
#include "gui/DarkMode.h"
#include "gui/MessagePump.h"
#include "ui/PanelGeometry.h"
#include "ui/win/CoolTrayIcon.h"
#include "ui/win/KeyForm.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <optional>
#include <thread>
#include <utility>
#include <vector>

using namespace wintest;
using namespace controller;
using namespace std::chrono_literals;

namespace
{

struct ItemView
{
    int level;
    std::u16string caption;
    bool checked;
    bool enabled;
};

void Collect(HMENU menu, int level, std::vector<ItemView> &items)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
    {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 128;
        ASSERT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        items.push_back({level, (info.fType & MFT_SEPARATOR) ? u"-" : U(text),
                         (info.fState & MFS_CHECKED) != 0, (info.fState & MFS_DISABLED) == 0});
        if (info.hSubMenu != nullptr)
            Collect(info.hSubMenu, level + 1, items);
    }
}

std::u16string Caption(HMENU menu, UINT id)
{
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(menu, id, FALSE, &info);
    return U(text);
}

bool IsChecked(HMENU menu, UINT id)
{
    return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

bool IsEnabled(HMENU menu, UINT id)
{
    return (GetMenuState(menu, id, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED)) == 0;
}

HMENU SubmenuOf(HMENU menu, UINT id)
{
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_SUBMENU;
    GetMenuItemInfoW(menu, id, FALSE, &info);
    return info.hSubMenu;
}

// A controller in this process for a task file with the given option lines. The target is never
// started (the task says not to execute it).
class Controller
{
  public:
    // `allForms`: every form of the program, as start-up creates them. `targetArguments`: the task
    // starts the fixture target with these arguments instead of executing nothing.
    explicit Controller(const std::string &options, bool allForms = false,
                        const std::u16string &targetArguments = {})
    {
        const std::u16string taskFile = m_temp / u"menu.KV2";
        WriteBytes(taskFile, Utf16File("[Tray Option]\r\n" + options));
        m_saved = startup::Task();
        startup::TaskDefinition task;
        task.TaskFilePath = taskFile;
        task.TaskFileGiven = true;
        task.ProgramPath = BinFolder() + u"\\KV2OptionSaver.exe";
        task.CommandLine = task.ProgramPath;
        task.IconFile = task.ProgramPath;
        task.ShowCommand = 10;
        task.PriorityClass = 0x20;
        task.NoExecute = targetArguments.empty();
        if (!task.NoExecute)
        {
            task.ProgramPath = BinFolder() + u"\\KV2Target.exe";
            task.ProgramOption = targetArguments;
            task.CommandLine = task.ProgramPath + u" " + targetArguments;
            task.IconFile = task.ProgramPath;
        }
        startup::SetTask(task);
        gui::Application::Instance().SetTitle(u"KV2");
        // The taskbar-list object is a COM object of this thread's apartment, as in the program.
        m_com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (allForms)
            m_forms.emplace();
        else
            m_form.emplace();
    }
    ~Controller()
    {
        End();
        if (SUCCEEDED(m_com))
            CoUninitialize();
        startup::SetTask(m_saved);
    }
    void End()
    {
        m_forms.reset();
        m_form.reset();
    }
    TmainForm &Form()
    {
        return m_forms ? m_forms->mainForm : *m_form;
    }
    HMENU Menu()
    {
        return Form().PanelOwner().PPMenu();
    }
    // The option of the task file, as KV2 last saved it.
    std::u16string Option(std::u16string_view key) const
    {
        return common::win::LoadIniFile(m_temp / u"menu.KV2").Get(u"Tray Option", key, u"");
    }
    void Open(HMENU menu)
    {
        SendMessageW(Form().Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    }

  private:
    TempFolder m_temp;
    startup::TaskDefinition m_saved;
    HRESULT m_com = E_FAIL;
    std::optional<TmainForm> m_form;
    std::optional<app::Forms> m_forms;
};

} // namespace

TEST(MainFormMenu, ItemsCaptionsAndStatesAsTheUserSeesThem)
{
    // Drawn from the controller's state from the start: without a target what needs one is off, and so
    // is the hook reset without a wheel key.
    Controller controller("");
    std::vector<ItemView> items;
    Collect(controller.Menu(), 0, items);
    std::vector<ItemView> expected = {
        {0, u"起動/表示", false, true}, {0, u"基本優先度", false, false}, {1, u"通常", true, true},
        {1, u"低", false, true},        {1, u"高", false, true},          {1, u"通常以下", false, true},
        {1, u"通常以上", false, true},  {0, u"半透明", false, false},
    };
    for (int percent = 100; percent >= 10; percent -= 5)
        expected.push_back({1, common::Utf8ToUtf16(std::to_string(percent)) + u"%", false, true});
    const std::vector<ItemView> rest = {
        {0, u"タイトルバー無しで最大化", false, false},
        {0, u"タイトルバー", false, true},
        {1, u"固定", false, true},
        {1, u"編集", false, true},
        {1, u"デフォルト", false, true},
        {0, u"最前面", false, true},
        {0, u"タスクバーに表示しない", false, true},
        {0, u"ホイールクリック", false, true},
        {1, u"シングルクリック　有効", false, true},
        {1, u"シングルクリック　キー", false, true},
        {1, u"-", false, true},
        {1, u"ダブルクリック　有効", false, true},
        {1, u"ダブルクリック　キー", false, true},
        {1, u"-", false, true},
        {1, u"マウスフックリセット", false, false},
        {0, u"最小化", true, true},
        {0, u"常駐", true, true},
        {0, u"自動再起動", false, true},
        {1, u"しない", true, true},
        {1, u"異常終了したとき", false, true},
        {1, u"終了したとき", false, true},
        {0, u"ダブルクリック", true, true},
        {0, u"位置、大きさ", true, true},
        {0, u"二重起動禁止", false, true},
        {0, u"-", false, true},
        {0, u"編集", false, true},
        {0, u"トレイアイコン/アイコンウィンドウ", false, true},
        {1, u"トレイアイコン", true, true},
        {1, u"アイコンウィンドウ", false, true},
        {1, u"トレイアイコン/アイコンウィンドウ", false, true},
        {0, u"-", false, true},
        {0, u"閉じる", false, false},
        {0, u"再起動", false, false},
        {0, u"強制終了", false, false},
        {0, u"修正", false, true},
        {0, u"-", false, true},
        {0, u"KV2を閉じる", false, true},
        {0, u"終了", false, true},
    };
    expected.insert(expected.end(), rest.begin(), rest.end());
    ASSERT_EQ(items.size(), expected.size());
    for (size_t i = 0; i < items.size(); ++i)
    {
        EXPECT_EQ(items[i].level, expected[i].level) << i;
        EXPECT_EQ(items[i].caption, expected[i].caption) << i;
        EXPECT_EQ(items[i].checked, expected[i].checked) << common::Utf16ToUtf8(expected[i].caption);
        if (expected[i].caption != u"-")
        {
            EXPECT_EQ(items[i].enabled, expected[i].enabled) << common::Utf16ToUtf8(expected[i].caption);
        }
    }
}

TEST(MainFormMenu, OptionsGiveTheCheckMarksAndOpeningRewritesTheKeyItems)
{
    struct Case
    {
        std::string options;
        std::u16string key1Caption;
        std::u16string key2Caption;
        bool resetEnabled;
    } cases[] = {
        {"WheelButton1=1\r\nWheelKey1=Ctrl+F5\r\n", u"シングルクリック　キー [Ctrl+F5]",
         u"ダブルクリック　キー []", true},
        {"WheelButton2=1\r\nWheelKey1=A\r\n", u"シングルクリック　キー [A]", u"ダブルクリック　キー []",
         false},
        {"WheelButton1=0\r\nWheelButton2=1\r\nWheelKey2=Shift+Alt+Z\r\n", u"シングルクリック　キー []",
         u"ダブルクリック　キー [Shift+Alt+Z]", true},
    };
    for (const Case &entry : cases)
    {
        Controller controller(entry.options + "Minimize=0\r\nDisplay=2\r\nMostTop=1\r\n");
        controller.Open(controller.Menu());
        EXPECT_EQ(Caption(controller.Menu(), kPPWheelKeyEdit1), entry.key1Caption) << entry.options;
        EXPECT_EQ(Caption(controller.Menu(), kPPWheelKeyEdit2), entry.key2Caption) << entry.options;
        EXPECT_EQ(IsEnabled(controller.Menu(), kPPMouseHookReset), entry.resetEnabled) << entry.options;
        EXPECT_FALSE(IsChecked(controller.Menu(), kPPMinimize));
        EXPECT_TRUE(IsChecked(controller.Menu(), kPPMostTop));
        EXPECT_TRUE(IsChecked(controller.Menu(), kPPDisplay0 + 2));
        EXPECT_FALSE(IsChecked(controller.Menu(), kPPDisplay0));
    }
}

TEST(MainFormMenu, SubmenusMarkTheTargetsTranslucencyAndPriority)
{
    Controller controller("");
    HWND window = CreateWindowExW(WS_EX_LAYERED, L"STATIC", L"target", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    controller.Form().Session().SetTarget(window, nullptr);
    const HMENU trans = SubmenuOf(controller.Menu(), kPPTrans);
    // What the user chose is marked, whatever the window shows of its own: a program translucent by
    // itself (alpha 187) shows "100%" while KV2 has set nothing; each choice is marked as made.
    SetLayeredWindowAttributes(window, 0, 187, LWA_ALPHA);
    const UINT chosen[] = {kPPTrans100, kPPTrans10 + 8, kPPTrans10, kPPTrans100};
    for (size_t i = 0; i < std::size(chosen); ++i)
    {
        const UINT item = chosen[i];
        if (i > 0)
            SendMessageW(controller.Form().Handle(), WM_COMMAND, item, 0);
        controller.Open(trans);
        EXPECT_TRUE(IsChecked(controller.Menu(), item)) << item;
        int checkedItems = 0;
        for (UINT id = kPPTrans10; id <= kPPTrans100; ++id)
            checkedItems += IsChecked(controller.Menu(), id) ? 1 : 0;
        EXPECT_EQ(checkedItems, 1) << item;
    }
    // "100%" gave the window back its own alpha.
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 187);

    const HMENU priority = SubmenuOf(controller.Menu(), kPPPriority);
    const std::pair<DWORD, UINT> classToItem[] = {{BELOW_NORMAL_PRIORITY_CLASS, kPPPriority0 + 3},
                                                  {IDLE_PRIORITY_CLASS, kPPPriority0 + 1},
                                                  {NORMAL_PRIORITY_CLASS, kPPPriority0}};
    for (const auto &[priorityClass, item] : classToItem)
    {
        SetPriorityClass(GetCurrentProcess(), priorityClass);
        controller.Open(priority);
        EXPECT_TRUE(IsChecked(controller.Menu(), item)) << priorityClass;
    }
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    DestroyWindow(window);
}

TEST(MainFormMenu, CommandsOfDisabledItemsAreIgnored)
{
    Controller controller("");
    // No target: "閉じる" and friends are disabled; posting them does nothing, "起動/表示" with no
    // program to execute starts nothing either.
    for (UINT id : {kPPExit, kPPReStart, kPPTERMINATE, kPPMAX})
        SendMessageW(controller.Form().Handle(), WM_COMMAND, id, 0);
    EXPECT_EQ(controller.Form().Session().TargetWnd(), nullptr);
    // A display choice moves the radio mark.
    SendMessageW(controller.Form().Handle(), WM_COMMAND, kPPDisplay0 + 2, 0);
    EXPECT_TRUE(IsChecked(controller.Menu(), kPPDisplay0 + 2));
    EXPECT_FALSE(IsChecked(controller.Menu(), kPPDisplay0));
}

constexpr int kWatchdogExit = 99;

HWND s_endingForm = nullptr;

void CALLBACK EndTheRun(HWND, UINT, UINT_PTR, DWORD)
{
    PostQuitMessage(kWatchdogExit);
}

LRESULT CALLBACK DeactivateWhileDestroyed(int code, WPARAM wParam, LPARAM lParam)
{
    const auto *message = reinterpret_cast<const CWPSTRUCT *>(lParam);
    if (code == HC_ACTION && message->hwnd == s_endingForm && message->message == WM_DESTROY)
        SendMessageW(s_endingForm, WM_ACTIVATEAPP, FALSE, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MainFormEnd, EveryWayOfEndingWithTheControllerActiveLeavesCleanly)
{
    struct Case
    {
        const char *name;
        UINT command; // 0: none, the target ends by itself
        std::u16string targetArguments;
    } cases[] = {
        {"KV2を閉じる", kPPKV2Close, u""},
        {"終了", kPPClose, u""},
        {"the target ends without 常駐", 0, u"--title \"KV2 End Target\" --exit-after 1500"},
    };
    for (const Case &entry : cases)
    {
        Controller controller("Live=0\r\nDisplay=2\r\n", true, entry.targetArguments);
        const HWND form = controller.Form().Handle();
        // The controller is the active window while it ends, as after its menu was shown.
        SetForegroundWindow(form);
        SetActiveWindow(form);
        if (entry.command != 0)
            PostMessageW(form, WM_COMMAND, entry.command, 0);
        // A run that does not end by itself is ended, and fails the case.
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 30000, EndTheRun);
        EXPECT_NE(gui::Application::Instance().Run(), kWatchdogExit) << entry.name;
        KillTimer(nullptr, watchdog);
        // Destroyed in the program's order; a form reached after its end would crash here. Windows tells
        // the controller that its thread lost the activation while its window is destroyed (Wine
        // does not): the hook delivers that message as Windows does.
        s_endingForm = form;
        const HHOOK hook =
            SetWindowsHookExW(WH_CALLWNDPROC, DeactivateWhileDestroyed, nullptr, GetCurrentThreadId());
        controller.End();
        UnhookWindowsHookEx(hook);
    }
}

namespace
{

// The launch as Windows answers for a program whose manifest asks for administrator rights.
BOOL WINAPI RefuseWithoutAdministratorRights(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                                             DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION)
{
    SetLastError(procwin::kErrorElevationRequired);
    return FALSE;
}

// The controller window of a KV2 or KV2A in another process that manages `program`.
HWND OtherController(const std::u16string &program)
{
    HWND window = FindWindowW(L"TmainForm", W(u"KV2-" + program));
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId != GetCurrentProcessId() ? window : nullptr;
}

void EndProcessOf(HWND window)
{
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    common::win::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (process && TerminateProcess(process.Get(), 0))
        WaitForSingleObject(process.Get(), 10000);
}

} // namespace

TEST(MainFormStart, AProgramThatNeedsAdministratorRightsIsOfferedToKv2A)
{
    for (const int answer : {IDNO, IDYES})
    {
        SCOPED_TRACE(answer == IDYES ? "yes" : "no");
        Controller controller("Live=1\r\n", false, u"--title \"KV2 Elevated Target\"");
        const startup::TaskDefinition &task = startup::Task();
        // The task file KV2A is handed names the program as the task does.
        WriteBytes(task.TaskFilePath, Utf16File("[Program]\r\nName=" + common::Utf16ToUtf8(task.ProgramPath) +
                                                "\r\nOption=" + common::Utf16ToUtf8(task.ProgramOption) +
                                                "\r\n[Tray Option]\r\nLive=1\r\n"));
        procwin::SetProcessCreator(&RefuseWithoutAdministratorRights);
        const HWND form = controller.Form().Handle();
        std::u16string question;
        std::thread user([&] {
            HWND box = nullptr;
            WaitUntil([&] { return (box = FindWindowW(L"#32770", L"KV2 / Orvane")) != nullptr; }, 20s);
            const HWND text = FindWindowExW(box, nullptr, L"Static", nullptr);
            question = WindowText(FindWindowExW(box, text, L"Static", nullptr)) + WindowText(text);
            PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer), 0);
            if (answer == IDNO)
            {
                // KV2 goes on without the target; KV2A was never started.
                std::this_thread::sleep_for(1500ms);
                PostMessageW(form, WM_COMMAND, kPPKV2Close, 0);
            }
        });
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 30000, EndTheRun);
        EXPECT_NE(gui::Application::Instance().Run(), kWatchdogExit);
        KillTimer(nullptr, watchdog);
        user.join();
        procwin::SetProcessCreator(nullptr);
        EXPECT_NE(question.find(u"起動には管理者の権限が必要です。\r\nKV2Aで起動しますか？"), std::u16string::npos)
            << common::Utf16ToUtf8(question);

        HWND elevated = nullptr;
        WaitUntil([&] { return (elevated = OtherController(task.ProgramPath)) != nullptr; },
                  answer == IDYES ? 20s : 2s);
        EXPECT_EQ(elevated != nullptr, answer == IDYES);
        if (elevated != nullptr)
        {
            // KV2A started the same task: its target comes up.
            HWND target = nullptr;
            EXPECT_TRUE(WaitUntil(
                [&] { return (target = FindWindowW(L"KV2TargetWindow", L"KV2 Elevated Target")) != nullptr; }, 20s));
            EndProcessOf(elevated);
            if (target != nullptr)
                EndProcessOf(target);
        }
    }
}

namespace
{

struct ClassSearch
{
    const wchar_t *className;
    HWND found = nullptr;
};

BOOL CALLBACK FindVisibleOfClass(HWND window, LPARAM parameter)
{
    auto &search = *reinterpret_cast<ClassSearch *>(parameter);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (wcscmp(name, search.className) == 0 && IsWindowVisible(window))
        search.found = window;
    return search.found == nullptr;
}

// A window of this thread with the class name, visible.
HWND OwnVisibleWindow(const wchar_t *className)
{
    ClassSearch search{className};
    EnumThreadWindows(GetCurrentThreadId(), FindVisibleOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

TEST(MainFormStart, TheIconWindowNeverTakesTheActivationFromTheWindowTheUserIsIn)
{
    // The user's window (the target, in a real start) is this thread's active window. Activation
    // within a thread does not depend on the foreground, which other tests may hold.
    const HWND user = CreateWindowExW(0, L"STATIC", L"user", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 200,
                                      100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(user, nullptr);
    const common::ScopeExit destroy([user] { DestroyWindow(user); });
    for (const char *options :
         {"Display=2\r\nIconPanel_MostTop=1\r\n", "Display=1\r\nIconPanel_MostTop=0\r\n"})
    {
        SetActiveWindow(user);
        ASSERT_EQ(GetActiveWindow(), user);
        Controller controller(options, true);
        HWND panel = nullptr;
        gui::PumpUntil([&] { return (panel = OwnVisibleWindow(L"TPanelForm")) != nullptr; },
                       {.timeout = 10000, .pollInterval = 50});
        ASSERT_NE(panel, nullptr) << options;
        EXPECT_EQ(GetActiveWindow(), user) << options << "shown";
        // Another program became active: the icon window goes back to the top of its band.
        SendMessageW(controller.Form().Handle(), WM_ACTIVATEAPP, FALSE, 0);
        EXPECT_EQ(GetActiveWindow(), user) << options << "kept on top";
    }
}

TEST(MainFormStart, TheIconWindowsSizeIsTheUsersAtTheResolutionOfItsMonitor)
{
    Controller controller("Display=1\r\nIconPanel_Size=0\r\n", true);
    HWND panel = nullptr;
    gui::PumpUntil([&] { return (panel = OwnVisibleWindow(L"TPanelForm")) != nullptr; },
                   {.timeout = 10000, .pollInterval = 50});
    ASSERT_NE(panel, nullptr);
    const auto side = [panel] {
        RECT place{};
        GetWindowRect(panel, &place);
        return place.right - place.left;
    };
    const int dpi = common::win::WindowDpi(panel);
    EXPECT_EQ(side(), ui::PanelGeometryFor(0, dpi).formSide);
    // Dragged to a monitor of twice the resolution.
    RECT suggested{};
    GetWindowRect(panel, &suggested);
    suggested.right += suggested.right - suggested.left;
    suggested.bottom += suggested.bottom - suggested.top;
    SendMessageW(panel, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(side(), ui::PanelGeometryFor(0, 2 * dpi).formSide);
    RECT image{};
    GetWindowRect(GetWindow(panel, GW_CHILD), &image);
    EXPECT_EQ(image.right - image.left, ui::PanelGeometryFor(0, 2 * dpi).panelSide);
}

namespace
{

std::vector<std::pair<HWND, UINT>> g_letIn;

} // namespace

TEST(MainFormStart, TheControllerLetsTheHandOverOfALesserProgramIn)
{
    // KV2A's controller runs with administrator rights: the hand-over a second start of KV2 sends
    // must pass the system's message filter, and nothing else is let in.
    g_letIn.clear();
    ui::SetShellMessageFilter([](HWND window, UINT message) { g_letIn.emplace_back(window, message); });
    const common::ScopeExit restore([] { ui::SetShellMessageFilter(nullptr); });
    Controller controller("");
    const HWND form = controller.Form().Handle();
    std::vector<UINT> intoController;
    for (const auto &[window, message] : g_letIn)
        if (window == form)
            intoController.push_back(message);
    EXPECT_EQ(intoController, std::vector<UINT>{WM_COPYDATA});
}

TEST(MainFormStart, AHiddenButtonStaysHiddenOnceTheWindowShowsAfterTheShellRestartsAndWhenShownAgain)
{
    // The shell adds a button for a window that becomes visible, some time after it does: the removal
    // must come once the window shows, and again when the shell restarted.
    Controller controller("NonTaskBar=1\r\nLive=1\r\n");
    CountingTaskbarList list;
    procwin::TaskBarListAttach(&list);
    const common::ScopeExit release([] { procwin::TaskBarListRelease(); });
    const HWND window = CreateWindowExW(0, L"STATIC", L"target", WS_OVERLAPPEDWINDOW, 40, 40, 200, 100,
                                        nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const common::ScopeExit destroy([window] { DestroyWindow(window); });
    TargetSession &session = controller.Form().Session();
    session.SetTarget(window, nullptr);
    session.Activate(); // brings the hidden window back: shown by its own thread, later
    EXPECT_TRUE(gui::PumpUntil([&] { return list.deleteTabVisible >= 2; },
                               {.timeout = 5000, .pollInterval = 50}) == gui::PumpEnd::Condition)
        << list.deleteTabVisible;
    const int before = list.deleteTabVisible;
    session.TaskbarRestarted();
    EXPECT_TRUE(gui::PumpUntil([&] { return list.deleteTabVisible >= before + 2; },
                               {.timeout = 5000, .pollInterval = 50}) == gui::PumpEnd::Condition);

    // The program hides its window and shows it again (at its show event where one comes, else on a tick).
    ShowWindow(window, SW_HIDE);
    gui::PumpUntil({}, {.timeout = 1200, .pollInterval = 50}); // past the ticks that still remove it
    const int hidden = list.deleteTabVisible;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    NotifyWinEvent(EVENT_OBJECT_SHOW, window, OBJID_WINDOW, CHILDID_SELF);
    EXPECT_TRUE(gui::PumpUntil([&] { return list.deleteTabVisible > hidden; },
                               {.timeout = 5000, .pollInterval = 50}) == gui::PumpEnd::Condition);
}

TEST(MainFormStart, AHideToTheTrayThatCannotBeWrittenDownIsNotMade)
{
    // A KV2 that died after the hide and before its record would leave the window hidden for good.
    TempFolder data;
    const startup::FixedPaths saved = startup::Paths();
    startup::Paths().LocalDataFolder = data.Path() + u"\\";
    startup::Paths().ErrorLogPath = data / u"Error.log";
    const common::ScopeExit restore([&] { startup::Paths() = saved; });
    const std::u16string journal = data / u"Restore.ini";
    WriteBytes(journal, "");
    Controller controller("Minimize=1\r\nLive=1\r\n");
    const HWND window = CreateWindowExW(0, L"STATIC", L"target", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                        200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const common::ScopeExit destroy([window] { DestroyWindow(window); });
    TargetSession &session = controller.Form().Session();
    session.SetTarget(window, nullptr);
    {
        // Another program holds the journal: no record, so no hide, and one line says why.
        const common::win::UniqueFile held(
            CreateFileW(W(journal), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        session.MinimizeStarted(window);
        session.MinimizeStarted(window);
        gui::PumpUntil({}, {.timeout = 300});
        EXPECT_TRUE(IsWindowVisible(window));
        const std::string log = ReadBytes(data / u"Error.log");
        EXPECT_NE(log.find("Restore.ini"), std::string::npos) << log;
        EXPECT_EQ(log.find('\n'), log.rfind('\n')) << "one line: " << log;
    }
    session.MinimizeStarted(window);
    EXPECT_TRUE(gui::PumpUntil([&] { return !IsWindowVisible(window); }, {.timeout = 5000}) ==
                gui::PumpEnd::Condition);
}

namespace
{

// The journal's lines at the moment the window is put into the topmost band.
std::u16string g_journalPath;
bool g_recordedWhenMadeTopmost = false;
bool g_madeTopmost = false;

LRESULT CALLBACK WatchTopmost(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGING &&
        reinterpret_cast<const WINDOWPOS *>(lParam)->hwndInsertAfter == HWND_TOPMOST && !g_madeTopmost)
    {
        g_madeTopmost = true;
        g_recordedWhenMadeTopmost = !controller::ReadJournal(common::win::LoadIniFile(g_journalPath)).empty();
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

TEST(MainFormStart, TheChoiceOfTheRunningProgramListIsWrittenDownBeforeItsOptionsAreApplied)
{
    TempFolder data;
    const startup::FixedPaths saved = startup::Paths();
    startup::Paths().LocalDataFolder = data.Path() + u"\\";
    const common::ScopeExit restore([&] { startup::Paths() = saved; });
    g_journalPath = data / u"Restore.ini";
    g_madeTopmost = g_recordedWhenMadeTopmost = false;
    Controller controller("MostTop=1\r\nLive=1\r\n");
    const HWND window = CreateWindowExW(0, L"STATIC", L"chosen", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                                        200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const common::ScopeExit destroy([window] { DestroyWindow(window); });
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchTopmost));
    controller.Form().Session().Adopt(window);
    EXPECT_TRUE(gui::PumpUntil([] { return g_madeTopmost; }, {.timeout = 5000}) == gui::PumpEnd::Condition);
    EXPECT_TRUE(g_recordedWhenMadeTopmost) << "made topmost before it was written down";
}

namespace
{

std::vector<procwin::MonitorArea> g_monitors;

std::vector<procwin::MonitorArea> TestMonitors()
{
    return g_monitors;
}

} // namespace

TEST(MainFormStart, APlaceOnAMonitorThatIsGoneIsBroughtOverAndKeptForItsReturn)
{
    // The session's monitor, and one left of it that a laptop leaves behind when it is undocked.
    const std::vector<procwin::MonitorArea> undocked = procwin::CurrentMonitors();
    ASSERT_FALSE(undocked.empty());
    const procwin::Rect primary = undocked[0].monitor;
    const procwin::Rect leftArea{primary.left - 1280, primary.top, primary.left, primary.top + 1024};
    std::vector<procwin::MonitorArea> docked = undocked;
    docked.push_back({leftArea, leftArea, 96});
    const std::string layout = common::Utf16ToUtf8(procwin::FormatMonitorLayout(docked));
    procwin::SetMonitorListSource(TestMonitors);
    const common::ScopeExit restore([] { procwin::SetMonitorListSource(nullptr); });
    const procwin::Rect work = undocked[0].work;
    const std::int32_t storedLeft = leftArea.left + 280;
    const std::int32_t storedTop = work.top + 100;

    struct Case
    {
        const char *name;
        const std::vector<procwin::MonitorArea> &monitors;
        std::int32_t expectedLeft;
    };
    const Case cases[] = {
        {"undocked: onto the monitor there is", undocked, work.left},
        {"docked again: the old place", docked, storedLeft},
    };
    for (const Case &c : cases)
    {
        g_monitors = c.monitors;
        Controller controller("PositionSize=1\r\nX=" + std::to_string(storedLeft) +
                                  "\r\nY=" + std::to_string(storedTop) +
                                  "\r\nW=400\r\nH=300\r\nMonitors=" + layout + "\r\n",
                              false, u"--title \"KV2 Placement Target\"");
        HWND target = nullptr;
        gui::PumpUntil(
            [&] { return (target = FindWindowW(L"KV2TargetWindow", L"KV2 Placement Target")) != nullptr; },
            {.timeout = 20000, .pollInterval = 50});
        ASSERT_NE(target, nullptr) << c.name;
        const common::ScopeExit end([target] { EndProcessOf(target); });
        RECT place{};
        gui::PumpUntil(
            [&] {
                return GetWindowRect(target, &place) && place.left == c.expectedLeft &&
                       place.top == storedTop;
            },
            {.timeout = 5000, .pollInterval = 50});
        EXPECT_EQ(place.left, c.expectedLeft) << c.name;
        EXPECT_EQ(place.top, storedTop) << c.name;
        EXPECT_EQ(place.right - place.left, 400) << c.name;
        // The monitors change while it runs, and the system moves the window: not the user's move either.
        g_monitors = c.monitors.size() == undocked.size() ? docked : undocked;
        SendMessageW(controller.Form().Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1024, 768));
        MoveWindow(target, work.left + 10, storedTop + 20, 400, 300, TRUE);
        gui::PumpUntil({}, {.timeout = 1200});
        // What KV2 keeps is written down as when Windows asks whether the session may end.
        SendMessageW(controller.Form().Handle(), WM_QUERYENDSESSION, 0, 0);
        SendMessageW(controller.Form().Handle(), WM_ENDSESSION, FALSE, 0);
        EXPECT_EQ(controller.Option(u"X"), common::Utf8ToUtf16(std::to_string(storedLeft))) << c.name;
        EXPECT_EQ(controller.Option(u"Monitors"), common::Utf8ToUtf16(layout)) << c.name;
    }
}

namespace
{

gui::SystemThemeSetting g_themeSetting;

gui::SystemThemeSetting TestThemeSetting()
{
    return g_themeSetting;
}

} // namespace

TEST(MainFormStart, DialogsFollowTheAppsThemeWhileKv2RunsAndHighContrastWins)
{
    // Wine has no dark theme of its own: the system's setting is stood in for.
    g_themeSetting = {};
    gui::SetThemeSettingSource(TestThemeSetting);
    const common::ScopeExit restore([] {
        gui::SetThemeSettingSource(nullptr);
        gui::FollowSystemTheme();
    });
    Controller controller("");
    ui::TKeyForm form;
    const HWND edit = FindWindowExW(form.Handle(), nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    const HDC dc = GetDC(edit);
    const common::ScopeExit release([&] { ReleaseDC(edit, dc); });
    const LPARAM colourSet = reinterpret_cast<LPARAM>(L"ImmersiveColorSet");
    struct Case
    {
        const char *name;
        gui::SystemThemeSetting setting;
        WPARAM changed; // what the system says has changed
        LPARAM area;
        bool dark;
    };
    const Case cases[] = {
        {"dark apps on Windows 11", {22631, 0u, false}, 0, colourSet, true},
        {"high contrast wins", {22631, 0u, true}, SPI_SETHIGHCONTRAST, 0, false},
        {"high contrast off again", {22631, 0u, false}, SPI_SETHIGHCONTRAST, 0, true},
        {"another setting changes: nothing read", {22631, 1u, false}, SPI_SETWORKAREA, 0, true},
        {"light apps", {22631, 1u, false}, 0, colourSet, false},
        {"dark apps on Windows 10 1803", {17134, 0u, false}, 0, colourSet, false},
    };
    const auto darkBrush = reinterpret_cast<LRESULT>(GetStockObject(DKGRAY_BRUSH));
    for (const Case &c : cases)
    {
        g_themeSetting = c.setting;
        SendMessageW(controller.Form().Handle(), WM_SETTINGCHANGE, c.changed, c.area);
        const LRESULT brush = SendMessageW(form.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(edit));
        EXPECT_EQ(brush == darkBrush, c.dark) << c.name;
        EXPECT_EQ(GetBkColor(dc) == RGB(0x40, 0x40, 0x40), c.dark) << c.name;
    }
}
