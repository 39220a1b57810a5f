#include "controller/Journal.h"

#include "common/Text.h"

#include <algorithm>
#include <string>

namespace controller
{

namespace
{

constexpr std::u16string_view kSectionPrefix = u"Instance ";
// A caption longer than this is cut there (a window caption is rarely a tenth of it).
constexpr std::size_t kCaptionLimit = 1024;

std::u16string Number(std::uint64_t value)
{
    std::u16string text;
    common::AppendUnsignedDecimal(text, value);
    return text;
}

// A decimal number that is not negative (handles, process ids and times all are).
std::optional<std::uint64_t> ParseNumber(std::u16string_view text)
{
    const std::optional<std::int64_t> value = common::ParseInt64(text);
    if (!value || *value < 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(*value);
}

std::u16string SectionName(const procwin::ProcessIdentity &instance)
{
    return std::u16string(kSectionPrefix) + Number(instance.id) + u" " + Number(instance.created);
}

std::optional<procwin::ProcessIdentity> ParseProcess(std::u16string_view id, std::u16string_view created)
{
    const std::optional<std::uint64_t> number = ParseNumber(id);
    const std::optional<std::uint64_t> time = ParseNumber(created);
    if (!number || !time || *number == 0 || *number > UINT32_MAX || *time == 0)
        return std::nullopt;
    return procwin::ProcessIdentity{static_cast<std::uint32_t>(*number), *time};
}

std::optional<procwin::ProcessIdentity> InstanceOfSection(std::u16string_view name)
{
    if (!common::StartsWith(name, kSectionPrefix))
        return std::nullopt;
    name.remove_prefix(kSectionPrefix.size());
    const std::size_t blank = name.find(u' ');
    if (blank == std::u16string_view::npos)
        return std::nullopt;
    return ParseProcess(name.substr(0, blank), name.substr(blank + 1));
}

// A caption as hexadecimal code units: blanks at its ends and line breaks survive the file.
std::u16string HexOf(std::u16string_view text)
{
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::u16string hex;
    for (char16_t c : text.substr(0, kCaptionLimit))
        for (int shift = 12; shift >= 0; shift -= 4)
            hex += kDigits[(c >> shift) & 0xF];
    return hex;
}

std::optional<std::u16string> TextOfHex(std::u16string_view hex)
{
    if (hex.size() % 4 != 0 || hex.size() > 4 * kCaptionLimit)
        return std::nullopt;
    std::u16string text;
    for (std::size_t at = 0; at < hex.size(); at += 4)
    {
        char16_t unit = 0;
        for (char16_t c : hex.substr(at, 4))
        {
            const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                              : c >= u'A' && c <= u'F' ? c - u'A' + 10
                              : c >= u'a' && c <= u'f' ? c - u'a' + 10
                                                       : -1;
            if (digit < 0)
                return std::nullopt;
            unit = static_cast<char16_t>(unit * 16 + digit);
        }
        text += unit;
    }
    return text;
}

std::optional<JournalEntry> EntryOf(const common::IniDocument &journal, const common::IniDocument::Section &section)
{
    const std::optional<procwin::ProcessIdentity> instance = InstanceOfSection(section.name);
    if (!instance)
        return std::nullopt;
    const auto value = [&](std::u16string_view key) {
        const std::u16string *text = journal.Find(section.name, key);
        return text != nullptr ? std::u16string_view(*text) : std::u16string_view();
    };
    const auto flag = [&](std::u16string_view key) { return value(key) == u"1"; };
    JournalEntry entry;
    entry.instance = *instance;
    const std::optional<std::uint64_t> window = ParseNumber(value(u"Window"));
    const std::optional<procwin::ProcessIdentity> target = ParseProcess(value(u"Process"), value(u"Created"));
    if (!window || *window == 0 || !target)
        return std::nullopt;
    entry.window = *window;
    entry.target = *target;
    entry.subWindow = ParseNumber(value(u"SubWindow")).value_or(0);
    if (const std::optional<std::uint64_t> session = ParseNumber(value(u"Session"));
        session && *session <= UINT32_MAX)
        entry.session = static_cast<std::uint32_t>(*session);
    entry.hidden = flag(u"Hidden");
    entry.noTaskBar = flag(u"NoTaskBar");
    entry.captionless = flag(u"Captionless");
    entry.topMost = flag(u"TopMost");
    const std::optional<std::int32_t> translucency = common::ParseInt32(value(u"Translucency"));
    entry.translucency = translucency && *translucency >= 1 && *translucency < 100 ? *translucency : 100;
    if (const std::u16string *caption = journal.Find(section.name, u"Caption"))
        entry.caption = TextOfHex(*caption);
    // The target's own layering: only an alpha and a colour key the system would take.
    procwin::OwnLayering &own = entry.ownLayering;
    own.layered = flag(u"OwnLayered");
    own.drawsItself = flag(u"OwnDrawn");
    const std::optional<std::uint64_t> alpha = ParseNumber(value(u"OwnAlpha"));
    own.alpha = alpha && *alpha <= procwin::kOpaqueAlpha ? static_cast<int>(*alpha) : procwin::kOpaqueAlpha;
    own.colourKey = static_cast<std::uint32_t>(ParseNumber(value(u"OwnKey")).value_or(0) & 0xFFFFFF);
    own.flags = static_cast<std::uint32_t>(ParseNumber(value(u"OwnFlags")).value_or(0) & 3);
    return entry;
}

} // namespace

bool JournalEntry::Empty() const noexcept
{
    return !hidden && !noTaskBar && !captionless && !topMost && translucency >= 100 && !caption;
}

std::vector<JournalEntry> ReadJournal(const common::IniDocument &journal)
{
    std::vector<JournalEntry> entries;
    for (const common::IniDocument::Section &section : journal.Sections())
    {
        std::optional<JournalEntry> entry = EntryOf(journal, section);
        // A name written twice is read once, as the document reads it.
        if (entry && std::none_of(entries.begin(), entries.end(),
                                  [&](const JournalEntry &seen) { return seen.instance == entry->instance; }))
            entries.push_back(std::move(*entry));
    }
    return entries;
}

void WriteJournalEntry(common::IniDocument &journal, const JournalEntry &entry)
{
    const std::u16string section = SectionName(entry.instance);
    journal.RemoveSection(section);
    if (entry.Empty() || entry.window == 0 || entry.target.id == 0)
        return;
    const auto flag = [&](std::u16string_view key, bool on) {
        if (on)
            journal.Set(section, key, u"1");
    };
    const auto number = [&](std::u16string_view key, std::uint64_t value) {
        journal.Set(section, key, Number(value));
    };
    if (entry.session)
        number(u"Session", *entry.session);
    number(u"Window", entry.window);
    if (entry.subWindow != 0)
        number(u"SubWindow", entry.subWindow);
    number(u"Process", entry.target.id);
    number(u"Created", entry.target.created);
    flag(u"Hidden", entry.hidden);
    flag(u"NoTaskBar", entry.noTaskBar);
    flag(u"Captionless", entry.captionless);
    flag(u"TopMost", entry.topMost);
    if (entry.translucency < 100)
        number(u"Translucency", static_cast<std::uint64_t>(std::max(entry.translucency, 1)));
    if (entry.caption)
        journal.Set(section, u"Caption", HexOf(*entry.caption));
    const procwin::OwnLayering &own = entry.ownLayering;
    if (own.layered)
    {
        flag(u"OwnLayered", true);
        flag(u"OwnDrawn", own.drawsItself);
        number(u"OwnAlpha", static_cast<std::uint64_t>(own.alpha));
        number(u"OwnKey", own.colourKey);
        number(u"OwnFlags", own.flags);
    }
}

void RemoveJournalEntry(common::IniDocument &journal, const procwin::ProcessIdentity &instance)
{
    journal.RemoveSection(SectionName(instance));
}

bool HoldsInstances(const common::IniDocument &journal)
{
    return std::any_of(journal.Sections().begin(), journal.Sections().end(),
                       [](const common::IniDocument::Section &section) {
                           return common::StartsWith(section.name, kSectionPrefix);
                       });
}

OrphanAction ActionFor(const OrphanFacts &facts) noexcept
{
    if (!facts.ownSession)
        return OrphanAction::Keep;
    if (!facts.stillTheTarget)
        return OrphanAction::Drop;
    if (facts.targetElevated && !facts.readerElevated)
        return OrphanAction::Keep; // the system refuses this instance's changes to it
    if (facts.targetElevated && !facts.elevatedJournal)
        return OrphanAction::Drop; // what a program with the user's rights wrote about an elevated window
    return facts.answers ? OrphanAction::Undo : OrphanAction::Keep;
}

void RemoveUnreadableEntries(common::IniDocument &journal)
{
    std::vector<std::u16string> unreadable;
    for (const common::IniDocument::Section &section : journal.Sections())
        if (common::StartsWith(section.name, kSectionPrefix) && !EntryOf(journal, section))
            unreadable.push_back(section.name);
    for (const std::u16string &name : unreadable)
        journal.RemoveSection(name);
}

} // namespace controller
