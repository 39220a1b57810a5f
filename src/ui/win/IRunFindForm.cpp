#include "ui/win/IRunFindForm.h"

#include "common/ScopeExit.h"
#include "common/win/CommonControls.h"
#include "common/win/SystemFonts.h"
#include "common/Text.h"
#include "common/win/WinError.h"
#include "common/win/WinText.h"
#include "gui/Application.h"
#include "gui/MessagePump.h"
#include "gui/Modal.h"
#include "procwin/win/ProgramWindows.h"
#include "procwin/win/WindowInfo.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

namespace ui
{

namespace
{

using common::win::W;

constexpr wchar_t kIRunFindFormClassName[] = L"TIRunFindForm";
constexpr char16_t kCaption[] = u"実行中のプログラム";
constexpr wchar_t kHint[] = L"ダブルクリックまたは[Enter]で確定\r\n[Esc]で閉じる";
constexpr int kListBoxId = 100;

// The design, in pixels at 96 DPI.
constexpr int kClientWidth = 342;
constexpr int kClientHeight = 252;
constexpr int kMinWidth = 300; // outer size
constexpr int kMinHeight = 200;

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_TOOLWINDOW;

// Closing waits for another program that may be writing the settings file: this many attempts to
// open it without sharing, this far apart.
constexpr int kOpenAttempts = 5;
constexpr DWORD kOpenRetryMilliseconds = 500;

constexpr wchar_t kCharEnter = 13;
constexpr wchar_t kCharEscape = 27;

} // namespace

TIRunFindForm::TIRunFindForm(PlacementStore *placementStore)
    : m_placementStore(placementStore)
{
    Create({.className = kIRunFindFormClassName,
            .caption = kCaption,
            .style = kFormStyle,
            .exStyle = kFormExStyle,
            .place = {0, 0, 0, 0}});
    try
    {
        m_font.Reset(common::win::CreateSystemFont(common::win::SystemFont::Menu, Dpi()));
        SetClientSize(Scale(kClientWidth), Scale(kClientHeight));
        CreateControls();
        FormCreate();
    }
    catch (...)
    {
        DestroyWindow(Handle());
        throw;
    }
}

TIRunFindForm::~TIRunFindForm()
{
    // Destroy the children while the font and this object's members still exist.
    if (Handle() != nullptr)
        DestroyWindow(Handle());
}

void TIRunFindForm::OnDpiChanged()
{
    m_font.Reset(common::win::CreateSystemFont(common::win::SystemFont::Menu, Dpi()));
    SendMessageW(m_listBox, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
    procwin::FitListBoxExtent(m_listBox);
    SendMessageW(m_hint, TTM_SETMAXTIPWIDTH, 0, Scale(kClientWidth));
}

void TIRunFindForm::CreateControls()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RECT client{};
    GetClientRect(Handle(), &client);
    m_listBox = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                                    LBS_NOINTEGRALHEIGHT,
                                0, 0, client.right, client.bottom, Handle(),
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListBoxId)), instance, nullptr);
    if (m_listBox == nullptr)
        throw common::win::WinError("CreateWindowExW");
    SendMessageW(m_listBox, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
    // The form sees Enter and Escape before the list does.
    SetWindowLongPtrW(m_listBox, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_listBoxDefaultProcedure = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        m_listBox, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TIRunFindForm::ListBoxProcedure)));
    if (m_listBoxDefaultProcedure == nullptr)
        throw common::win::WinError("SetWindowLongPtrW");

    common::win::LoadCommonControls(ICC_WIN95_CLASSES);
    m_hint = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                             instance, nullptr);
    if (m_hint == nullptr)
        throw common::win::WinError("CreateWindowExW");
}

void TIRunFindForm::FormCreate()
{
    // Each value defaults to the design placement; a stored size below the minimum is raised to it, as
    // sizing by hand is (WM_GETMINMAXINFO).
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    PickerPlacement placement{.Top = frame.top,
                              .Left = frame.left,
                              .Height = frame.bottom - frame.top,
                              .Width = frame.right - frame.left};
    if (m_placementStore != nullptr)
    {
        try
        {
            m_placementStore->LoadPlacement(placement);
        }
        catch (...)
        {
            gui::Application::Instance().ParkException(std::current_exception());
        }
    }
    SetWindowPos(Handle(), nullptr, placement.Left, placement.Top,
                 std::max(placement.Width, Scale(kMinWidth)), std::max(placement.Height, Scale(kMinHeight)),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    procwin::CenterIfOffScreen(Handle());

    // A record size that versions 5 and 6 of the common controls both accept.
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(m_listBox);
    tool.lpszText = const_cast<wchar_t *>(kHint);
    if (!SendMessageW(m_hint, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)))
        throw common::win::WinError("TTM_ADDTOOLW", ERROR_INVALID_PARAMETER);
    // A maximum width makes the tip break its lines at CR LF.
    SendMessageW(m_hint, TTM_SETMAXTIPWIDTH, 0, Scale(kClientWidth));
}

void TIRunFindForm::FormShow()
{
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    const common::ScopeExit restore([] { SetCursor(LoadCursorW(nullptr, IDC_ARROW)); });
    Proc_FindApp();
}

void TIRunFindForm::Proc_FindApp()
{
    SendMessageW(m_listBox, LB_RESETCONTENT, 0, 0);
    m_listBoxH.clear();
    for (const procwin::ProgramWindow &entry : Listing())
    {
        m_listBoxH.push_back(entry.window);
        SendMessageW(m_listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(entry.title)));
    }
    procwin::FitListBoxExtent(m_listBox);
}

std::vector<procwin::ProgramWindow> TIRunFindForm::Listing()
{
    return procwin::ProgramWindows(MTargetExe);
}

int TIRunFindForm::ShowModal(HWND owner)
{
    // Enter and Escape reach FormKeyPress as characters.
    return RunModal(owner, m_listBox);
}

bool TIRunFindForm::FormKeyPress(wchar_t key)
{
    if (key == kCharEscape)
        EndModal(kResultCancel);
    else if (key == kCharEnter)
        ListBoxDblClick();
    else
        return false;
    return true;
}

void TIRunFindForm::ListBoxDblClick()
{
    const LRESULT index = SendMessageW(m_listBox, LB_GETCURSEL, 0, 0);
    if (index < 0)
        return;
    const auto line = static_cast<size_t>(index);
    MTargetHandle = line < m_listBoxH.size() ? m_listBoxH[line] : nullptr;

    EndModal(kResultOK);
}

void TIRunFindForm::FormCloseQuery()
{
    if (m_placementStore == nullptr)
        return;
    WaitForSettingsFile();
    SavePlacement();
}

void TIRunFindForm::WaitForSettingsFile()
{
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt)
    {
        if (!m_placementStore->Held())
        {
            gui::PumpUntil(nullptr, {.timeout = 0}); // the messages waiting meanwhile
            return;
        }
        if (gui::PumpUntil(nullptr, {.timeout = kOpenRetryMilliseconds}) == gui::PumpEnd::Quit)
            return; // the program is ending: no more waiting
    }
}

void TIRunFindForm::SavePlacement()
{
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    const PickerPlacement placement{.Top = frame.top,
                                    .Left = frame.left,
                                    .Height = frame.bottom - frame.top,
                                    .Width = frame.right - frame.left};
    try
    {
        m_placementStore->SavePlacement(placement);
    }
    catch (...)
    {
        gui::Application::Instance().ParkException(std::current_exception());
    }
}

LRESULT TIRunFindForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_SIZE:
        if (m_listBox != nullptr)
            MoveWindow(m_listBox, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO *>(lParam)->ptMinTrackSize = {Scale(kMinWidth), Scale(kMinHeight)};
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == kListBoxId && HIWORD(wParam) == LBN_DBLCLK)
            ListBoxDblClick();
        return 0;
    case WM_CHAR:
        if (FormKeyPress(static_cast<wchar_t>(wParam)))
            return 0;
        break;
    default:
        break;
    }
    return ModalForm::OnMessage(message, wParam, lParam);
}

LRESULT CALLBACK TIRunFindForm::ListBoxProcedure(HWND listBox, UINT message, WPARAM wParam,
                                                 LPARAM lParam) noexcept
{
    auto *self = reinterpret_cast<TIRunFindForm *>(GetWindowLongPtrW(listBox, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(listBox, message, wParam, lParam);
    try
    {
        if (message == WM_CHAR && self->FormKeyPress(static_cast<wchar_t>(wParam)))
            return 0;
    }
    catch (...)
    {
        gui::Application::Instance().ParkException(std::current_exception());
        return 0;
    }
    return CallWindowProcW(self->m_listBoxDefaultProcedure, listBox, message, wParam, lParam);
}

} // namespace ui
