#include "editor/win/ShortcutFiles.h"

#include "common/win/Shell.h"
#include "common/win/Unique.h"
#include "common/win/WinText.h"
#include "common/win/ShellCalls.h"
#include "startup/win/SystemFileProbe.h"

#include <shlobj.h>

namespace editor
{

namespace
{

PlaceFolderSource g_placeFolderSource = nullptr;

} // namespace

std::u16string PlaceFolder(ShortcutPlace place)
{
    if (g_placeFolderSource != nullptr)
        return g_placeFolderSource(place);
    const KNOWNFOLDERID &id = place == ShortcutPlace::Desktop     ? FOLDERID_Desktop
                              : place == ShortcutPlace::StartMenu ? FOLDERID_Programs
                                                                  : FOLDERID_Startup;
    PWSTR folder = nullptr;
    std::u16string path;
    if (SUCCEEDED(common::win::shell::SHGetKnownFolderPath(id, 0, nullptr, &folder)))
        path = common::win::U(folder);
    common::win::shell::CoTaskMemFree(folder);
    return path;
}

void SetPlaceFolderSource(PlaceFolderSource source) noexcept
{
    g_placeFolderSource = source;
}

std::u16string ShortcutPath(ShortcutPlace place, std::u16string_view taskPath)
{
    std::u16string folder = PlaceFolder(place);
    if (folder.empty())
        return folder;
    if (folder.back() != u'\\')
        folder += u'\\';
    return folder + ShortcutFileName(taskPath);
}

FoundShortcut FindShortcut(ShortcutPlace place, std::u16string_view taskPath, const ShortcutTarget &wanted)
{
    const std::u16string path = ShortcutPath(place, taskPath);
    const bool exists = !path.empty() && GetFileAttributesW(common::win::W(path)) != INVALID_FILE_ATTRIBUTES;
    if (!exists)
        return FoundShortcut::None;
    return ClassifyShortcut(true, startup::SystemFileProbe().ReadShellLink(path), taskPath, wanted);
}

bool WriteShortcut(const std::u16string &path, const ShortcutTarget &target, const std::u16string &iconFile,
                   int iconIndex)
{
    using common::win::UniqueCom;
    using common::win::W;
    common::win::EnterComApartment();
    UniqueCom<IShellLinkW> link;
    UniqueCom<IPersistFile> file;
    if (FAILED(common::win::shell::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                    IID_IShellLinkW,
                                                    reinterpret_cast<void **>(link.Put()))) ||
        FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(file.Put()))))
        return false;
    link->SetPath(W(target.program));
    link->SetArguments(W(target.arguments));
    link->SetWorkingDirectory(W(target.workDir));
    if (!iconFile.empty())
        link->SetIconLocation(W(iconFile), iconIndex);
    return SUCCEEDED(file->Save(W(path), TRUE));
}

} // namespace editor
