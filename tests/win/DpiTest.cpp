// KV2's windows on a monitor of another resolution: WM_DPICHANGED delivered in-process, as Windows sends
// it when a window is moved there (Wine has one resolution and never sends it).
#include "WinTestSupport.h"

#include "common/win/SystemFonts.h"
#include "gui/InputText.h"
#include "ui/win/CoolTrayIcon.h"
#include "ui/win/IRunFindForm.h"
#include "ui/win/KeyForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

using namespace wintest;
using namespace std::chrono_literals;

namespace
{

struct Look
{
    RECT client{};
    LONG fontHeight = 0; // of the control, as its LOGFONT holds it
};

Look LookAt(HWND window, HWND control)
{
    Look look;
    GetClientRect(window, &look.client);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font), &font);
    look.fontHeight = font.lfHeight;
    return look;
}

// Moves `window` to a monitor of twice its resolution, as the system does: the suggested rectangle is
// the frame at twice its size.
void DoubleTheResolution(HWND window, int dpi)
{
    RECT frame{};
    GetWindowRect(window, &frame);
    RECT suggested{frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                   frame.top + 2 * (frame.bottom - frame.top)};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
}

} // namespace

TEST(DpiChange, EachDialogMakesItsFontAndLayoutAgainAtTheNewResolution)
{
    struct Seen
    {
        Look before, after;
    };
    {
        SCOPED_TRACE("key dialog: a fixed layout");
        ui::TKeyForm form;
        const HWND edit = FindWindowExW(form.Handle(), nullptr, L"Edit", nullptr);
        const int dpi = form.Dpi();
        const Seen seen{LookAt(form.Handle(), edit), (DoubleTheResolution(form.Handle(), dpi),
                                                       LookAt(form.Handle(), edit))};
        EXPECT_EQ(form.Dpi(), 2 * dpi);
        EXPECT_EQ(seen.after.fontHeight, 2 * seen.before.fontHeight);
        EXPECT_EQ(seen.after.client.right, 2 * seen.before.client.right);
        EXPECT_NEAR(seen.after.client.bottom, 2 * seen.before.client.bottom, 1);
    }
    {
        SCOPED_TRACE("running-program list: sized by the user, its list fills it");
        ui::TIRunFindForm form(nullptr);
        const HWND list = FindWindowExW(form.Handle(), nullptr, L"ListBox", nullptr);
        const int dpi = form.Dpi();
        const Look before = LookAt(form.Handle(), list);
        DoubleTheResolution(form.Handle(), dpi);
        const Look after = LookAt(form.Handle(), list);
        EXPECT_EQ(after.fontHeight, 2 * before.fontHeight);
        RECT listPlace{};
        GetClientRect(list, &listPlace);
        EXPECT_GT(after.client.right, before.client.right);
        EXPECT_EQ(listPlace.right + 2 * GetSystemMetrics(SM_CXEDGE), after.client.right);
    }
    {
        SCOPED_TRACE("input dialog: laid out by its font");
        Seen seen;
        std::thread user([&] {
            HWND dialog = nullptr;
            // Shown: made and laid out.
            WaitUntil(
                [&] {
                    dialog = FindWindowW(L"KV2InputText", L"DPI");
                    return dialog != nullptr && IsWindowVisible(dialog);
                },
                20s);
            if (dialog == nullptr)
                return;
            const HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
            seen.before = LookAt(dialog, edit);
            // Sent from this thread, the rectangle's pointer is good in the dialog's.
            DoubleTheResolution(dialog, common::win::WindowDpi(dialog));
            seen.after = LookAt(dialog, edit);
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        std::u16string text;
        gui::InputText(u"DPI", u"prompt", text);
        user.join();
        ASSERT_NE(seen.before.fontHeight, 0) << "the dialog never showed";
        EXPECT_EQ(seen.after.fontHeight, 2 * seen.before.fontHeight);
        // The width is in units of the font's average character, which grows about twice.
        EXPECT_NEAR(seen.after.client.right, 2 * seen.before.client.right, 0.15 * seen.before.client.right);
    }
}

TEST(DpiChange, TheTrayIconIsMadeAgainWhenTheDisplayItsSettingsOrTheShellChange)
{
    ui::TCoolTrayIcon icon;
    int made = 0;
    icon.SetOnDisplayChange([&] { ++made; });
    const HWND handler = icon.Data().hWnd;
    SendMessageW(handler, WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 800));
    SendMessageW(handler, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    SendMessageW(handler, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    SendMessageW(handler, WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(made, 3);
    EXPECT_GE(icon.IconSize(), 16);
}
