#include "gui/InputText.h"

#include "common/win/SystemFonts.h"
#include "common/win/Unique.h"
#include "common/win/WinError.h"
#include "common/win/WinText.h"
#include "gui/MessagePump.h"

#include <windows.h>

namespace gui
{

using common::win::CreateSystemFont;
using common::win::SystemFont;
using common::win::U;
using common::win::UniqueGdiObject;
using common::win::W;
using common::win::WinError;

namespace
{

constexpr wchar_t kInputTextClassName[] = L"KV2InputText";
constexpr int kMaxInputLength = 255;

struct DialogState
{
    HWND edit = nullptr;
    bool done = false;
    bool confirmed = false;
    std::u16string text;
};

void Finish(HWND window, DialogState &state)
{
    state.done = true;
    // The answer may have come in a message sent from another thread.
    gui::WakePump(window);
}

LRESULT CALLBACK InputTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto *state = reinterpret_cast<DialogState *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message)
    {
    case WM_NCCREATE:
        SetWindowLongPtrW(
            window, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams));
        break;
    case WM_COMMAND:
        if (state != nullptr && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
        {
            if (LOWORD(wParam) == IDOK)
            {
                const int length = GetWindowTextLengthW(state->edit);
                std::u16string buffer(static_cast<size_t>(length) + 1, u'\0');
                const int copied = GetWindowTextW(state->edit, common::win::Writable(buffer), length + 1);
                buffer.resize(static_cast<size_t>(std::max(copied, 0)));
                state->text = std::move(buffer);
                state->confirmed = true;
            }
            Finish(window, *state);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (state != nullptr)
            Finish(window, *state);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterInputTextClass()
{
    static const ATOM atom = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = InputTextProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kInputTextClassName;
        return RegisterClassExW(&windowClass);
    }();
    if (atom == 0)
        throw WinError("RegisterClassExW");
}

// Dialog base units of a font: the average width of the 52 Latin letters and the text height.
SIZE DialogUnits(HFONT font)
{
    static constexpr wchar_t kLetters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const common::win::UniqueDc dc(nullptr);
    const HGDIOBJ old = SelectObject(dc.Dc(), font);
    SIZE extent{};
    GetTextExtentPoint32W(dc.Dc(), kLetters, 52, &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.Dc(), &metrics);
    SelectObject(dc.Dc(), old);
    return {extent.cx / 52, metrics.tmHeight};
}

int MeasureWrappedHeight(HFONT font, const std::u16string &text, int width)
{
    const common::win::UniqueDc dc(nullptr);
    const HGDIOBJ old = SelectObject(dc.Dc(), font);
    RECT bounds{0, 0, width, 0};
    DrawTextW(dc.Dc(), W(text), -1, &bounds, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc.Dc(), old);
    return bounds.bottom;
}

HWND CreateChild(HWND parent, const wchar_t *className, const std::u16string &text, DWORD style,
                 DWORD exStyle, RECT place, int id, HFONT font)
{
    HWND child = CreateWindowExW(exStyle, className, W(text), WS_CHILD | WS_VISIBLE | style, place.left,
                                 place.top, place.right - place.left, place.bottom - place.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                 nullptr);
    if (child == nullptr)
        throw WinError("CreateWindowExW");
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

} // namespace

bool InputText(const std::u16string &caption, const std::u16string &prompt, std::u16string &text)
{
    RegisterInputTextClass();
    UniqueGdiObject font(CreateSystemFont(SystemFont::Message));
    const HFONT dialogFont = static_cast<HFONT>(font.Get());
    const SIZE units = DialogUnits(dialogFont);
    const auto x = [&](int n) { return MulDiv(n, units.cx, 4); };
    const auto y = [&](int n) { return MulDiv(n, units.cy, 8); };

    const int promptHeight = MeasureWrappedHeight(dialogFont, prompt, x(164));
    const RECT promptPlace{x(8), y(8), x(8) + x(164), y(8) + promptHeight};
    const int editTop = promptPlace.bottom + 5;
    const RECT editPlace{x(8), editTop, x(8) + x(164), editTop + units.cy + 8};
    const int buttonTop = editPlace.bottom + 15;
    const RECT okPlace{x(38), buttonTop, x(38) + x(50), buttonTop + y(14)};
    const RECT cancelPlace{x(92), buttonTop, x(92) + x(50), buttonTop + y(14)};

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    RECT frame{0, 0, x(180), okPlace.bottom + 13};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;

    // Owned by the active window, so that the dialog stays above it and the owner is disabled while it
    // is shown, as with any modal dialog.
    HWND owner = GetActiveWindow(); // not owned
    DialogState state;
    HWND dialog = CreateWindowExW(exStyle, kInputTextClassName, W(caption), style,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, owner, nullptr,
                                  GetModuleHandleW(nullptr), &state);
    if (dialog == nullptr)
        throw WinError("CreateWindowExW");
    try
    {
        CreateChild(dialog, L"STATIC", prompt, SS_LEFT | SS_NOPREFIX, 0, promptPlace, -1, dialogFont);
        state.edit = CreateChild(dialog, L"EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                                 editPlace, 100, dialogFont);
        SendMessageW(state.edit, EM_LIMITTEXT, kMaxInputLength, 0);
        SendMessageW(state.edit, EM_SETSEL, 0, -1);
        CreateChild(dialog, L"BUTTON", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, okPlace, IDOK, dialogFont);
        CreateChild(dialog, L"BUTTON", u"キャンセル", WS_TABSTOP | BS_PUSHBUTTON, 0, cancelPlace, IDCANCEL,
                    dialogFont);
    }
    catch (...)
    {
        DestroyWindow(dialog);
        throw;
    }

    const bool ownerWasEnabled = owner != nullptr && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    SetFocus(state.edit);

    gui::PumpUntil([&] { return state.done; }, {.preTranslate = [dialog](MSG &message) {
                       return IsDialogMessageW(dialog, &message) != FALSE;
                   }});
    // Enable the owner before the dialog goes, so that activation returns to it.
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
    DestroyWindow(dialog);
    if (state.confirmed)
        text = state.text;
    return state.confirmed;
}

} // namespace gui
