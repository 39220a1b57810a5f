#include "controller/Commands.h"

namespace controller
{

namespace
{

CommandEffects Saved()
{
    CommandEffects effects;
    effects.save = true;
    return effects;
}

CommandEffects Flow(CommandFlow flow)
{
    CommandEffects effects;
    effects.flow = flow;
    return effects;
}

CommandEffects Dialog(CommandDialog dialog, bool save)
{
    CommandEffects effects;
    effects.dialog = dialog;
    effects.save = save;
    return effects;
}

// The option items, once their option has been flipped.
CommandEffects OptionChanged(unsigned id, const TargetFacts &target, MenuInputs &model)
{
    const TrayOptions &options = model.options;
    CommandEffects effects = Saved();
    switch (id)
    {
    case kPPMostTop:
        if (target.exists)
            effects.topMost = options.MostTop;
        break;
    case kPPNonTaskBar:
        // A minimized target keeps its button until it is restored (the minimize end hides it).
        if (target.exists && (!options.NonTaskBar || !target.iconic))
            effects.taskBarButton = !options.NonTaskBar;
        break;
    case kPPWheelKeyEnabled1:
    case kPPWheelKeyEnabled2:
        effects.stopMouseHook = !options.WheelButton1 && !options.WheelButton2 && target.mouseHookInstalled;
        break;
    case kPPMinimize:
        effects.hideToTray = target.exists && options.Minimize && target.iconic;
        effects.showMinimized = target.exists && !options.Minimize && !target.visible;
        break;
    case kPPClickClick:
        effects.wireClicks = true;
        break;
    default: // "固定", "常駐", "位置、大きさ", "二重起動禁止": only saved
        break;
    }
    return effects;
}

} // namespace

CommandEffects RunCommand(unsigned id, const TargetFacts &target, MenuInputs &model)
{
    if (!MenuItemStateOf(id, model).enabled)
    {
        CommandEffects effects;
        effects.ignored = true;
        return effects;
    }
    TrayOptions &options = model.options;
    if (ToggleOption(id, options))
        return OptionChanged(id, target, model);
    if (id >= kPPPriority0 && id <= kPPPriority4)
    {
        const int tag = static_cast<int>(id - kPPPriority0);
        model.priorityTag = tag;
        CommandEffects effects;
        effects.priorityClass = PriorityClassOfTag(tag);
        return effects;
    }
    if (id >= kPPTrans10 && id <= kPPTrans100)
    {
        options.TransValue = TransPercentOfTag(static_cast<int>(id - kPPTrans10 + 1));
        CommandEffects effects = Saved();
        effects.translucency = options.TransValue;
        return effects;
    }
    if (id >= kPPAutoRestart0 && id <= kPPAutoRestart2)
    {
        options.AutoRestart = static_cast<int>(id - kPPAutoRestart0);
        return Saved();
    }
    if (id >= kPPDisplay0 && id <= kPPDisplay2)
    {
        options.Display = static_cast<int>(id - kPPDisplay0);
        CommandEffects effects = Saved();
        effects.display = options.Display;
        return effects;
    }
    switch (id)
    {
    case kPPMAX: {
        model.captionless = !model.captionless;
        // The frame may have gone since the menu was drawn: then nothing is changed on the target.
        if (!target.sizable)
            return {};
        CommandEffects effects = Saved();
        effects.captionless = model.captionless;
        return effects;
    }
    case kPPDefault:
        options.Edit = target.originalCaption;
        return Saved();
    case kPPEdit:
        return Dialog(CommandDialog::CaptionInput, true);
    case kPPWheelKeyEdit1:
        return Dialog(CommandDialog::WheelKey1, true);
    case kPPWheelKeyEdit2:
        return Dialog(CommandDialog::WheelKey2, true);
    case kPPModify:
        return Dialog(CommandDialog::Picker, false);
    case kPPKV2File:
        return Dialog(CommandDialog::TaskEditor, false);
    case kPPMouseHookReset: {
        CommandEffects effects;
        effects.stopMouseHook = target.mouseHookInstalled;
        return effects;
    }
    case kPPAct:
        return Flow(CommandFlow::Activate);
    case kPPExit:
        return Flow(CommandFlow::Exit);
    case kPPReStart:
        return Flow(CommandFlow::Restart);
    case kPPTERMINATE:
        return Flow(CommandFlow::Terminate);
    case kPPKV2Close:
        return Flow(CommandFlow::CloseKV2);
    case kPPClose:
        return Flow(CommandFlow::CloseAll);
    default:
        return {};
    }
}

std::u16string CaptionDialogText(const TrayOptions &options, const TargetFacts &target,
                                 const std::u16string &presentCaption)
{
    if (!options.Edit.empty())
        return options.Edit;
    return target.exists ? presentCaption : target.originalCaption;
}

} // namespace controller
