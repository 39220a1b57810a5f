// The program's forms: the controller and the icon panel (the normal build only), created in that
// order at the start; the running-program picker and the key dialog, created at their first use.
#pragma once

#include "controller/win/MainForm.h"
#include "controller/win/OptionFile.h"
#include "procwin/win/IRunFindForm.h"
#include "startup/ProcessState.h"
#include "ui/win/KeyForm.h"
#ifndef KV2_ELEVATED
#include "ui/win/PanelForm.h"
#endif

#include <optional>

namespace startup
{

struct Forms
{
    Forms()
    {
        controller::TmainForm::Companions companions{
            .picker = [this]() -> procwin::TIRunFindForm & {
                if (!runFindForm)
                    runFindForm.emplace(&pickerSettings);
                return *runFindForm;
            },
            .keyForm = [this]() -> ui::TKeyForm & {
                if (!keyForm)
                    keyForm.emplace();
                return *keyForm;
            },
        };
#ifndef KV2_ELEVATED
        companions.panel = &panelForm;
#endif
        mainForm.SetCompanions(std::move(companions));
    }
    // The members go in the reverse order. The controller lets go of the others first: destroying a
    // window may activate another one, and the controller must not reach a form already gone.
    ~Forms()
    {
        mainForm.SetCompanions({});
    }
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    controller::TmainForm mainForm;
#ifndef KV2_ELEVATED
    ui::TPanelForm panelForm{mainForm};
#endif
    controller::PickerSettingsFile pickerSettings{Paths().SettingsFilePath};
    // Made at their first use.
    std::optional<procwin::TIRunFindForm> runFindForm;
    std::optional<ui::TKeyForm> keyForm;
};

} // namespace startup
