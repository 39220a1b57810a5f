// The running-program picker ("実行中のプログラム"): lists the top-level windows of every running
// process whose executable has the target program's file name, and lets the user pick one.
//
// The controller calls Proc_FindApp alone to learn whether the target program already runs (before the
// first launch) and which of its windows existed before a launch (the fall-back window search skips
// every window in ListBoxH), and ShowModal to let the user choose a window to manage.
#pragma once

#include "common/win/Unique.h"
#include "gui/Modal.h"
#include "procwin/win/ProgramWindows.h"
#include "ui/PickerPlacement.h"

#include <string>
#include <vector>

namespace ui
{

class TIRunFindForm : public gui::ModalForm
{
  public:
    // Creates the hidden form once for the program's life, with its placement from `placementStore`
    // (not owned; it outlives the form; null reads and writes nothing). Raises WinError when a window
    // cannot be created; an unreadable store is reported to gui::Application::ParkException and the
    // design placement is kept.
    explicit TIRunFindForm(PlacementStore *placementStore);
    ~TIRunFindForm() override;

    // The file-name part of the target's program path, lower-cased ("notepad.exe"). Set by the caller
    // before each use.
    std::u16string MTargetExe;
    // The result of a modal use: null until the user confirms an entry, then the chosen window (not
    // owned; it may have closed since it was listed). Set to null by the caller before each use.
    HWND MTargetHandle = nullptr;

    // Rebuilds the list from the running windows, in the system's window order (front-most first):
    // every unowned top-level window that is visible, has a title and belongs to an executable named
    // MTargetExe, skipping a title already listed (compared ignoring case). File-system redirection is
    // off meanwhile.
    void Proc_FindApp();

    // Fills the list and shows the form, with `owner` (may be null, not owned) disabled, until the user
    // closes it: Enter or a double click on an entry stores that entry's window in MTargetHandle and
    // closes; Escape or the close box closes. Closing writes the placement to the store; while the store
    // is held by another program it first makes five attempts 500 ms apart, with messages running. A failed
    // write is parked with gui::Application, never raised. Answers kResultOK when an entry was chosen,
    // kResultCancel otherwise (also for a WM_QUIT, which is posted again for the outer loop, and for a call
    // while the form is already shown).
    int ShowModal(HWND owner);

    // The listed windows (not owned; they may have closed since), line for line with the titles of
    // ListBox(). Kept until the next Proc_FindApp or ShowModal.
    const std::vector<HWND> &ListBoxH() const noexcept
    {
        return m_listBoxH;
    }

    // The visible list box of window titles (a child of the form).
    HWND ListBox() const noexcept
    {
        return m_listBox;
    }

  protected:
    // The windows to list: those of MTargetExe's program.
    virtual std::vector<procwin::ProgramWindow> Listing();
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

  private:
    void CreateControls();
    void FormCreate();
    void FormShow() override;
    // Answers true when the key was Enter or Escape and has been handled.
    bool FormKeyPress(wchar_t key);
    void FormCloseQuery() override;
    void ListBoxDblClick();
    void WaitForSettingsFile();
    void SavePlacement();
    static LRESULT CALLBACK ListBoxProcedure(HWND listBox, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept;

    PlacementStore *m_placementStore; // not owned
    common::win::UniqueGdiObject m_font;
    std::vector<HWND> m_listBoxH; // not owned
    // Children and the tool tip: destroyed with the form.
    HWND m_listBox = nullptr;
    WNDPROC m_listBoxDefaultProcedure = nullptr;
    HWND m_hint = nullptr;
};

} // namespace ui
