// What each menu command means, apart from Windows: the command and the controller's state go in, the
// state changes and the list of things to do to the target and to KV2's own parts come out. The Win32
// side reads the facts, performs the effects in the order of the fields below and draws the menu.
#pragma once

#include "controller/MenuModel.h"

#include <cstdint>
#include <optional>
#include <string>

namespace controller
{

// The target as the Win32 side sees it when the command comes.
struct TargetFacts
{
    bool exists = false;  // the target window is a window
    bool visible = false; // it is visible (not hidden in the tray)
    bool iconic = false;  // it is minimized
    bool sizable = false; // it has a sizing frame now
    bool mouseHookInstalled = false;
    std::u16string originalCaption; // its caption as found at attachment ("デフォルト")
};

// The dialog a command opens before its change is complete. The Win32 side shows it, puts the answer
// into the options (the caption text, the key text) and then saves when `save` is set.
enum class CommandDialog
{
    None,
    CaptionInput, // "タイトルバーの編集": the fixed caption
    WheelKey1,    // the key dialog for the single click
    WheelKey2,    // the key dialog for the double click
    Picker,       // "修正": choose the target among the program's windows
    TaskEditor,   // "編集": the task file in its editor
};

// The flows that wait or end something; each is a procedure of its own on the Win32 side.
enum class CommandFlow
{
    None,
    Activate,  // "起動/表示"
    Exit,      // "閉じる"
    Restart,   // "再起動"
    Terminate, // "強制終了"
    CloseKV2,  // "KV2を閉じる"
    CloseAll,  // "終了": the target is asked to close, KV2 ends
};

struct CommandEffects
{
    bool ignored = false; // the item is disabled: the command is not the user's and changed nothing
    std::optional<std::uint32_t> priorityClass; // set the target's priority class (when it differs)
    std::optional<int> translucency;            // set the target's translucency (percent)
    std::optional<bool> captionless;            // maximize without a title bar, or put the frame back
    std::optional<bool> topMost;
    std::optional<bool> taskBarButton; // true: show the target's button, false: hide it
    bool hideToTray = false;           // the minimized target goes into the tray
    bool showMinimized = false;        // the target hidden in the tray comes back minimized
    bool stopMouseHook = false;
    bool wireClicks = false;        // the tray icon and the icon window follow the click option
    std::optional<int> display;     // show the tray icon and the icon window of this display mode
    CommandDialog dialog = CommandDialog::None;
    CommandFlow flow = CommandFlow::None;
    bool save = false; // the options are saved (after the dialog)

    bool operator==(const CommandEffects &) const = default;
};

// Applies the menu command `id` to `model` (its options and what the menu shows of the target) and
// answers what the Win32 side does next. A command whose item the menu shows disabled is ignored; an
// unknown id does nothing.
CommandEffects RunCommand(unsigned id, const TargetFacts &target, MenuInputs &model);

// The text the caption dialog starts with: the fixed caption, else the target's present caption, else
// the one found at attachment when the target is gone.
std::u16string CaptionDialogText(const TrayOptions &options, const TargetFacts &target,
                                 const std::u16string &presentCaption);

} // namespace controller
