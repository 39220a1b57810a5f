#include "common/IniDocument.h"

#include "common/Text.h"

#include <algorithm>
#include <utility>

namespace common
{

std::vector<std::u16string> SplitLines(std::u16string_view text)
{
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start < text.size())
    {
        const size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string_view::npos)
        {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == u'\r' && start < text.size() && text[start] == u'\n')
            ++start;
    }
    return lines;
}

std::u16string JoinLines(const std::vector<std::u16string> &lines)
{
    std::u16string text;
    size_t length = 0;
    for (const auto &line : lines)
        length += line.size() + 2;
    text.reserve(length);
    for (const auto &line : lines)
    {
        text += line;
        text += u"\r\n";
    }
    return text;
}

IniDocument IniDocument::Parse(std::u16string_view text)
{
    IniDocument document;
    Section *current = nullptr;
    for (const auto &rawLine : SplitLines(text))
    {
        const std::u16string_view line = Trim(rawLine);
        if (line.empty() || line.front() == u';')
            continue;
        if (line.front() == u'[' && line.back() == u']' && line.size() >= 2)
        {
            document.m_sections.push_back({std::u16string(Trim(line.substr(1, line.size() - 2))), {}});
            current = &document.m_sections.back();
            continue;
        }
        if (current == nullptr)
            continue;
        const size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos)
            current->entries.push_back({std::u16string(line), {}, false});
        else
            current->entries.push_back(
                {std::u16string(Trim(line.substr(0, equals))), std::u16string(Trim(line.substr(equals + 1))), true});
    }
    return document;
}

std::u16string IniDocument::Serialize() const
{
    std::u16string text;
    for (const auto &section : m_sections)
    {
        text += u'[';
        text += section.name;
        text += u"]\r\n";
        for (const auto &entry : section.entries)
        {
            text += entry.key;
            if (entry.hasValue)
            {
                text += u'=';
                text += entry.value;
            }
            text += u"\r\n";
        }
        text += u"\r\n";
    }
    return text;
}

const IniDocument::Section *IniDocument::FindSection(std::u16string_view name) const
{
    const auto found = std::find_if(m_sections.begin(), m_sections.end(),
                                    [name](const Section &section) { return EqualsNoCase(section.name, name); });
    return found == m_sections.end() ? nullptr : &*found;
}

IniDocument::Section *IniDocument::FindSection(std::u16string_view name)
{
    return const_cast<Section *>(std::as_const(*this).FindSection(name));
}

namespace
{

template <typename Entries> auto FindEntry(Entries &entries, std::u16string_view key)
{
    return std::find_if(entries.begin(), entries.end(),
                        [key](const auto &entry) { return entry.hasValue && EqualsNoCase(entry.key, key); });
}

} // namespace

const std::u16string *IniDocument::Find(std::u16string_view section, std::u16string_view key) const
{
    const Section *found = FindSection(section);
    if (found == nullptr)
        return nullptr;
    const auto entry = FindEntry(found->entries, key);
    return entry == found->entries.end() ? nullptr : &entry->value;
}

std::u16string IniDocument::Get(std::u16string_view section, std::u16string_view key,
                                std::u16string_view fallback) const
{
    const std::u16string *value = Find(section, key);
    return std::u16string(value != nullptr ? std::u16string_view(*value) : fallback);
}

bool IniDocument::HasSection(std::u16string_view section) const
{
    return FindSection(section) != nullptr;
}

void IniDocument::RemoveSection(std::u16string_view section)
{
    std::erase_if(m_sections, [section](const Section &found) { return EqualsNoCase(found.name, section); });
}

void IniDocument::Set(std::u16string_view section, std::u16string_view key, std::u16string_view value)
{
    // A line break inside a value would split it into lines of its own and change the file's
    // structure; it is stored as a blank instead.
    std::u16string oneLine(value);
    std::replace_if(oneLine.begin(), oneLine.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }, u' ');
    value = oneLine;
    Section *found = FindSection(section);
    if (found == nullptr)
    {
        m_sections.push_back({std::u16string(section), {}});
        found = &m_sections.back();
    }
    const auto entry = FindEntry(found->entries, key);
    if (entry != found->entries.end())
        entry->value = value;
    else
        found->entries.push_back({std::u16string(key), std::u16string(value), true});
}

} // namespace common
