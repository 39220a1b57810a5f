#include "controller/HandOver.h"

#include <cstring>

namespace controller
{

std::u16string HandOverPayload(std::u16string_view argument)
{
    std::u16string payload(argument);
    payload.push_back(u'\0');
    payload.push_back(u'\0');
    return payload;
}

std::u16string HandOverFailureText(const std::u16string &programPath, bool refused)
{
    return programPath + (refused
                              ? u"を管理している実行中のKV2Aに届きませんでした（管理者の権限で実行中です）。"
                              : u"を管理している実行中のKV2が応答しませんでした。");
}

std::optional<std::u16string> ReadHandOver(const void *data, std::size_t size)
{
    if (data == nullptr || size == 0 || size % 2 != 0 || size > kHandOverSizeLimit)
        return std::nullopt;
    // Copied out character by character: the sender's buffer need not be aligned.
    const auto *bytes = static_cast<const unsigned char *>(data);
    std::u16string text;
    for (std::size_t offset = 0; offset < size; offset += 2)
    {
        char16_t unit;
        std::memcpy(&unit, bytes + offset, 2);
        if (unit == u'\0')
            break;
        text.push_back(unit);
    }
    return text;
}

} // namespace controller
