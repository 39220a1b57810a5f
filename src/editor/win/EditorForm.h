// KV2C's window: the fields of one task file, in the order a user fills them in, and its saving.
#pragma once

#include "common/win/Unique.h"
#include "editor/TaskFields.h"
#include "gui/Window.h"
#include "ui/win/IRunFindForm.h"
#include "ui/win/KeyForm.h"

#include <array>
#include <optional>
#include <span>
#include <string>

namespace editor
{

// The running-program picker over every other program's windows, each with its executable's name.
class RunningProgramPicker : public ui::TIRunFindForm
{
  public:
    RunningProgramPicker() : TIRunFindForm(nullptr)
    {
    }
    // The executable of the window the user chose, as it was listed; empty before a choice.
    std::u16string ChosenProgram() const;

  protected:
    std::vector<procwin::ProgramWindow> Listing() override;

  private:
    std::vector<std::u16string> m_programs; // line for line with the list
};

class EditorForm : public gui::Window
{
  public:
    static constexpr std::size_t kControls = 42; // the window's controls
    // A new task (an empty `path`), or the task file at `path`; a path that does not exist yet is a
    // new task that "保存" writes there. Shows the window.
    explicit EditorForm(std::u16string path);

    // Whether the window has been closed.
    bool Closed() const noexcept
    {
        return m_closed;
    }

    // Saves to the task's path (asking for one when it has none); false when nothing was saved.
    bool Save();
    // Asks for a path and saves there; the same without asking.
    bool SaveAs();
    bool SaveAs(const std::u16string &path);

    const std::u16string &Path() const noexcept
    {
        return m_path;
    }
    // The fields as the window shows them.
    TaskFields Fields() const;
    // Whether the window says that another program holds the hot key.
    bool HotKeyShownTaken() const;
    // The icon the window shows for the task.
    HICON ShownIcon() const;
    // Whether the window shows what it takes from the shell (the icon, the shortcuts, the file types):
    // from its first message on.
    bool Settled() const;

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnDpiChanged() override;

  private:
    void Layout(); // makes a control that is not there yet
    void Open();
    void ShowFields(const TaskFields &fields);
    // Checks the radio button at index of a choice's buttons.
    void Choose(std::span<const std::size_t> choices, std::size_t index);
    std::size_t Chosen(std::span<const std::size_t> choices) const;
    void ShowTitle();
    void ShowShortcuts();
    std::array<bool, 3> ShortcutBoxes() const;
    void ApplyShortcuts();
    void ShowFileTypes();
    void ShowShellParts(); // the icon, the shortcuts and the file types, once
    void ChooseFileTypes();
    bool SaveTo(const std::u16string &path);
    void TestLaunch();
    bool TakeProgram(const std::u16string &chosen);
    void BrowseProgram();
    void PickRunningProgram();
    void BrowseFolder();
    void Dropped(const std::u16string &file);
    void SetHotKey();
    void ShowIcon();
    void PickIcon();
    void ShowHotKeyTaken();
    bool MayLeave();
    void Close();
    int Ask(const std::u16string &text, UINT style) const;

    std::u16string m_path;
    bool m_closed = false;
    bool m_saving = false;
    bool m_filling = false; // the fields are being shown, not typed
    bool m_shellPartsShown = false;
    RawTaskKeys m_openedRaw;
    TaskFields m_opened; // the fields as opened or last saved
    std::array<HWND, kControls> m_controls{};
    std::array<bool, 3> m_shortcutsShown{}; // the shortcut boxes as opened or last saved
    common::win::UniqueGdiObject m_font;
    common::win::UniqueIcon m_icon;
    std::optional<ui::TKeyForm> m_keyForm; // made at its first use
    std::optional<RunningProgramPicker> m_picker; // made at its first use
};

} // namespace editor
