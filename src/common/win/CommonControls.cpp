#include "common/win/CommonControls.h"

#include <commctrl.h>

namespace common::win
{

bool LoadCommonControls(DWORD classes) noexcept
{
    // By name, not by path: the programs' manifests ask for version 6, which the loader finds in the
    // side-by-side store only for a name (a path to the system folder would give version 5).
    static const HMODULE library = LoadLibraryW(L"comctl32.dll");
    if (library == nullptr)
        return false;
    using Init = BOOL(WINAPI *)(const INITCOMMONCONTROLSEX *);
    const auto init =
        reinterpret_cast<Init>(reinterpret_cast<void *>(GetProcAddress(library, "InitCommonControlsEx")));
    const INITCOMMONCONTROLSEX request{sizeof(request), classes};
    return init != nullptr && init(&request) != FALSE;
}

} // namespace common::win
