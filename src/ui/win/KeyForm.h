// The key setting dialog ("キーの設定"): the user presses a key combination and the dialog shows it as
// shortcut text such as "Shift+Ctrl+F5".
#pragma once

#include "common/win/Unique.h"
#include "gui/Modal.h"
#include "ui/win/KeyNames.h"

#include <string>

namespace ui
{

class TKeyForm : public gui::ModalForm
{
  public:
    // Creates the hidden dialog once; ShowModal reuses it. Raises WinError when a window cannot be
    // created.
    TKeyForm();
    ~TKeyForm() override;

    // Shows the dialog centred on the screen with an empty edit and runs a message loop until the user
    // closes it; `owner` (may be null, not owned) is disabled meanwhile. Answers kResultOK when the user
    // confirmed a combination (KeyText() then holds it and is never empty), kResultCancel for Cancel,
    // closing, a WM_QUIT (posted again for the outer loop) or a call while the dialog is already shown.
    int ShowModal(HWND owner);

    // The edit's text: the last captured combination, or empty.
    std::u16string KeyText() const;

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

  private:
    void FormCreate();
    void FormShow() override;
    void EditKeyKeyDown(unsigned keyCode);
    // Shows a captured combination, and whether another program holds it.
    void ShowCaptured(const std::u16string &text, bool taken);
    static LRESULT CALLBACK KeyboardProcedure(int code, WPARAM message, LPARAM data) noexcept;
    void EditKeyChange();
    // The font, the controls and the size at the window's resolution.
    void Layout();
    HWND CreateChild(const wchar_t *className, const std::u16string &text, DWORD style, DWORD exStyle,
                     RECT place, int id);
    static LRESULT CALLBACK EditKeyProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    common::win::UniqueGdiObject m_font;
    LayoutKeyNames m_keyNames;
    // Children: destroyed with the dialog.
    HWND m_editKey = nullptr;
    HWND m_btnOK = nullptr;
    HWND m_btnCancel = nullptr;
    HWND m_taken = nullptr; // the note that another program holds the combination
    // When the keyboard hook last showed a taken combination (the key's event time), or 0. The hook runs
    // as the keys come in, ahead of the edit's key messages: the modifiers' own key-downs, still queued
    // behind it, must not clear what it showed.
    DWORD m_hookShownAt = 0;
    WNDPROC m_editKeyDefaultProcedure = nullptr;
};

} // namespace ui
