// Reading a task file (".KV2" or ".KV2A") into the task definition.
#pragma once

#include "common/IniDocument.h"
#include "common/TextEncoding.h"
#include "startup/FileProbe.h"
#include "startup/TaskDefinition.h"

#include <string_view>

namespace startup
{

// A task file is a few hundred bytes; anything beyond this is not read at all, so that a huge file
// given by mistake costs neither memory nor time.
constexpr size_t kTaskFileSizeLimit = 8 * 1024 * 1024;

// True when the file name's extension (from its last ".") is ".KV2" or ".KV2A" in any letter case.
bool IsTaskFileExtension(std::u16string_view path) noexcept;

// The folder part of a path without its trailing backslash, except that a root keeps it ("C:\").
std::u16string_view FolderOf(std::u16string_view path) noexcept;

// When ProgramPath names a shell link (".lnk") whose target is an existing file, the target becomes
// the program: the link's arguments come before the task's own, and its working folder is taken when
// the task gives none. Otherwise nothing changes (a link that starts no file fails at the launch).
void ResolveShellLink(const FileProbe &probe, TaskDefinition &task);

// The text with "%ProgramFiles%" and "%CommonProgramFiles%" (any case) named as their 64-bit
// variables "%ProgramW6432%" and "%CommonProgramW6432%": a 32-bit program would otherwise get the
// "Program Files (x86)" folders for what a link means as the system's own.
std::u16string NativeProgramFilesVariables(std::u16string_view text);

// Applies the task file's keys to the task definition, in the order Execute/YesNo, Window/Style,
// Window/Priority, Program/Name, Program/Option, Program/Directory, Icon/File, Icon/Number,
// HotKey/Show. Paths that fail their existence test leave their field as it was.
void ApplyTaskFile(const common::IniDocument &file, const FileProbe &probe, TaskDefinition &task);

// Reads the task file named by the only command-line argument. Nothing is set unless the file exists
// and has a task-file extension; then TaskFilePath and TaskFileGiven are set even when the file is
// unreadable or names no program.
void ReadTaskFile(std::u16string_view argument, const FileProbe &probe, const common::AnsiCodePage &ansi,
                  TaskDefinition &task);

} // namespace startup
