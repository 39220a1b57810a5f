// The windows and processes of a program, by the file name of its executable: what the running-program
// picker lists and what a start asks before it launches.
#pragma once

#include "common/win/Unique.h"

#include <windows.h>

#include <string>
#include <vector>

namespace procwin
{

// A window of a running program as the picker lists it.
struct ProgramWindow
{
    HWND window;
    std::u16string title;
};

// The visible, captioned top-level windows of the programs whose executable is named `fileNameLower`
// (lower case), front-most first, one per title (titles that differ in case only count as one).
std::vector<ProgramWindow> ProgramWindows(const std::u16string &fileNameLower);
// The same for every program but the calling one, with each window's executable line for line in
// `programs`.
std::vector<ProgramWindow> EveryProgramsWindows(std::vector<std::u16string> &programs);

// Whether a process may run the program whose executable is named `fileNameLower`: true when one of
// that name runs, when one's name may be a short form (with "~") or when the processes cannot be
// listed. Asks the system's list of processes only, no window: a process's first query of windows costs
// tens of milliseconds under Wine, and this is asked before KV2 has any.
bool ProgramMayRun(const std::u16string &fileNameLower);

// The processes a launched process started, and the ones they started in turn, as far as they have been
// seen: a launcher may hand over to a program of another name and end. Each is held open while it is
// followed, so that its id cannot pass to another process.
class Descendants
{
  public:
    // Follows from the launched process `root`, which the caller still holds.
    explicit Descendants(DWORD root);

    // Takes in the processes started since the last look (one snapshot of the system's processes).
    void Look();
    // Whether the process is one of them (the launched process itself is not).
    bool Contains(DWORD processId) const noexcept;

  private:
    struct Member
    {
        DWORD id;
        common::win::UniqueHandle process;
        ULONGLONG created; // its creation time
    };
    const Member *Find(DWORD processId) const noexcept;

    std::vector<Member> m_members; // the launched process first
};

} // namespace procwin
