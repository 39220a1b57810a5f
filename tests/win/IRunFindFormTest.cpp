// The running-program picker against real windows of real processes, with its placement in a real
// settings file.
#include "WinTestSupport.h"

#include "common/win/FileSystem.h"
#include "common/win/WinError.h"
#include "controller/Options.h"
#include "controller/win/OptionFile.h"
#include "gui/Application.h"
#include "procwin/win/ProgramWindows.h"
#include "procwin/win/WindowInfo.h"
#include "ui/win/IRunFindForm.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace wintest;
using namespace std::chrono_literals;
using ui::TIRunFindForm;

namespace
{

constexpr char16_t kTargetExe[] = u"kv2target.exe";
constexpr wchar_t kTargetClass[] = L"KV2TargetWindow";
constexpr int kClientWidth = 342; // at 96 DPI, which Wine reports
constexpr int kClientHeight = 252;

// Titles unique to this test program, so that windows of tests running beside it do not count.
std::u16string Title(std::u16string_view name)
{
    return u"KV2 picker " + common::Utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u" " +
           std::u16string(name);
}

// A window of a fixture program, found by its class and caption; its process ends with the object.
// `arguments` come first, so that "--copy-to FOLDER" passes the caption on to the copy.
class TargetWindow
{
  public:
    TargetWindow(const std::u16string &title, const std::u16string &arguments = {},
                 const std::u16string &program = u"KV2Target.exe", const wchar_t *className = kTargetClass)
        : m_starter(BinFolder() + u"\\" + program,
                    arguments + u" --title \"" + title + u"\" --class " + U(className))
    {
        const bool hidden = arguments.find(u"--show 0") != std::u16string::npos;
        WaitUntil(
            [&] {
                m_window = FindWindowW(className, title.empty() ? nullptr : W(title));
                return m_window != nullptr && (hidden || IsWindowVisible(m_window));
            },
            20s);
        DWORD processId = 0;
        GetWindowThreadProcessId(m_window, &processId);
        m_process.Reset(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    }
    ~TargetWindow()
    {
        if (m_process)
        {
            TerminateProcess(m_process.Get(), 1);
            WaitForSingleObject(m_process.Get(), 5000);
        }
    }
    HWND Window() const
    {
        return m_window;
    }
    // Puts the window in front of all others without activating it.
    void Raise() const
    {
        SetWindowPos(m_window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

  private:
    Process m_starter;
    common::win::UniqueHandle m_process;
    HWND m_window = nullptr;
};

struct Entry
{
    std::u16string title;
    HWND window;
    bool operator==(const Entry &) const = default;
};

// The picker's entries whose titles belong to this test program, in list order, each with the window
// its line of the handle list names.
std::vector<Entry> OwnEntries(const TIRunFindForm &form)
{
    std::vector<Entry> entries;
    const auto count = static_cast<size_t>(SendMessageW(form.ListBox(), LB_GETCOUNT, 0, 0));
    EXPECT_EQ(count, form.ListBoxH().size());
    for (size_t i = 0; i < count && i < form.ListBoxH().size(); ++i)
    {
        wchar_t text[512] = {};
        SendMessageW(form.ListBox(), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        const std::u16string title = U(text);
        if (title.starts_with(Title(u"")))
            entries.push_back({title, form.ListBoxH()[i]});
    }
    return entries;
}

// Errors parked with the application object since the last call, as its message loop hands them on.
std::exception_ptr TakeParkedError()
{
    std::exception_ptr parked;
    gui::Application &application = gui::Application::Instance();
    application.SetExceptionHandler([&](std::exception_ptr error) { parked = error; });
    PostQuitMessage(0);
    application.Run();
    application.SetExceptionHandler(nullptr);
    return parked;
}

// Shows the form modally on this thread while `user` plays the user on another one, once the form is
// visible. The user must close the form; should it stay open, the test fails and the form closes.
int ShowModalWith(TIRunFindForm &form, const std::function<void(HWND form)> &user)
{
    std::thread player([&] {
        const HWND window = form.Handle();
        // Visible, in front and its modal loop running: the showing and the activation are over.
        DWORD_PTR answer = 0;
        if (!WaitUntil([&] { return IsWindowVisible(window) && GetForegroundWindow() == window; }, 20s) ||
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &answer) == 0)
        {
            ADD_FAILURE() << "the picker did not show";
            PostMessageW(window, WM_CLOSE, 0, 0); // the modal loop ends, and the test with it
            return;
        }
        user(window);
        if (!WaitUntil([&] { return IsWindowVisible(window) == FALSE; }, 10s))
        {
            ADD_FAILURE() << "the picker stayed open";
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
    });
    const int result = form.ShowModal(nullptr);
    player.join();
    return result;
}

void PressKey(BYTE key)
{
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

// Two left clicks at the middle of a list item, as the mouse makes them.
// A double click on an item, as the list box receives it. (Synthesized mouse input here depends on
// the timing of the whole desktop, which made the test flaky on a loaded machine.)
void DoubleClickItem(HWND listBox, LRESULT index)
{
    RECT item{};
    SendMessageW(listBox, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    PostMessageW(listBox, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageW(listBox, WM_LBUTTONUP, 0, point);
    PostMessageW(listBox, WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    PostMessageW(listBox, WM_LBUTTONUP, 0, point);
}

procwin::Bounds WindowBounds(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::pair<int, int> OuterSize(HWND window)
{
    const procwin::Bounds bounds = WindowBounds(window);
    return {bounds.width, bounds.height};
}

std::pair<int, int> ClientSize(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

std::optional<controller::PickerPlacement> StoredPlacement(const std::u16string &settings)
{
    const common::IniDocument file = common::win::LoadIniFile(settings);
    controller::PickerPlacement placement{-1, -1, -1, -1};
    controller::LoadPickerPlacement(file, placement);
    if (placement == controller::PickerPlacement{-1, -1, -1, -1})
        return std::nullopt;
    return placement;
}

} // namespace

TEST(TIRunFindForm, IsASizableToolWindowWhoseListFillsItWithTheHintOnTheList)
{
    TempFolder temp;
    controller::PickerSettingsFile store(temp / u"KV2.ini");
    TIRunFindForm form(&store);
    const HWND window = form.Handle();
    EXPECT_EQ(WindowText(window), u"実行中のプログラム");
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_THICKFRAME);

    // Design size first; sizing below the minimum stops at 300 x 200; the list follows the client area.
    EXPECT_EQ(ClientSize(window), std::pair(kClientWidth, kClientHeight));
    EXPECT_EQ(OuterSize(form.ListBox()), ClientSize(window));
    for (const auto &[asked, expected] : {std::pair{std::pair{640, 480}, std::pair{640, 480}},
                                          std::pair{std::pair{100, 100}, std::pair{300, 200}}})
    {
        SetWindowPos(window, nullptr, 0, 0, asked.first, asked.second,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_EQ(OuterSize(window), expected);
        EXPECT_EQ(OuterSize(form.ListBox()), ClientSize(window));
    }

    // The list shows its titles in the menu font.
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    LOGFONTW listFont{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(form.ListBox(), WM_GETFONT, 0, 0)), sizeof(listFont),
               &listFont);
    EXPECT_EQ(U(listFont.lfFaceName), U(metrics.lfMenuFont.lfFaceName));
    EXPECT_EQ(listFont.lfHeight, metrics.lfMenuFont.lfHeight);

    // The hint is a tool tip of the list, owned by the form.
    HWND hint = nullptr;
    while ((hint = FindWindowExW(nullptr, hint, TOOLTIPS_CLASSW, nullptr)) != nullptr &&
           GetWindow(hint, GW_OWNER) != window)
    {
    }
    ASSERT_NE(hint, nullptr);
    wchar_t text[256] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(form.ListBox());
    tool.lpszText = text;
    SendMessageW(hint, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(U(text), u"ダブルクリックまたは[Enter]で確定\r\n[Esc]で閉じる");
}

TEST(TIRunFindForm, ListsOneWindowPerTitleOfEachProgramWithTheTargetsFileName)
{
    TempFolder elsewhere;
    const TargetWindow first(Title(u"same")), second(Title(u"same"));
    const TargetWindow shouting(common::ToUpper(Title(u"same")));
    const TargetWindow copy(Title(u"copy"), u"--copy-to \"" + elsewhere.Path() + u"\"");
    const TargetWindow console(Title(u"console"), u"--window", u"KV2TargetConsole.exe");
    const TargetWindow hidden(Title(u"hidden"), u"--show 0");
    const TargetWindow untitled(u"", u"", u"KV2Target.exe", L"KV2PickerUntitled");
    const TargetWindow owned(Title(u"owned"), u"--tapplication"); // the owner is listed, not its frame
    for (const TargetWindow *target :
         {&first, &second, &shouting, &copy, &console, &hidden, &untitled, &owned})
        ASSERT_NE(target->Window(), nullptr);
    ASSERT_TRUE(common::StartsWith(procwin::GetWndExePath(copy.Window()), elsewhere.Path()));
    const HWND owner = GetWindow(owned.Window(), GW_OWNER);
    ASSERT_NE(owner, nullptr);

    TIRunFindForm form(nullptr);
    // Front to back, after each raise: the listed "same" window is whichever of the two is in front; the
    // title in capitals is the same title.
    for (const TargetWindow *front : {&first, &second})
    {
        shouting.Raise();
        owned.Raise();
        copy.Raise();
        console.Raise();
        front->Raise();
        const struct
        {
            std::u16string targetExe;
            std::vector<Entry> expected;
        } cases[] = {
            {kTargetExe,
             {{Title(u"same"), front->Window()}, {Title(u"copy"), copy.Window()}, {Title(u"owned"), owner}}},
            {u"kv2targetconsole.exe", {{Title(u"console"), console.Window()}}},
            {u"kv2target", {}},
        };
        for (const auto &c : cases)
        {
            form.MTargetExe = c.targetExe;
            form.Proc_FindApp();
            EXPECT_EQ(OwnEntries(form), c.expected) << common::Utf16ToUtf8(c.targetExe);
            if (!c.expected.empty())
            {
                EXPECT_GT(SendMessageW(form.ListBox(), LB_GETHORIZONTALEXTENT, 0, 0), 0);
            }
            // The list of processes alone tells that a listed program may run.
            EXPECT_EQ(procwin::ProgramMayRun(c.targetExe), !c.expected.empty())
                << common::Utf16ToUtf8(c.targetExe);
        }
    }
}

TEST(TIRunFindForm, ModalUseAnswersTheConfirmedWindow)
{
    TempFolder temp;
    WriteBytes(temp / u"KV2.ini", ""); // present and free: closing need not wait
    const TargetWindow chosen(Title(u"chosen")), other(Title(u"other"));
    ASSERT_NE(chosen.Window(), nullptr);
    ASSERT_NE(other.Window(), nullptr);
    controller::PickerSettingsFile store(temp / u"KV2.ini");
    TIRunFindForm form(&store);
    // The entry of `chosen`, which is behind `other` and so not the first one.
    const auto chosenIndex = [&] {
        return SendMessageW(form.ListBox(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(W(Title(u"chosen"))));
    };
    const auto selectChosen = [&] {
        SendMessageW(form.ListBox(), LB_SETCURSEL, static_cast<WPARAM>(chosenIndex()), 0);
    };
    const struct
    {
        const char *name;
        std::function<void(HWND window)> act;
        int result;
        bool picksChosen;
    } cases[] = {
        {"Enter on a selected entry",
         [&](HWND) {
             selectChosen();
             PressKey(VK_RETURN);
         },
         TIRunFindForm::kResultOK, true},
        {"double click on an entry", [&](HWND) { DoubleClickItem(form.ListBox(), chosenIndex()); },
         TIRunFindForm::kResultOK, true},
        {"Escape on a selected entry",
         [&](HWND) {
             selectChosen();
             PressKey(VK_ESCAPE);
         },
         TIRunFindForm::kResultCancel, false},
        {"Enter without a selection, then the close box",
         [&](HWND window) {
             PressKey(VK_RETURN);
             EXPECT_FALSE(WaitUntil([&] { return IsWindowVisible(window) == FALSE; }, 700ms))
                 << "Enter closed it";
             PostMessageW(window, WM_CLOSE, 0, 0);
         },
         TIRunFindForm::kResultCancel, false},
    };
    // "other" above "chosen" in the system's order; the end of the previous case may still move the
    // activation (and with it the order) a moment later, so the order is made and then waited for.
    const auto otherAboveChosen = [&] {
        const std::vector<HWND> order = procwin::TopLevelWindows();
        const auto at = [&](HWND window) { return std::find(order.begin(), order.end(), window); };
        return at(other.Window()) < at(chosen.Window());
    };
    for (const auto &c : cases)
    {
        ASSERT_TRUE(WaitUntil(
            [&] {
                chosen.Raise();
                other.Raise();
                return WaitUntil(otherAboveChosen, 100ms) &&
                       !WaitUntil([&] { return !otherAboveChosen(); }, 200ms);
            },
            5s))
            << c.name;
        form.MTargetExe = kTargetExe;
        form.MTargetHandle = nullptr;
        const int result = ShowModalWith(form, [&](HWND window) {
            EXPECT_GT(chosenIndex(), 0) << c.name;
            c.act(window);
        });
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(form.MTargetHandle, c.picksChosen ? chosen.Window() : nullptr) << c.name;
        EXPECT_FALSE(IsWindowVisible(form.Handle())) << c.name;
        // The handle list stays for the controller's later search.
        EXPECT_EQ(OwnEntries(form), (std::vector<Entry>{{Title(u"other"), other.Window()},
                                                        {Title(u"chosen"), chosen.Window()}}))
            << c.name;
    }
    EXPECT_EQ(TakeParkedError(), nullptr);
}

TEST(TIRunFindForm, ClosingStoresThePlacementThatTheNextFormStartsWith)
{
    TempFolder temp;
    const std::u16string settings = temp / u"KV2.ini";
    WriteBytes(settings, Utf16File("[Other]\r\nKey=kept\r\n"));
    {
        controller::PickerSettingsFile store(settings);
        TIRunFindForm form(&store);
        EXPECT_EQ(StoredPlacement(settings), std::nullopt);
        ShowModalWith(form, [](HWND window) {
            SetWindowPos(window, nullptr, 100, 120, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
            PressKey(VK_ESCAPE);
        });
    }
    EXPECT_EQ(StoredPlacement(settings),
              (controller::PickerPlacement{.Top = 120, .Left = 100, .Height = 300, .Width = 400}));
    EXPECT_EQ(common::win::LoadIniFile(settings).Get(u"Other", u"Key", u""), u"kept");
    controller::PickerSettingsFile nextStore(settings);
    const TIRunFindForm next(&nextStore);
    EXPECT_EQ(WindowBounds(next.Handle()), (procwin::Bounds{100, 120, 400, 300}));
    EXPECT_EQ(TakeParkedError(), nullptr);
}

TEST(TIRunFindForm, CreationTakesTheStoredPlacementWithinLimits)
{
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const struct
    {
        const char *name;
        std::string section;
        procwin::Bounds expected; // width and height 0: the design client area
    } cases[] = {
        {"nothing stored", "", {0, 0, 0, 0}},
        {"all four", "Top=40\r\nLeft=30\r\nHeight=260\r\nWidth=380\r\n", {30, 40, 380, 260}},
        {"some of them", "Left=50\r\nTop=nonsense\r\n", {50, 0, 0, 0}},
        {"smaller than the minimum", "Top=10\r\nLeft=20\r\nHeight=50\r\nWidth=60\r\n", {20, 10, 300, 200}},
        {"off every monitor",
         "Top=4000\r\nLeft=5000\r\nHeight=260\r\nWidth=380\r\n",
         {(screenWidth - 380) / 2, -1, 380, 260}},
    };
    for (const auto &c : cases)
    {
        TempFolder temp;
        if (!c.section.empty())
            WriteBytes(temp / u"KV2.ini", Utf16File("[IRunFindWindow]\r\n" + c.section));
        controller::PickerSettingsFile store(temp / u"KV2.ini");
        const TIRunFindForm form(&store);
        const procwin::Bounds bounds = WindowBounds(form.Handle());
        EXPECT_EQ(bounds.left, c.expected.left) << c.name;
        if (c.expected.top >= 0)
        {
            EXPECT_EQ(bounds.top, c.expected.top) << c.name;
        }
        EXPECT_FALSE(procwin::IsOffScreen(bounds)) << c.name;
        if (c.expected.width == 0)
        {
            EXPECT_EQ(ClientSize(form.Handle()), std::pair(kClientWidth, kClientHeight)) << c.name;
        }
        else
        {
            EXPECT_EQ(OuterSize(form.Handle()), std::pair(c.expected.width, c.expected.height)) << c.name;
        }
    }
}

TEST(TIRunFindForm, ClosingWaitsForASettingsFileHeldByAnotherProgram)
{
    TakeParkedError(); // from earlier tests
    const struct
    {
        const char *name;
        std::u16string holderArguments;
        bool saved;
        std::chrono::milliseconds minWait, maxWait;
    } cases[] = {
        // Five attempts 500 ms apart, then the write fails: the error is parked, nothing unwinds.
        {"held throughout", u"--exit-after 60000", false, 2400ms, 8000ms},
        {"let go after a while", u"--exit-after 1000", true, 0ms, 2400ms},
    };
    for (const auto &c : cases)
    {
        TempFolder temp;
        const std::u16string settings = temp / u"KV2.ini";
        const std::string before = Utf16File("[Other]\r\nKey=kept\r\n");
        WriteBytes(settings, before);
        controller::PickerSettingsFile store(settings);
        TIRunFindForm form(&store);
        std::chrono::steady_clock::duration waited{};
        {
            // Without a window: one shown after the picker would take the foreground from it.
            Process holder(BinFolder() + u"\\KV2TargetConsole.exe",
                           c.holderArguments + u" --hold-file \"" + settings + u"\"");
            ASSERT_TRUE(WaitUntil([&] { return common::win::FileExistsReady(settings + u".held"); }, 20s))
                << c.name;
            ShowModalWith(form, [&](HWND window) {
                const auto start = std::chrono::steady_clock::now();
                PostMessageW(window, WM_CLOSE, 0, 0);
                // Messages keep running while the close waits: every probe is answered within a second,
                // where a close that blocked its thread would hold it for the whole wait (a loaded machine
                // may take a few hundred milliseconds to schedule the answer).
                for (int probe = 0; probe < 6 && IsWindowVisible(window); ++probe)
                {
                    WaitUntil([] { return false; }, 100ms);
                    DWORD_PTR answer = 0;
                    EXPECT_TRUE(SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer) != 0 ||
                                !IsWindowVisible(window))
                        << c.name << ", probe " << probe;
                }
                WaitUntil([&] { return IsWindowVisible(window) == FALSE; }, 10s);
                waited = std::chrono::steady_clock::now() - start;
            });
        }
        EXPECT_GE(waited, c.minWait) << c.name;
        EXPECT_LT(waited, c.maxWait) << c.name;
        const std::exception_ptr parked = TakeParkedError();
        EXPECT_EQ(parked != nullptr, !c.saved) << c.name;
        if (parked)
        {
            EXPECT_THROW(std::rethrow_exception(parked), common::win::WinError) << c.name;
        }
        if (c.saved)
        {
            EXPECT_NE(StoredPlacement(settings), std::nullopt) << c.name;
        }
        else
        {
            EXPECT_EQ(ReadBytes(settings), before) << c.name;
        }
    }
}
