// The command-line step: one task file, or two or more options that describe the target directly.
#pragma once

#include "common/TextEncoding.h"
#include "startup/FileProbe.h"
#include "startup/TaskDefinition.h"

#include <string>
#include <string_view>
#include <vector>

namespace startup
{

// Splits a command line into arguments, the program itself first. Arguments are separated by blanks
// and control characters; a double quote anywhere opens or closes a stretch in which blanks do not
// split, and is itself removed. There is no escape character, and an unbalanced quote runs to the end.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

// The command line after the program (argument 0, as SplitCommandLine reads it) and the blanks after
// it, as written: what another program is handed to start the same task.
std::u16string_view ArgumentsOf(std::u16string_view commandLine);

// Applies the arguments (argument 0, the program, is skipped) to the task definition:
// - none: nothing;
// - exactly one: read as a task file (option prefixes are not recognised);
// - two or more: options "/x:", "/e:", "/o:", "/w:", "/p:", "/d:", "/i:", "/n:", each tested in this
//   order on a working copy from which every matched prefix is removed.
// Then completes the task definition when a program is known.
void ApplyCommandLine(const std::vector<std::u16string> &arguments, const FileProbe &probe,
                      const common::AnsiCodePage &ansi, TaskDefinition &task);

} // namespace startup
