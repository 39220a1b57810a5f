// A file's owner and mandatory label, as the system reports them, and what they say of who could have
// written the file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace common
{

struct FileSecurity
{
    std::u16string ownerSid;       // in string form, such as "S-1-5-32-544"
    std::uint32_t labelLevel = 0;  // the mandatory label's level (0x3000 high); 0 when there is none
    std::uint32_t labelPolicy = 0; // its policy bits (1: no write up)
};

constexpr char16_t kAdministratorsSid[] = u"S-1-5-32-544";
constexpr std::uint32_t kHighIntegrityLevel = 0x3000;
constexpr std::uint32_t kNoWriteUp = 1;

// The owner and label the elevated programs give a file only they may write: the Administrators group
// owns it, and a high label keeps every lower level from writing it.
constexpr char16_t kElevatedOnlySecurity[] = u"O:BAS:(ML;;NW;;;HI)";

// Whether only an elevated program can have written a file with this security: owned by the
// Administrators group or by `elevatedUserSid` (the elevated user, whom the system may make the owner),
// and labelled high or above against writing from below. A program with the user's rights can replace
// the file (the user owns its folder) but can give it neither.
bool WrittenOnlyByElevated(const FileSecurity &security, std::u16string_view elevatedUserSid) noexcept;

} // namespace common
