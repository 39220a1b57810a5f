// The user's choice to open task files by a double click: our keys under the user's own classes
// (HKCU\Software\Classes), written, read back and removed; nothing outside the current user's keys.
#pragma once

#include "editor/FileTypes.h"

#include <windows.h>

#include <optional>
#include <string>

namespace editor
{

// Whether a double click on either type of task opens it with our programs.
bool TaskFilesOpenWithUs();

// Writes the keys of both types for the programs of `programFolder` and tells Explorer; false when a
// key could not be written.
bool OpenTaskFilesWithUs(std::u16string_view programFolder);

// Removes exactly our keys and tells Explorer: our classes (whose open command is ours), the
// extensions' values that name them, and an extension's key that holds nothing else then.
void StopOpeningTaskFiles();

// The class the user chose for the type in Explorer's "プログラムから開く", when it is not ours:
// Windows keeps opening the type with it, whatever the classes say.
std::optional<std::u16string> OtherUserChoice(const FileType &type);

// Tests stand in keys of their own for the user's classes and for Explorer's choices (null: the
// user's again).
void SetUserKeysForTests(HKEY classes, HKEY explorerChoices) noexcept;

} // namespace editor
