// The program's forms: the controller, created at the start; the icon panel (the normal build only),
// created when it is first shown; the running-program picker and the key dialog, created at their
// first use.
#pragma once

#include "controller/win/EarlyLaunch.h"
#include "controller/win/MainForm.h"
#include "controller/win/OptionFile.h"
#include "startup/ProcessState.h"
#include "ui/win/IRunFindForm.h"
#include "ui/win/KeyForm.h"
#ifndef KV2_ELEVATED
#include "ui/win/PanelForm.h"
#endif

#include <optional>
#include <utility>

namespace app
{

struct Forms : controller::Companions
{
    explicit Forms(controller::EarlyLaunch early = {}) : mainForm(std::move(early))
    {
        mainForm.SetCompanions(this);
    }
    // The members go in the reverse order. The controller lets go of the others first: destroying a
    // window may activate another one, and the controller must not reach a form already gone.
    ~Forms()
    {
        mainForm.SetCompanions(nullptr);
    }
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    ui::TIRunFindForm &Picker() override
    {
        if (!runFindForm)
            runFindForm.emplace(&pickerSettings);
        return *runFindForm;
    }
    ui::TKeyForm &KeyForm() override
    {
        if (!keyForm)
            keyForm.emplace();
        return *keyForm;
    }
    ui::IconPanel *Panel() override
    {
#ifdef KV2_ELEVATED
        return nullptr;
#else
        if (!panelForm)
            panelForm.emplace(mainForm.PanelOwner());
        return &*panelForm;
#endif
    }

    controller::TmainForm mainForm;
    // Made when they are first wanted.
#ifndef KV2_ELEVATED
    std::optional<ui::TPanelForm> panelForm;
#endif
    controller::PickerSettingsFile pickerSettings{startup::Paths().SettingsFilePath};
    std::optional<ui::TIRunFindForm> runFindForm;
    std::optional<ui::TKeyForm> keyForm;
};

} // namespace app
