#include "controller/win/OptionFile.h"

#include "common/win/IniFile.h"
#include "common/win/Unique.h"
#include "common/win/WinError.h"
#include "common/win/WinText.h"
#include "controller/Options.h"

#include <windows.h>

namespace controller
{

using common::win::LoadIniFile;
using common::win::SaveResult;
using common::win::UpdateIniFile;

void PickerSettingsFile::LoadPlacement(ui::PickerPlacement &placement)
{
    LoadPickerPlacement(LoadIniFile(m_path), placement);
}

void PickerSettingsFile::SavePlacement(const ui::PickerPlacement &placement)
{
    if (UpdateIniFile(m_path, [&](common::IniDocument &file) { SavePickerPlacement(file, placement); }) !=
        SaveResult::Saved)
        throw common::win::WinError("UpdateIniFile", ERROR_SHARING_VIOLATION);
}

bool PickerSettingsFile::Held() const
{
    const common::win::UniqueFile file(CreateFileW(common::win::W(m_path), GENERIC_READ, 0, nullptr,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file && GetLastError() != ERROR_FILE_NOT_FOUND;
}

} // namespace controller
