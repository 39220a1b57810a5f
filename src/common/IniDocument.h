// An INI document as KV2 reads and writes it: ordered sections holding ordered key lines.
//
// Reading: lines are trimmed of blanks and control characters; empty lines and lines beginning with
// ";" are skipped; "[name]" opens a section; other lines are split at their first "=" with the blanks
// around it removed. Section and key names compare without regard to case; when a name occurs twice,
// the first occurrence is the one looked up and changed, but every occurrence is kept and written
// back. Lines before the first section are dropped, as are comments and empty lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace common
{

// Splits text into lines at CR LF, LF or CR, as a string list reads a file. A final line break does
// not start another line.
std::vector<std::u16string> SplitLines(std::u16string_view text);

// Joins lines, each followed by CR LF.
std::u16string JoinLines(const std::vector<std::u16string> &lines);

class IniDocument
{
  public:
    struct Entry
    {
        std::u16string key;
        std::u16string value;
        bool hasValue = true; // false for a line without "=", which is kept verbatim in `key`

        bool operator==(const Entry &) const = default;
    };

    struct Section
    {
        std::u16string name;
        std::vector<Entry> entries;

        bool operator==(const Section &) const = default;
    };

    IniDocument() = default;

    static IniDocument Parse(std::u16string_view text);

    // The whole document: "[name]" lines, "key=value" lines, one empty line after each section, every
    // line ended by CR LF.
    std::u16string Serialize() const;

    // The value of a key, or nullptr when the section or the key is absent.
    const std::u16string *Find(std::u16string_view section, std::u16string_view key) const;

    // The value of a key, or `fallback` when absent. A key present with an empty value reads as empty.
    std::u16string Get(std::u16string_view section, std::u16string_view key, std::u16string_view fallback) const;

    bool HasSection(std::u16string_view section) const;
    // Removes every section of that name with its keys.
    void RemoveSection(std::u16string_view section);

    // Sets a key's value; a new key goes at the end of its section, a new section at the end.
    void Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

    const std::vector<Section> &Sections() const noexcept
    {
        return m_sections;
    }

    bool operator==(const IniDocument &) const = default;

  private:
    Section *FindSection(std::u16string_view name);
    const Section *FindSection(std::u16string_view name) const;

    std::vector<Section> m_sections;
};

} // namespace common
