#include "ui/win/KeyForm.h"

#include "common/win/SystemFonts.h"
#include "common/win/WinError.h"
#include "common/win/WinText.h"
#include "gui/Application.h"
#include "gui/Modal.h"
#include "procwin/win/WindowInfo.h"
#include "ui/win/HookHotKey.h"

#include <algorithm>
#include <utility>

namespace ui
{

namespace
{

constexpr wchar_t kKeyFormClassName[] = L"TKeyForm";
constexpr int kEditKeyId = 100;
constexpr int kTakenLabelId = 101;

// The design, in pixels at 96 DPI: an edit across the top and two buttons at the bottom right.
constexpr int kClientWidth = 262;
constexpr int kEditHeight = 21;
constexpr int kButtonWidth = 81;
constexpr int kButtonHeight = 30;

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kFormExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;

ShiftState CurrentShiftState()
{
    // The state as of the key message being handled, not the physical keyboard's now.
    return {.shift = GetKeyState(VK_SHIFT) < 0,
            .ctrl = GetKeyState(VK_CONTROL) < 0,
            .alt = GetKeyState(VK_MENU) < 0};
}

// The dialog being shown: the keyboard hook's callback carries no context, and one dialog shows at a time.
TKeyForm *g_shown = nullptr;

ShiftState AsyncShiftState()
{
    return {.shift = GetAsyncKeyState(VK_SHIFT) < 0,
            .ctrl = GetAsyncKeyState(VK_CONTROL) < 0,
            .alt = GetAsyncKeyState(VK_MENU) < 0};
}

} // namespace

TKeyForm::TKeyForm()
{
    Create({.className = kKeyFormClassName,
            .caption = u"キーの設定",
            .style = kFormStyle,
            .exStyle = kFormExStyle,
            .place = {0, 0, 0, 0}});
    try
    {
        const RECT none{};
        m_editKey = CreateChild(L"EDIT", u"", ES_READONLY | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, none, kEditKeyId);
        m_btnOK = CreateChild(L"BUTTON", u"OK", BS_PUSHBUTTON, 0, none, IDOK);
        m_btnCancel = CreateChild(L"BUTTON", u"キャンセル", BS_PUSHBUTTON, 0, none, IDCANCEL);
        // Beside the buttons, shown only for a combination that another program holds as its hot key
        // (its keys would reach that program instead of the target).
        m_taken = CreateChild(L"STATIC", u"他のプログラムが使用中のキーです", SS_LEFT, 0, none, kTakenLabelId);
        ShowWindow(m_taken, SW_HIDE);
        Layout();
        FormCreate();
    }
    catch (...)
    {
        DestroyWindow(Handle());
        throw;
    }
}

void TKeyForm::Layout()
{
    m_font.Reset(common::win::CreateSystemFont(common::win::SystemFont::Menu, Dpi()));
    const int width = Scale(kClientWidth);
    const int buttonWidth = Scale(kButtonWidth);
    const int buttonTop = Scale(kEditHeight);
    const int bottom = buttonTop + Scale(kButtonHeight);
    const std::pair<HWND, RECT> places[] = {
        {m_editKey, {0, 0, width, buttonTop}},
        {m_btnOK, {width - 2 * buttonWidth, buttonTop, width - buttonWidth, bottom}},
        {m_btnCancel, {width - buttonWidth, buttonTop, width, bottom}},
        {m_taken, {Scale(2), buttonTop + Scale(2), width - 2 * buttonWidth - Scale(2), bottom}},
    };
    for (const auto &[control, place] : places)
    {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
        MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    }
    SetClientSize(width, bottom);
}

void TKeyForm::OnDpiChanged()
{
    Layout();
}

TKeyForm::~TKeyForm()
{
    // Destroy the children while the font and this object's members still exist.
    if (Handle() != nullptr)
        DestroyWindow(Handle());
}

HWND TKeyForm::CreateChild(const wchar_t *className, const std::u16string &text, DWORD style, DWORD exStyle,
                           RECT place, int id)
{
    HWND child = CreateWindowExW(exStyle, className, common::win::W(text), WS_CHILD | WS_VISIBLE | style,
                                 place.left, place.top, place.right - place.left, place.bottom - place.top,
                                 Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
    if (child == nullptr)
        throw common::win::WinError("CreateWindowExW");
    return child;
}

void TKeyForm::FormCreate()
{
    SetWindowLongPtrW(m_editKey, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_editKeyDefaultProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(m_editKey, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TKeyForm::EditKeyProcedure)));
}

int TKeyForm::ShowModal(HWND owner)
{
    if (Shown())
        return kResultCancel;
    RECT frame{};
    GetWindowRect(Handle(), &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(Handle(), HWND_TOPMOST, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    // A combination that another program holds as a hot key never reaches the edit (the system hands it
    // to that program): while the dialog shows, a keyboard hook sees it first, shows it as taken and
    // keeps it from setting the other program off.
    g_shown = this;
    m_hookShownAt = 0;
    int result = 0;
    {
        const common::win::UniqueHook hook(
            SetWindowsHookExW(WH_KEYBOARD_LL, &TKeyForm::KeyboardProcedure, GetModuleHandleW(nullptr), 0));
        // Every key, Tab, Enter and Esc included, goes to the edit's capture.
        result = RunModal(owner, m_editKey);
    }
    g_shown = nullptr;
    return result;
}

LRESULT CALLBACK TKeyForm::KeyboardProcedure(int code, WPARAM message, LPARAM data) noexcept
{
    if (code == HC_ACTION && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) && g_shown != nullptr &&
        GetForegroundWindow() == g_shown->Handle())
    {
        try
        {
            const auto *key = reinterpret_cast<const KBDLLHOOKSTRUCT *>(data);
            const std::u16string text = CaptureKeyText(key->vkCode, AsyncShiftState(), g_shown->m_keyNames);
            if (!text.empty() && HotKeyTaken(g_shown->Handle(), TextToShortCut(text, g_shown->m_keyNames)))
            {
                g_shown->m_hookShownAt = std::max<DWORD>(key->time, 1);
                g_shown->ShowCaptured(text, true);
                return 1;
            }
        }
        catch (...)
        {
            gui::Application::Instance().ParkException(std::current_exception());
        }
    }
    return CallNextHookEx(nullptr, code, message, data);
}

std::u16string TKeyForm::KeyText() const
{
    return procwin::WindowText(m_editKey);
}

void TKeyForm::FormShow()
{
    SetWindowTextW(m_editKey, L"");
    EnableWindow(m_btnOK, FALSE);
    ShowWindow(m_taken, SW_HIDE);
}

void TKeyForm::EditKeyKeyDown(unsigned keyCode)
{
    // A key that went down no later than the combination the hook showed is part of it, or older.
    if (m_hookShownAt != 0 && static_cast<LONG>(static_cast<DWORD>(GetMessageTime()) - m_hookShownAt) <= 0)
        return;
    m_hookShownAt = 0;
    const std::u16string text = CaptureKeyText(keyCode, CurrentShiftState(), m_keyNames);
    ShowCaptured(text, HotKeyTaken(Handle(), TextToShortCut(text, m_keyNames)));
}

void TKeyForm::ShowCaptured(const std::u16string &text, bool taken)
{
    SetWindowTextW(m_editKey, common::win::W(text));
    const auto end = static_cast<WPARAM>(text.size());
    SendMessageW(m_editKey, EM_SETSEL, end, static_cast<LPARAM>(end));
    ShowWindow(m_taken, taken ? SW_SHOWNA : SW_HIDE);
}

void TKeyForm::EditKeyChange()
{
    EnableWindow(m_btnOK, GetWindowTextLengthW(m_editKey) > 0);
}

LRESULT TKeyForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_COMMAND:
        if (LOWORD(wParam) == kEditKeyId && HIWORD(wParam) == EN_CHANGE)
            EditKeyChange();
        else if (LOWORD(wParam) == IDOK && HIWORD(wParam) == BN_CLICKED && IsWindowEnabled(m_btnOK))
            EndModal(kResultOK);
        else if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == BN_CLICKED)
            EndModal(kResultCancel);
        return 0;
    default:
        break;
    }
    return ModalForm::OnMessage(message, wParam, lParam);
}

LRESULT CALLBACK TKeyForm::EditKeyProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto *self = reinterpret_cast<TKeyForm *>(GetWindowLongPtrW(edit, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(edit, message, wParam, lParam);
    try
    {
        switch (message)
        {
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS |
                   CallWindowProcW(self->m_editKeyDefaultProcedure, edit, message, wParam, lParam);
        // Key-downs with Alt held arrive as WM_SYSKEYDOWN.
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            self->EditKeyKeyDown(static_cast<unsigned>(wParam));
            return 0;
        // The key-down handled the key: neither the characters TranslateMessage made of it nor the
        // release of Alt or F10 (which would open the system menu) may act.
        case WM_CHAR:
        case WM_SYSCHAR:
        case WM_SYSKEYUP:
            return 0;
        default:
            break;
        }
    }
    catch (...)
    {
        gui::Application::Instance().ParkException(std::current_exception());
        return 0;
    }
    return CallWindowProcW(self->m_editKeyDefaultProcedure, edit, message, wParam, lParam);
}

} // namespace ui
