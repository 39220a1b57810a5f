// The controller's pop-up menu as data: the command identifiers of its items, the priority and
// translucency tables behind its submenus, and the tray tip texts the monitor shows.
#pragma once

#include "controller/Options.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace controller
{

// Command identifiers of the menu items (WM_COMMAND wParam). Fixed: the items are also reachable by
// posting these commands to the controller window.
enum MenuCommand : unsigned
{
    kPPAct = 100,
    kPPPriority = 110,  // submenu
    kPPPriority0 = 111, // "通常"; PPPriority0 + tag
    kPPPriority4 = 115,
    kPPTrans = 120,    // submenu
    kPPTrans10 = 121,  // tag 1; the item of percent (tag + 1) * 5 is kPPTrans10 - 1 + tag
    kPPTrans100 = 139, // tag 19
    kPPMAX = 140,
    kPPTitle = 141, // submenu
    kPPCaption = 142,
    kPPEdit = 143,
    kPPDefault = 144,
    kPPMostTop = 145,
    kPPNonTaskBar = 146,
    kPPWheelClick = 147, // submenu
    kPPWheelKeyEnabled1 = 148,
    kPPWheelKeyEdit1 = 149,
    kPPWheelKeyEnabled2 = 150,
    kPPWheelKeyEdit2 = 151,
    kPPMouseHookReset = 152,
    kPPMinimize = 153,
    kPPLive = 154,
    kPPClickClick = 155,
    kPPPosSize = 156,
    kPPWExec = 157,
    kPPKV2File = 158,
    kPPDisplay = 159,  // submenu
    kPPDisplay0 = 160, // PPDisplay0 + tag
    kPPDisplay2 = 162,
    kPPExit = 170,
    kPPReStart = 171,
    kPPTERMINATE = 172,
    kPPModify = 173,
    kPPKV2Close = 174,
    kPPClose = 175,
    kPPAutoRestart = 176,  // submenu "自動再起動"
    kPPAutoRestart0 = 180, // "しない"; kPPAutoRestart0 + the mode
    kPPAutoRestart2 = 182, // "終了したとき"
};

// Number of translucency items: 10% to 100% in steps of 5.
constexpr int kTransItemCount = 19;

// The priority class of a priority item's tag (0 "通常", 1 "低", 2 "高", 3 "通常以下", 4 "通常以上");
// 0 for any other tag.
std::uint32_t PriorityClassOfTag(int tag) noexcept;

// The tag of the priority item showing `priorityClass`; empty for a class the menu does not offer
// (real-time, or 0 when the process could not be asked).
std::optional<int> PriorityTagOfClass(std::uint32_t priorityClass) noexcept;

// The percent of a translucency item's tag (1 to 19): 10 to 100.
constexpr int TransPercentOfTag(int tag) noexcept
{
    return tag * 5 + 5;
}

// The caption of a translucency item, "##0%": "10%" to "100%".
std::u16string TransCaption(int tag);

// The tag of the translucency item marked for a window read back at `percent`: the percent cut down
// to a multiple of 5, kept within the 10% and 100% items.
int TransTagOfPercent(int percent) noexcept;

// The longest title the tip takes from the target window (a 260-character buffer with its NUL).
constexpr size_t kTipTitleLength = 259;

// The tray tip while the target runs: "実行中", the hot key's text and the window title on three lines;
// the title cut to kTipTitleLength characters. A target that runs with rights above KV2's (the system
// refuses KV2's changes to it) is named so on the first line.
std::u16string RunningTip(std::u16string_view hotKeyText, std::u16string_view title, bool aboveRights = false,
                          bool translucencyRefused = false, bool notAnswering = false);

// The hot key's text for the tips; one that another program holds (the system refused it) is named
// so. Empty stays empty.
std::u16string HotKeyTipText(std::u16string_view hotKeyText, bool taken);

// The tray tip while no target runs: "起動していません", the hot key's text and the command line;
// "起動していません（自動再起動を停止しました）" once restarts stopped at their limit.
std::u16string AbsentTip(std::u16string_view hotKeyText, std::u16string_view commandLine,
                         bool restartsStopped = false);

// Caption of a wheel key item: `label` and the key text in brackets ("シングルクリック　キー [F5]").
std::u16string WheelKeyCaption(std::u16string_view label, std::u16string_view keyText);

// Everything the menu's check marks and enabled states follow from. The menu stores none of them: it
// is drawn from these whenever it opens or a command has changed them.
struct MenuInputs
{
    TrayOptions options;
    bool targetRunning = false; // the target window exists
    bool targetSizable = false; // it has a sizing frame, so it can be maximized without a title bar
    bool captionless = false;   // KV2 has maximized it without a title bar
    bool starting = false;      // a start is under way
    bool taskFileGiven = false;
    bool translucencyAvailable = true;
    bool hotKeyTaken = false;       // another program holds the task's hot key
    bool targetAboveRights = false; // the target runs with rights above KV2's: the system refuses changes
    bool targetDrawsItself = false; // the target draws itself with per-pixel alpha: no translucency
    std::optional<int> priorityTag; // the target's priority as last read, when known
    std::optional<int> transTag;    // the target's translucency as last read, when known

    bool operator==(const MenuInputs &) const = default;
};

struct MenuItemState
{
    bool checked = false;
    bool enabled = true;
};

// The check mark and enabled state of the item `id`; enabled and unchecked for ids without a rule.
MenuItemState MenuItemStateOf(unsigned id, const MenuInputs &inputs);

// The items whose check mark the user flips with the command itself, and the option each one is.
// Flips the option of `id` and answers true; false for any other command (nothing changes).
bool ToggleOption(unsigned id, TrayOptions &options);

// True when a wheel click has a key to send: an enabled gesture with a key text.
bool WheelFeatureActive(const TrayOptions &options) noexcept;

} // namespace controller
