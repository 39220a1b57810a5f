// The controller: the hidden main window that owns the target's state for the life of the program.
// Other instances find it by its class name and its caption "KV2-" + the program path.
#pragma once

#include "gui/Window.h"

namespace controller
{

// Looked up by other KV2 instances (FindWindowW), so it never changes.
constexpr wchar_t kMainFormClassName[] = L"TmainForm";

class TmainForm : public gui::Window
{
  public:
    // Creates the hidden controller window and runs FormCreate.
    TmainForm();
    ~TmainForm() override;

    // Called by the icon panel while it is created: loads the panel's options.
    void PanelFormCreate();

  protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void FormCreate();
};

} // namespace controller
