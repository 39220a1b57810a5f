#include "gui/InputText.h"

#include "common/win/SystemFonts.h"
#include "common/win/Unique.h"
#include "common/win/WinError.h"
#include "common/win/WinText.h"
#include "gui/DarkMode.h"
#include "gui/MessagePump.h"
#include "gui/Window.h"

#include <windows.h>

#include <utility>

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
    std::u16string prompt;
    UniqueGdiObject font; // at the dialog's resolution
    HWND promptLabel = nullptr;
    HWND edit = nullptr;
    HWND ok = nullptr;
    HWND cancel = nullptr;
    bool done = false;
    bool confirmed = false;
    std::u16string text;
};

void Layout(HWND dialog, DialogState &state, int dpi);

void Finish(HWND window, DialogState &state)
{
    state.done = true;
    // The answer may have come in a message sent from another thread.
    gui::WakePump(window);
}

LRESULT CALLBACK InputTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto *state = reinterpret_cast<DialogState *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (LRESULT colours = 0; DarkColors(window, message, wParam, colours))
        return colours;
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
    case WM_DPICHANGED:
        if (state != nullptr && state->edit != nullptr)
        {
            const auto &suggested = *reinterpret_cast<const RECT *>(lParam);
            SetWindowPos(window, nullptr, suggested.left, suggested.top, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(window, *state, LOWORD(wParam));
        }
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

// Lays the dialog out in the pixels of `dpi`: its font, its controls and its size (the frame as the
// system draws it at that resolution).
void Layout(HWND dialog, DialogState &state, int dpi)
{
    state.font.Reset(CreateSystemFont(SystemFont::Message, dpi));
    const HFONT dialogFont = static_cast<HFONT>(state.font.Get());
    const SIZE units = DialogUnits(dialogFont);
    const auto x = [&](int n) { return MulDiv(n, units.cx, 4); };
    const auto y = [&](int n) { return MulDiv(n, units.cy, 8); };
    const auto gap = [dpi](int n) { return common::ScaleForDpi(n, dpi); };

    const int promptHeight = MeasureWrappedHeight(dialogFont, state.prompt, x(164));
    const RECT promptPlace{x(8), y(8), x(8) + x(164), y(8) + promptHeight};
    const int editTop = promptPlace.bottom + gap(5);
    const RECT editPlace{x(8), editTop, x(8) + x(164), editTop + units.cy + gap(8)};
    const int buttonTop = editPlace.bottom + gap(15);
    const RECT okPlace{x(38), buttonTop, x(38) + x(50), buttonTop + y(14)};
    const RECT cancelPlace{x(92), buttonTop, x(92) + x(50), buttonTop + y(14)};
    const std::pair<HWND, RECT> places[] = {
        {state.promptLabel, promptPlace}, {state.edit, editPlace}, {state.ok, okPlace}, {state.cancel, cancelPlace}};
    for (const auto &[control, place] : places)
    {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont), FALSE);
        MoveWindow(control, place.left, place.top, place.right - place.left, place.bottom - place.top, TRUE);
    }
    SetClientSize(dialog, x(180), okPlace.bottom + gap(13), dpi);
}

} // namespace

bool InputText(const std::u16string &caption, const std::u16string &prompt, std::u16string &text)
{
    RegisterInputTextClass();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

    // Owned by the active window, so that the dialog stays above it and the owner is disabled while it
    // is shown, as with any modal dialog.
    HWND owner = GetActiveWindow(); // not owned
    DialogState state;
    state.prompt = prompt;
    // Made hidden on the primary monitor, laid out at that monitor's resolution, then centred on it.
    HWND dialog = CreateWindowExW(exStyle, kInputTextClassName, W(caption), style, 0, 0, 0, 0, owner, nullptr,
                                  GetModuleHandleW(nullptr), &state);
    if (dialog == nullptr)
        throw WinError("CreateWindowExW");
    try
    {
        const RECT none{};
        state.promptLabel = CreateChild(dialog, L"STATIC", prompt, SS_LEFT | SS_NOPREFIX, 0, none, -1, nullptr);
        state.edit = CreateChild(dialog, L"EDIT", text, WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, none,
                                 100, nullptr);
        SendMessageW(state.edit, EM_LIMITTEXT, kMaxInputLength, 0);
        SendMessageW(state.edit, EM_SETSEL, 0, -1);
        state.ok = CreateChild(dialog, L"BUTTON", u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, none, IDOK, nullptr);
        state.cancel = CreateChild(dialog, L"BUTTON", u"キャンセル", WS_TABSTOP | BS_PUSHBUTTON, 0, none,
                                   IDCANCEL, nullptr);
        Layout(dialog, state, common::win::WindowDpi(dialog));
        ApplyTheme(dialog);
    }
    catch (...)
    {
        DestroyWindow(dialog);
        throw;
    }
    RECT frame{};
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

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
