// The controller's persisted options and the program-wide settings, and how they are read from and
// written to an INI document.
//
// Value forms: Booleans are written "1"/"0" and read as integers (any value but 0 is true); integers
// are written in decimal and read as decimal with an optional sign, or as hexadecimal after "0x";
// strings are taken as they stand. A value that cannot be read leaves the default.
#pragma once

#include "common/IniDocument.h"
#include "startup/TaskDefinition.h"
#include "ui/PickerPlacement.h"
#include "ui/PanelOptions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace controller
{

constexpr std::int32_t kDefaultPanelSize = 4; // 128 pixels

// Every option of one target, with the value each has when its file says nothing.
struct TrayOptions
{
    bool Minimize = true;     // minimizing hides the target to the tray
    bool Live = true;         // stay resident when the target ends
    bool Click = true;        // double click (true) or single click (false) on the tray icon activates
    bool PositionSize = true; // remember and restore the target's rectangle
    std::int32_t X = 0, Y = 0, W = 0, H = 0; // the remembered rectangle; W or H 0: none
    bool Caption = false;                    // keep the target's caption fixed to Edit
    std::u16string Edit;
    std::int32_t TransValue = 100; // translucency in percent, 100 opaque
    bool WExecute = false;         // no double start
    bool NonTaskBar = false;       // no taskbar button for the target
    bool MostTop = false;          // target topmost
    std::u16string WheelKey1;      // shortcut text sent on a single wheel click
    bool WheelButton1 = false;
    std::u16string WheelKey2; // shortcut text sent on a double wheel click
    bool WheelButton2 = false;
    std::int32_t Display = 0; // 0 tray icon, 1 icon panel, 2 both
    std::int32_t AutoRestart = 0; // "自動再起動": 0 never, 1 after a failure, 2 after every end
    std::u16string Monitors;      // the monitors X, Y, W, H were taken on (empty: not known)
    // The icon panel (the normal build only).
    std::int32_t IconPanelLeft = 0;
    std::int32_t IconPanelTop = 0;
    std::int32_t IconPanelSize = kDefaultPanelSize; // 0 to 6: 32, 48, 64, 96, 128, 192, 256 pixels
    bool IconPanelMostTop = false;
    bool IconPanelHint = true;
    bool IconPanelTrans = true;

    bool operator==(const TrayOptions &) const = default;
};

// Where a target's options live: the task file's section "Tray Option", or for a start by
// command-line options the section named after the lower-cased program path in "exe.ini" (which is
// what TaskFilePath holds then).
struct OptionLocation
{
    std::u16string file;
    std::u16string section;
};
OptionLocation OptionLocationFor(const startup::TaskDefinition &task);

constexpr char16_t kTaskOptionSection[] = u"Tray Option";

// Reads the 21 controller keys; every key that is absent or unreadable keeps the value `options`
// already has. A Display or AutoRestart outside 0..2 gives 0; a remembered rectangle with a coordinate
// outside kCoordinateLimit, or a negative or oversized width or height, counts as absent (the rectangle keeps
// the values `options` has).
void LoadControllerOptions(const common::IniDocument &file, std::u16string_view section,
                           TrayOptions &options);

// Reads the six icon-panel keys the same way. An IconPanel_Size outside 0..6 gives 4; a position
// outside kCoordinateLimit counts as absent.
void LoadPanelOptions(const common::IniDocument &file, std::u16string_view section, TrayOptions &options);

// The six icon-panel values of `options`, and the same put back into `options`.
ui::PanelOptions PanelOptionsOf(const TrayOptions &options) noexcept;
void SetPanelOptions(TrayOptions &options, const ui::PanelOptions &panel) noexcept;

// Screen coordinates and sizes beyond this (in either direction) are no window's: a stored value out
// of range is damage, not a place.
constexpr std::int32_t kCoordinateLimit = 32767;

// Writes the 25 keys in their fixed order, or the 19 controller keys only when `withPanel` is false
// (the elevated build, which leaves a normal build's panel keys as they are). `assumed`, when given,
// holds what was taken for the stored options because they could not be read: then only the keys whose
// value differs from it are written, so that the user's stored values are never replaced by defaults.
void SaveOptions(common::IniDocument &file, std::u16string_view section, const TrayOptions &options,
                 bool withPanel, const TrayOptions *assumed = nullptr);

// The keys whose values differ between `before` and `after`, as "Key=value" joined by ", " in the
// fixed order (what a save that could not be written leaves unsaved).
std::u16string ChangedOptionsText(const TrayOptions &before, const TrayOptions &after, bool withPanel);

// An integer value as options are read: "0x" followed by hexadecimal digits (at least one, at most
// eight), or a decimal number with an optional sign that fits in 32 bits.
std::optional<std::int32_t> ReadIntValue(std::u16string_view text) noexcept;

// The running-program picker's placement in the settings file "KV2.ini", section "IRunFindWindow".
using ui::PickerPlacement;
constexpr char16_t kPickerSection[] = u"IRunFindWindow";

// Keys that are absent or unreadable keep the values `placement` has.
void LoadPickerPlacement(const common::IniDocument &file, PickerPlacement &placement);
void SavePickerPlacement(common::IniDocument &file, const PickerPlacement &placement);

} // namespace controller
