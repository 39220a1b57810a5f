#include "procwin/ProcessIdentity.h"

#include "common/Text.h"

namespace procwin
{

bool IsPackagedProgramPath(std::u16string_view path)
{
    const std::u16string lower = common::ToLower(path);
    for (size_t at = lower.find(u"windowsapps"); at != std::u16string::npos;
         at = lower.find(u"windowsapps", at + 1))
    {
        const size_t end = at + 11;
        const bool startsFolder = at > 0 && (lower[at - 1] == u'\\' || lower[at - 1] == u'/');
        if (startsFolder && end < lower.size() && (lower[end] == u'\\' || lower[end] == u'/'))
            return true;
    }
    return false;
}

std::u16string_view FileNameOf(std::u16string_view path) noexcept
{
    const size_t last = path.find_last_of(u"\\/:");
    return last == std::u16string_view::npos ? path : path.substr(last + 1);
}

bool IsSameProgram(std::u16string_view exePath, std::u16string_view programPath)
{
    return common::ToLower(FileNameOf(exePath)) == common::ToLower(FileNameOf(programPath));
}

} // namespace procwin
