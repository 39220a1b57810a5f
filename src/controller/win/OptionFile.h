// The running-program picker's placement in the settings file "KV2.ini".
#pragma once

#include "common/win/IniFile.h"
#include "ui/PickerPlacement.h"

#include <string>
#include <utility>

namespace controller
{

// The picker's placement in the settings file at `path` (section "IRunFindWindow"), read with
// LoadIniFile and changed with UpdateIniFile; a save that finds the file held raises WinError
// (ERROR_SHARING_VIOLATION).
class PickerSettingsFile : public ui::PlacementStore
{
  public:
    explicit PickerSettingsFile(std::u16string path) : m_path(std::move(path))
    {
    }

    void LoadPlacement(ui::PickerPlacement &placement) override;
    void SavePlacement(const ui::PickerPlacement &placement) override;
    // True while the file cannot be opened without sharing; a file that does not exist yet has no
    // writer to wait for.
    bool Held() const override;

  private:
    std::u16string m_path;
};

} // namespace controller
