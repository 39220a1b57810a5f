// The task's shortcuts on disk: where each place is, what is there now, and writing or removing ours.
#pragma once

#include "editor/Shortcuts.h"

#include <string>

namespace editor
{

// The folder of a place for this user (its known folder: Desktop, Start menu Programs, Startup);
// empty when the system cannot tell.
std::u16string PlaceFolder(ShortcutPlace place);
// Tests stand in for the user's folders (nullptr: the system's again).
using PlaceFolderSource = std::u16string (*)(ShortcutPlace place);
void SetPlaceFolderSource(PlaceFolderSource source) noexcept;

// The path of the task's shortcut at a place; empty when the place's folder is not known.
std::u16string ShortcutPath(ShortcutPlace place, std::u16string_view taskPath);

// What the place holds for the task.
FoundShortcut FindShortcut(ShortcutPlace place, std::u16string_view taskPath, const ShortcutTarget &wanted);

// Writes the shortcut at `path` (replacing the file there) with the task's icon; false when the system
// refuses.
bool WriteShortcut(const std::u16string &path, const ShortcutTarget &target, const std::u16string &iconFile,
                   int iconIndex);

} // namespace editor
