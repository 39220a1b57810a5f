// Reads arbitrary bytes as the journal of changes to targets: whatever is read must be written back
// and read again unchanged, and clearing out damaged sections must not lose a readable entry.
#include "FakeFileSystem.h"

#include "common/TextEncoding.h"
#include "controller/Journal.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace
{

[[noreturn]] void Fail(const char *what)
{
    std::fprintf(stderr, "JournalFuzz: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const testing_support::Latin1CodePage ansi;
    common::IniDocument journal =
        common::IniDocument::Parse(common::DecodeText(bytes, common::TextEncoding::Utf8, ansi));
    const std::vector<controller::JournalEntry> entries = controller::ReadJournal(journal);

    common::IniDocument written;
    for (const controller::JournalEntry &entry : entries)
    {
        if (entry.window == 0 || entry.target.id == 0 || entry.target.created == 0)
            Fail("an entry without its window and process was read");
        controller::WriteJournalEntry(written, entry);
    }
    std::vector<controller::JournalEntry> kept;
    for (const controller::JournalEntry &entry : entries)
        if (!entry.Empty())
            kept.push_back(entry);
    if (controller::ReadJournal(common::IniDocument::Parse(written.Serialize())) != kept)
        Fail("an entry written back reads otherwise");

    controller::RemoveUnreadableEntries(journal);
    if (controller::ReadJournal(journal) != entries)
        Fail("clearing out damaged sections changed the readable entries");
    return 0;
}
