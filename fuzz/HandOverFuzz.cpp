// Decodes arbitrary bytes as a received hand-over and checks what the controller relies on: refused
// blocks are exactly the null, empty, odd and oversized ones; an accepted text has no NUL, is the data's
// leading units up to the first NUL, and is never longer than the data; the same bytes at an odd
// address decode alike; and the text sent on again as a payload comes back unchanged.
#include "controller/HandOver.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace
{

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "HandOverFuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<std::u16string> text = controller::ReadHandOver(data, size);

    const bool refusable = size == 0 || size % 2 != 0 || size > controller::kHandOverSizeLimit;
    if (refusable != !text.has_value())
        Fail(refusable ? "a block that is no hand-over was accepted" : "a valid block was refused");
    if (!text)
        return 0;

    if (text->size() > size / 2)
        Fail("the text is longer than the data");
    if (text->find(u'\0') != std::u16string::npos)
        Fail("the text contains a NUL");
    // The text is the data's own units, in native byte order as WM_COPYDATA carries them, and it ends
    // where the data ends or at a NUL.
    for (std::size_t i = 0; i < text->size(); ++i)
    {
        char16_t unit;
        std::memcpy(&unit, data + 2 * i, 2);
        if (unit != (*text)[i])
            Fail("the text differs from the data");
    }
    if (text->size() < size / 2)
    {
        char16_t next;
        std::memcpy(&next, data + 2 * text->size(), 2);
        if (next != u'\0')
            Fail("the text stops before a unit that is no NUL");
    }

    // The sender's buffer need not be aligned.
    std::vector<std::uint8_t> shifted(size + 1);
    std::memcpy(shifted.data() + 1, data, size);
    if (controller::ReadHandOver(shifted.data() + 1, size) != text)
        Fail("the same bytes at an odd address decode differently");

    // Passing the argument on to another instance gives it the same argument.
    const std::u16string payload = controller::HandOverPayload(*text);
    if (payload.size() != text->size() + 2)
        Fail("the payload is not the text and two NULs");
    const std::size_t payloadSize = payload.size() * 2;
    if (payloadSize <= controller::kHandOverSizeLimit &&
        controller::ReadHandOver(payload.data(), payloadSize) != text)
        Fail("the payload does not decode to its text");
    return 0;
}
