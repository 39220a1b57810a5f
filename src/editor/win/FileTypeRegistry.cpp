#include "editor/win/FileTypeRegistry.h"

#include "common/win/WinText.h"
#include "common/win/ShellCalls.h"

#include <shlobj.h>

namespace editor
{

namespace
{

using common::win::W;

HKEY g_classes = nullptr;
HKEY g_explorerChoices = nullptr;

// A key under the user's classes, opened or made.
struct ClassKey
{
    HKEY root;
    std::u16string path;
};
ClassKey Classes(std::u16string_view key)
{
    return g_classes != nullptr ? ClassKey{g_classes, std::u16string(key)}
                                : ClassKey{HKEY_CURRENT_USER, u"Software\\Classes\\" + std::u16string(key)};
}

std::optional<std::u16string> ReadText(HKEY root, const std::u16string &key, const wchar_t *name)
{
    wchar_t text[1024];
    DWORD size = sizeof(text);
    if (RegGetValueW(root, W(key), name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return common::win::U(text);
}

std::optional<std::u16string> ClassText(std::u16string_view key, const wchar_t *name = nullptr)
{
    const ClassKey at = Classes(key);
    return ReadText(at.root, at.path, name);
}

bool OpensWithUs(const FileType &type)
{
    return OpensWithUs(ClassText(type.extension),
                       ClassText(std::u16string(type.progId) + u"\\shell\\open\\command"), type);
}

// Deletes the key when it holds neither values nor keys.
void DeleteIfEmpty(std::u16string_view key)
{
    const ClassKey at = Classes(key);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(at.root, W(at.path), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    DWORD keys = 1, values = 1;
    RegQueryInfoKeyW(opened, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(opened);
    if (keys == 0 && values == 0)
        RegDeleteKeyW(at.root, W(at.path));
}

void TellExplorer()
{
    common::win::shell::SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

} // namespace

bool TaskFilesOpenWithUs()
{
    for (const FileType &type : kFileTypes)
        if (!OpensWithUs(type))
            return false;
    return true;
}

bool OpenTaskFilesWithUs(std::u16string_view programFolder)
{
    bool written = true;
    for (const FileType &type : kFileTypes)
        for (const ClassValue &value : FileTypeValues(type, programFolder))
        {
            const ClassKey at = Classes(value.key);
            HKEY key = nullptr;
            if (RegCreateKeyExW(at.root, W(at.path), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
                ERROR_SUCCESS)
            {
                written = false;
                continue;
            }
            written &= RegSetValueExW(key, value.name.empty() ? nullptr : W(value.name), 0, REG_SZ,
                                      reinterpret_cast<const BYTE *>(value.data.c_str()),
                                      static_cast<DWORD>((value.data.size() + 1) * sizeof(char16_t))) ==
                       ERROR_SUCCESS;
            RegCloseKey(key);
        }
    TellExplorer();
    return written;
}

void StopOpeningTaskFiles()
{
    for (const FileType &type : kFileTypes)
    {
        const std::u16string progId(type.progId), extension(type.extension);
        const std::optional<std::u16string> command = ClassText(progId + u"\\shell\\open\\command");
        if (command && !IsOurOpenCommand(*command, type))
            continue; // a class of that name that is not ours
        const ClassKey ours = Classes(progId);
        RegDeleteTreeW(ours.root, W(ours.path)); // the key with everything in it
        const std::optional<std::u16string> named = ClassText(extension);
        const ClassKey at = Classes(extension);
        if (named && *named == progId)
            RegDeleteKeyValueW(at.root, W(at.path), nullptr);
        const ClassKey others = Classes(extension + u"\\OpenWithProgids");
        RegDeleteKeyValueW(others.root, W(others.path), W(progId));
        DeleteIfEmpty(extension + u"\\OpenWithProgids");
        DeleteIfEmpty(extension);
    }
    TellExplorer();
}

std::optional<std::u16string> OtherUserChoice(const FileType &type)
{
    const std::u16string key = std::u16string(type.extension) + u"\\UserChoice";
    const std::optional<std::u16string> chosen =
        g_explorerChoices != nullptr
            ? ReadText(g_explorerChoices, key, L"ProgId")
            : ReadText(HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\" + key,
                       L"ProgId");
    return chosen && *chosen != type.progId ? chosen : std::nullopt;
}

void SetUserKeysForTests(HKEY classes, HKEY explorerChoices) noexcept
{
    g_classes = classes;
    g_explorerChoices = explorerChoices;
}

} // namespace editor
