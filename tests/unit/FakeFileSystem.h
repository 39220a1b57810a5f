// An in-memory file system for the task-definition tests.
#pragma once

#include "common/Text.h"
#include "common/TextEncoding.h"
#include "startup/FileProbe.h"

#include <map>
#include <set>
#include <string>

namespace testing_support
{

class FakeFileSystem : public startup::FileProbe
{
  public:
    // Adds a file (the folders on its way are not implied; add them with AddFolder).
    void AddFile(std::u16string path, std::string content = {})
    {
        m_files[common::ToLower(path)] = std::move(content);
    }
    void AddFolder(std::u16string path)
    {
        m_folders.insert(common::ToLower(path));
    }

    bool FileExists(std::u16string_view path) const override
    {
        return m_files.contains(common::ToLower(path));
    }
    bool DirectoryExists(std::u16string_view path) const override
    {
        return m_folders.contains(common::ToLower(path));
    }
    std::optional<std::string> ReadFile(std::u16string_view path, size_t limit) const override
    {
        const auto found = m_files.find(common::ToLower(path));
        if (found == m_files.end() || found->second.size() > limit)
            return std::nullopt;
        return found->second;
    }

    void AddLink(std::u16string path, startup::ShellLinkTarget target)
    {
        AddFile(path);
        m_links[common::ToLower(path)] = std::move(target);
    }
    std::optional<startup::ShellLinkTarget> ReadShellLink(std::u16string_view path) const override
    {
        const auto found = m_links.find(common::ToLower(path));
        return found == m_links.end() ? std::nullopt : std::optional(found->second);
    }

    // A relative path is taken against the current folder, "C:\\Current" unless set.
    void SetCurrentFolder(std::u16string folder)
    {
        m_currentFolder = std::move(folder);
    }
    std::u16string FullPath(std::u16string_view path) const override
    {
        const bool absolute =
            (path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/')) ||
            common::StartsWith(path, u"\\\\");
        return path.empty() || absolute ? std::u16string(path)
                                        : m_currentFolder + u"\\" + std::u16string(path);
    }

  private:
    std::u16string m_currentFolder = u"C:\\Current";
    std::map<std::u16string, std::string> m_files;
    std::set<std::u16string> m_folders;
    std::map<std::u16string, startup::ShellLinkTarget> m_links;
};

// Reads bytes as Latin-1, which is enough to tell that the ANSI path was taken.
class Latin1CodePage : public common::AnsiCodePage
{
  public:
    std::u16string Decode(std::string_view bytes) const override
    {
        std::u16string text;
        for (char c : bytes)
            text.push_back(static_cast<unsigned char>(c));
        return text;
    }
};

// Test text is written in UTF-8 source; the core works in UTF-16.
inline std::u16string U(std::string_view utf8)
{
    return common::Utf8ToUtf16(utf8);
}

} // namespace testing_support
