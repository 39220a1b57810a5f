#include "controller/Commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace
{

using namespace controller;

TargetFacts Facts(bool exists, bool visible, bool iconic, bool sizable, bool hook)
{
    TargetFacts facts;
    facts.exists = exists;
    facts.visible = visible;
    facts.iconic = iconic;
    facts.sizable = sizable;
    facts.mouseHookInstalled = hook;
    facts.originalCaption = u"Found";
    return facts;
}

TargetFacts Shown()
{
    return Facts(true, true, false, true, false);
}

TargetFacts Minimized()
{
    TargetFacts facts = Shown();
    facts.iconic = true;
    return facts;
}

TargetFacts InTray()
{
    TargetFacts facts = Minimized();
    facts.visible = false;
    return facts;
}

MenuInputs Running()
{
    MenuInputs model;
    model.targetRunning = true;
    model.targetSizable = true;
    return model;
}

struct Case
{
    const char *name;
    unsigned id;
    TargetFacts target;
    std::function<void(MenuInputs &)> before;  // the state the command meets
    std::function<void(CommandEffects &)> want; // the effects, from a default record
    std::function<void(MenuInputs &)> after;   // the state it leaves, from the state it met
};

void Nothing(MenuInputs &)
{
}

} // namespace

// Every command of the menu: what it changes in the model and what it asks the Win32 side to do.
TEST(Commands, EachCommandChangesItsStateAndAsksForItsEffects)
{
    const Case cases[] = {
        {"priority sets the class and marks its tag", kPPPriority0 + 2, Shown(), Nothing,
         [](CommandEffects &e) { e.priorityClass = 0x80; }, [](MenuInputs &m) { m.priorityTag = 2; }},
        {"translucency stores the percent and applies it", kPPTrans10 + 7, Shown(), Nothing,
         [](CommandEffects &e) {
             e.translucency = 45;
             e.save = true;
         },
         [](MenuInputs &m) { m.options.TransValue = 45; }},
        {"keeping the program running is only stored", kPPAutoRestart0 + 1, Shown(), Nothing,
         [](CommandEffects &e) { e.save = true; }, [](MenuInputs &m) { m.options.AutoRestart = 1; }},
        {"display mode shows its parts", kPPDisplay0 + 2, Shown(), Nothing,
         [](CommandEffects &e) {
             e.display = 2;
             e.save = true;
         },
         [](MenuInputs &m) { m.options.Display = 2; }},
        {"caption-less maximize flips and applies", kPPMAX, Shown(), Nothing,
         [](CommandEffects &e) {
             e.captionless = true;
             e.save = true;
         },
         [](MenuInputs &m) { m.captionless = true; }},
        {"caption-less maximize of a window that lost its frame changes nothing on it", kPPMAX,
         Facts(true, true, false, false, false), Nothing, [](CommandEffects &) {},
         [](MenuInputs &m) { m.captionless = true; }},
        {"topmost follows the option", kPPMostTop, Shown(), Nothing,
         [](CommandEffects &e) {
             e.topMost = true;
             e.save = true;
         },
         [](MenuInputs &m) { m.options.MostTop = true; }},
        {"topmost without a target is only saved", kPPMostTop, TargetFacts{}, Nothing,
         [](CommandEffects &e) { e.save = true; }, [](MenuInputs &m) { m.options.MostTop = true; }},
        {"no taskbar button hides the shown target's", kPPNonTaskBar, Shown(), Nothing,
         [](CommandEffects &e) {
             e.taskBarButton = false;
             e.save = true;
         },
         [](MenuInputs &m) { m.options.NonTaskBar = true; }},
        {"a minimized target keeps its button until restored", kPPNonTaskBar, Minimized(), Nothing,
         [](CommandEffects &e) { e.save = true; }, [](MenuInputs &m) { m.options.NonTaskBar = true; }},
        {"the button comes back, minimized or not", kPPNonTaskBar, Minimized(),
         [](MenuInputs &m) { m.options.NonTaskBar = true; },
         [](CommandEffects &e) {
             e.taskBarButton = true;
             e.save = true;
         },
         [](MenuInputs &m) { m.options.NonTaskBar = false; }},
        {"minimize on sends a minimized target to the tray", kPPMinimize, Minimized(),
         [](MenuInputs &m) { m.options.Minimize = false; },
         [](CommandEffects &e) {
             e.hideToTray = true;
             e.save = true;
         },
         [](MenuInputs &m) { m.options.Minimize = true; }},
        {"minimize off brings the target out of the tray minimized", kPPMinimize, InTray(), Nothing,
         [](CommandEffects &e) {
             e.showMinimized = true;
             e.save = true;
         },
         [](MenuInputs &m) { m.options.Minimize = false; }},
        {"the last wheel gesture off stops the hook", kPPWheelKeyEnabled2,
         Facts(true, true, false, true, true), [](MenuInputs &m) { m.options.WheelButton2 = true; },
         [](CommandEffects &e) {
             e.stopMouseHook = true;
             e.save = true;
         },
         [](MenuInputs &m) { m.options.WheelButton2 = false; }},
        {"one gesture still on keeps the hook", kPPWheelKeyEnabled2, Facts(true, true, false, true, true),
         [](MenuInputs &m) { m.options.WheelButton1 = m.options.WheelButton2 = true; },
         [](CommandEffects &e) { e.save = true; }, [](MenuInputs &m) { m.options.WheelButton2 = false; }},
        {"double click rewires the clicks", kPPClickClick, Shown(), Nothing,
         [](CommandEffects &e) {
             e.wireClicks = true;
             e.save = true;
         },
         [](MenuInputs &m) { m.options.Click = false; }},
        {"resident is only saved", kPPLive, Shown(), Nothing, [](CommandEffects &e) { e.save = true; },
         [](MenuInputs &m) { m.options.Live = false; }},
        {"default takes the caption found at attachment", kPPDefault, Shown(),
         [](MenuInputs &m) { m.options.Edit = u"Mine"; }, [](CommandEffects &e) { e.save = true; },
         [](MenuInputs &m) { m.options.Edit = u"Found"; }},
        {"caption edit asks, then saves", kPPEdit, Shown(), Nothing,
         [](CommandEffects &e) {
             e.dialog = CommandDialog::CaptionInput;
             e.save = true;
         },
         Nothing},
        {"wheel key edit asks for its key", kPPWheelKeyEdit2, Shown(), Nothing,
         [](CommandEffects &e) {
             e.dialog = CommandDialog::WheelKey2;
             e.save = true;
         },
         Nothing},
        {"modify opens the picker and saves nothing", kPPModify, Shown(), Nothing,
         [](CommandEffects &e) { e.dialog = CommandDialog::Picker; }, Nothing},
        {"hook reset stops an installed hook only", kPPMouseHookReset, TargetFacts{},
         [](MenuInputs &m) {
             m.options.WheelButton1 = true;
             m.options.WheelKey1 = u"F5";
         },
         [](CommandEffects &) {}, Nothing},
        {"close waits for the target", kPPExit, Shown(), Nothing,
         [](CommandEffects &e) { e.flow = CommandFlow::Exit; }, Nothing},
        {"end closes everything", kPPClose, TargetFacts{}, Nothing,
         [](CommandEffects &e) { e.flow = CommandFlow::CloseAll; }, Nothing},
        // A command for an item the menu shows disabled is not the user's: it changes nothing.
        {"close without a target is ignored", kPPExit, TargetFacts{},
         [](MenuInputs &m) { m.targetRunning = false; }, [](CommandEffects &e) { e.ignored = true; },
         Nothing},
        {"modify during a start is ignored", kPPModify, Shown(), [](MenuInputs &m) { m.starting = true; },
         [](CommandEffects &e) { e.ignored = true; }, Nothing},
        {"the editor without a task file is ignored", kPPKV2File, Shown(), Nothing,
         [](CommandEffects &e) { e.ignored = true; }, Nothing},
        {"an unknown command does nothing", 999, Shown(), Nothing, [](CommandEffects &) {}, Nothing},
    };
    for (const Case &c : cases)
    {
        MenuInputs model = Running();
        model.options.Click = true;
        c.before(model);
        MenuInputs expected = model;
        c.after(expected);
        CommandEffects want;
        c.want(want);
        EXPECT_EQ(RunCommand(c.id, c.target, model), want) << c.name;
        EXPECT_EQ(model, expected) << c.name;
    }
}

TEST(Commands, CaptionDialogStartsFromTheFixedCaptionThenThePresentThenTheFoundOne)
{
    TrayOptions options;
    EXPECT_EQ(CaptionDialogText(options, Shown(), u"Now"), u"Now");
    EXPECT_EQ(CaptionDialogText(options, Facts(false, false, false, false, false), u""), u"Found");
    options.Edit = u"Mine";
    EXPECT_EQ(CaptionDialogText(options, Shown(), u"Now"), u"Mine");
}
