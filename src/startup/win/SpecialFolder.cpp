#include "startup/win/SpecialFolder.h"

#include "common/Text.h"
#include "common/win/FileSystem.h"
#include "common/win/WinText.h"
#include "common/win/ShellCalls.h"
#include "startup/Build.h"

#include <windows.h>

#include <shlobj.h>

namespace startup
{

using common::win::W;

std::u16string GetSpecialFolder(int index)
{
    static constexpr int kFolders[] = {CSIDL_PERSONAL,      CSIDL_APPDATA,     CSIDL_LOCAL_APPDATA,
                                       CSIDL_COMMON_APPDATA, CSIDL_MYPICTURES, CSIDL_COMMON_DOCUMENTS};
    if (index < 0 || index >= static_cast<int>(std::size(kFolders)))
        return {};
    wchar_t path[MAX_PATH] = {};
    if (FAILED(common::win::shell::SHGetFolderPathW(nullptr, kFolders[index], nullptr, SHGFP_TYPE_CURRENT,
                                                    path)))
        return {};
    return std::u16string(common::CutAtNul(common::win::U(path, MAX_PATH)));
}

namespace
{

void CreateFolderIfMissing(const std::u16string &folder)
{
    if (!common::win::DirectoryExistsReady(folder))
        CreateDirectoryW(W(folder), nullptr);
}

} // namespace

std::u16string PrepareDataFolder(const std::u16string &name, int folder)
{
    const std::u16string appData = GetSpecialFolder(folder);
    if (appData.empty())
        return {};
    const std::u16string company = appData + u"\\" + kCompanyFolderName;
    CreateFolderIfMissing(company);
    const std::u16string data = company + u"\\" + name;
    CreateFolderIfMissing(data);
    if (!common::win::DirectoryExistsReady(data))
        return {};
    return data + u"\\";
}

} // namespace startup
