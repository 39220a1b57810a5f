// The target's launch parameters, filled once at start-up from a task file or from command-line
// options and read by every part of the program afterwards.
#pragma once

#include <cstdint>
#include <string>

namespace startup
{

// Show commands a task file can ask for (the Win32 SW_ values).
constexpr int kShowDefault = 10;  // SW_SHOWDEFAULT
constexpr int kShowMinimize = 6;  // SW_MINIMIZE
constexpr int kShowMaximized = 3; // SW_SHOWMAXIMIZED

// Process priority classes (the Win32 *_PRIORITY_CLASS values).
constexpr std::uint32_t kPriorityNormal = 0x20;
constexpr std::uint32_t kPriorityIdle = 0x40;
constexpr std::uint32_t kPriorityHigh = 0x80;
constexpr std::uint32_t kPriorityBelowNormal = 0x4000;
constexpr std::uint32_t kPriorityAboveNormal = 0x8000;

struct TaskDefinition
{
    std::u16string TaskFilePath;  // the option file: the task file as given, else DataFolder + "exe.ini"
    bool TaskFileGiven = false;   // a task file was accepted from the command line
    std::u16string ProgramPath;   // the target executable; empty means there is no target
    std::u16string ProgramOption; // arguments for the target
    std::u16string WorkDir;       // working folder of the target
    std::u16string CommandLine;   // ProgramPath, and " " + ProgramOption when there is one; no quotes
    std::u16string IconFile;      // file whose icon stands for the target
    std::int32_t IconIndex = 0;
    int ShowCommand = 0;            // kShowDefault, kShowMinimize or kShowMaximized once completed
    std::uint32_t PriorityClass = 0; // one of the kPriority values once completed
    bool NoExecute = false;          // do not start the target; stay resident only
    std::u16string HotKeyText;       // shortcut text of global hot key 1

    bool operator==(const TaskDefinition &) const = default;
};

// The show command for a task file's or option's value word ("def", "min", "max"), compared exactly;
// 0 for any other word.
int ShowCommandFromWord(std::u16string_view word) noexcept;

// The priority class for a value word ("NORMAL", "IDLE", "HIGH", "BELOW", "ABOVE"), compared
// exactly; 0 for any other word.
std::uint32_t PriorityClassFromWord(std::u16string_view word) noexcept;

// The command line a task shows: the program, and " " + its arguments when there are any; no quotes.
std::u16string CommandLineOf(const std::u16string &programPath, const std::u16string &programOption);

// Fills in the defaults once ProgramPath is known: CommandLine, WorkDir (the program's folder without a
// trailing backslash), ShowCommand 10, IconFile = ProgramPath, PriorityClass 0x20. Does nothing when
// ProgramPath is empty.
void CompleteTaskDefinition(TaskDefinition &task);

} // namespace startup
