#include "gui/Modal.h"

namespace gui
{

bool RunMessagesUntil(const std::function<bool()> &finished)
{
    MSG message;
    while (!finished())
    {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
        {
            PostQuitMessage(static_cast<int>(message.wParam)); // leave the quit to the outer loop
            return false;
        }
        if (got == -1)
            return false;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return true;
}

} // namespace gui
