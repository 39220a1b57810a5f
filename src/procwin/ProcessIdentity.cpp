#include "procwin/ProcessIdentity.h"

#include "common/Text.h"

namespace procwin
{

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
