// The program's forms, created in their fixed order: controller, icon panel (the normal build only),
// running-program picker, key dialog.
#pragma once

#include "controller/win/MainForm.h"
#include "controller/win/OptionFile.h"
#include "procwin/win/IRunFindForm.h"
#include "startup/ProcessState.h"
#include "ui/win/KeyForm.h"
#ifndef KV2_ELEVATED
#include "ui/win/PanelForm.h"
#endif

namespace startup
{

struct Forms
{
    Forms()
    {
#ifdef KV2_ELEVATED
        mainForm.SetCompanions(&runFindForm, &keyForm, nullptr);
#else
        mainForm.SetCompanions(&runFindForm, &keyForm, &panelForm);
#endif
    }
    // The members go in the reverse order. The controller lets go of the others first: destroying a
    // window may activate another one, and the controller must not reach a form already gone.
    ~Forms()
    {
        mainForm.SetCompanions(nullptr, nullptr, nullptr);
    }
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    controller::TmainForm mainForm;
#ifndef KV2_ELEVATED
    ui::TPanelForm panelForm{mainForm};
#endif
    controller::PickerSettingsFile pickerSettings{Paths().SettingsFilePath};
    procwin::TIRunFindForm runFindForm{&pickerSettings};
    ui::TKeyForm keyForm;
};

} // namespace startup
