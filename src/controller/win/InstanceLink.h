// The link between two KV2 instances that manage the same program: a duplicate start hands its first
// argument over to the running one's controller window (WM_COPYDATA), and the running one takes it.
#pragma once

#include <windows.h>

#include <string>

namespace controller
{

// Looked up by other KV2 instances (FindWindowW), so it never changes.
constexpr wchar_t kMainFormClassName[] = L"TmainForm";

// The caption of the controller window that manages `programPath`, by which a duplicate start finds it.
std::u16string ControllerCaption(const std::u16string &programPath);

// The controller window of the running instance that manages `programPath`; null when none does.
HWND RunningController(const std::u16string &programPath);

// Sends this start's first argument to the running instance's controller `running` and answers true;
// false when there is none (null, or `self`). A running instance that does not answer within a few
// seconds (hung, or out of reach of this instance's rights) is recorded in the error log.
bool HandOverTo(HWND running, HWND self);

// True when `data`, from any process, is a hand-over to act on: read within its stated size only,
// with an argument, and a task that executes its program.
bool IsHandOver(const COPYDATASTRUCT *data, bool noExecute);

} // namespace controller
