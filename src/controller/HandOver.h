// The hand-over message between two instances: a second start of a program that one instance already
// manages passes its first command-line argument to that instance in a WM_COPYDATA, and ends.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace controller
{

// The payload a sender puts in lpData: the argument, an extra NUL and the terminating NUL. cbData is
// its size in bytes, (length + 2) * 2.
std::u16string HandOverPayload(std::u16string_view argument);

// The argument carried by a received payload of `size` bytes at `data` (which may be null), reading
// no further than `size`: the UTF-16 text up to the first NUL, or up to the end of the data when it
// has none. Empty when the data is null, its size is 0 or odd, or it exceeds kHandOverSizeLimit.
std::optional<std::u16string> ReadHandOver(const void *data, std::size_t size);

// The error log's line when the running instance did not take the hand-over: refused by the system
// (`refused`: the running one has administrator rights, which let no message of a lesser program in),
// or not answered in time.
std::u16string HandOverFailureText(const std::u16string &programPath, bool refused);

// A hand-over carries a path: anything longer than this (bytes) is not one.
constexpr std::size_t kHandOverSizeLimit = 64 * 1024;

} // namespace controller
