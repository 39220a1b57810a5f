// The shell's special folders and the per-user data folder.
#pragma once

#include <string>

namespace startup
{

// The special folder with this index, without a trailing separator: 0 Documents, 1 roaming
// application data, 2 local application data, 3 common application data, 4 Pictures, 5 common
// documents. Empty for another index or when the shell has no such folder.
std::u16string GetSpecialFolder(int index);

// Makes "<application data>\Orvane\<name>\" (one level at a time), in the special folder with the
// index `folder` (roaming application data unless told), and answers it with its trailing backslash,
// or empty when the folder does not exist afterwards.
std::u16string PrepareDataFolder(const std::u16string &name, int folder = 1);

} // namespace startup
