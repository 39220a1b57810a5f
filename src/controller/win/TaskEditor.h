// "タスクの編集": the task file opens in the task editor beside KV2, or in the system's text editor when
// there is none.
#pragma once

#include <string>

namespace controller
{

// Does nothing when the task file or KV2's folder cannot be reached.
void OpenTaskEditor(const std::u16string &taskFile);

} // namespace controller
