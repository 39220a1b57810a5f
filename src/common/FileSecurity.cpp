#include "common/FileSecurity.h"

namespace common
{

bool WrittenOnlyByElevated(const FileSecurity &security, std::u16string_view elevatedUserSid) noexcept
{
    const bool owner = security.ownerSid == kAdministratorsSid ||
                       (!elevatedUserSid.empty() && security.ownerSid == elevatedUserSid);
    return owner && security.labelLevel >= kHighIntegrityLevel && (security.labelPolicy & kNoWriteUp) != 0;
}

} // namespace common
