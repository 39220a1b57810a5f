// WOW64 detection, the file-system redirection bracket, and the Windows version predicates.
//
// A 32-bit KV2 on 64-bit Windows sees the 32-bit system folder under the name of the real one. Around
// the launch of a target and the examination of other programs' files, redirection is switched off so
// that a path in the system folder names the 64-bit file itself. Every Wow64FsOff is followed by
// exactly one Wow64FsRestore on the same thread; Wow64Redirection pairs them on every path.
#pragma once

namespace procwin
{

// Detects WOW64 and binds the redirection functions. Called once, before any launch.
void Wow64Init();

// True when the program runs under WOW64. False until Wow64Init has run.
bool IsWow64();

// Switches redirection off for the calling thread, storing the previous state. Does nothing when not
// under WOW64 or when the system lacks the function.
void Wow64FsOff();

// Restores the state stored by the last Wow64FsOff. Does nothing in the same cases.
void Wow64FsRestore();

// Redirection off for the life of the object.
class Wow64Redirection
{
  public:
    Wow64Redirection()
    {
        Wow64FsOff();
    }
    ~Wow64Redirection()
    {
        Wow64FsRestore();
    }
    Wow64Redirection(const Wow64Redirection &) = delete;
    Wow64Redirection &operator=(const Wow64Redirection &) = delete;
};

// True on Windows XP (5.1) or later.
bool IsWinXPOrLater();

// True on Windows 2000 (5.0) or later.
bool IsWin2000OrLater();

} // namespace procwin
