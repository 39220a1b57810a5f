#include "controller/MenuModel.h"

#include "common/Text.h"

#include <algorithm>
#include <array>

namespace controller
{

namespace
{

constexpr std::array<std::uint32_t, 5> kPriorityClasses = {
    0x20,   // NORMAL_PRIORITY_CLASS
    0x40,   // IDLE_PRIORITY_CLASS
    0x80,   // HIGH_PRIORITY_CLASS
    0x4000, // BELOW_NORMAL_PRIORITY_CLASS
    0x8000, // ABOVE_NORMAL_PRIORITY_CLASS
};

} // namespace

std::uint32_t PriorityClassOfTag(int tag) noexcept
{
    if (tag < 0 || tag >= static_cast<int>(kPriorityClasses.size()))
        return 0;
    return kPriorityClasses[static_cast<size_t>(tag)];
}

std::optional<int> PriorityTagOfClass(std::uint32_t priorityClass) noexcept
{
    const auto found = std::find(kPriorityClasses.begin(), kPriorityClasses.end(), priorityClass);
    if (found == kPriorityClasses.end())
        return std::nullopt;
    return static_cast<int>(found - kPriorityClasses.begin());
}

std::u16string TransCaption(int tag)
{
    return common::DecimalText(TransPercentOfTag(tag)) + u"%";
}

int TransTagOfPercent(int percent) noexcept
{
    const int tens = percent / 10;
    const int units = percent % 10 < 5 ? 0 : 5;
    const int cut = tens * 10 + units;
    return std::clamp(cut / 5 - 1, 1, kTransItemCount);
}

std::u16string RunningTip(std::u16string_view hotKeyText, std::u16string_view title, bool aboveRights,
                          bool translucencyRefused, bool notAnswering)
{
    std::u16string tip = notAnswering ? u"実行中（応答なし）\r\n"
                         : aboveRights ? u"実行中（管理者の権限で動いているため変更できません）\r\n"
                         : translucencyRefused ? u"実行中（自分で描画しているため半透明にできません）\r\n"
                                               : u"実行中\r\n";
    tip += hotKeyText;
    tip += u"\r\n";
    tip += title.substr(0, kTipTitleLength);
    return tip;
}

std::u16string HotKeyTipText(std::u16string_view hotKeyText, bool taken)
{
    std::u16string text(hotKeyText);
    if (taken && !text.empty())
        text += u"（他のプログラムが使用中）";
    return text;
}

std::u16string AbsentTip(std::u16string_view hotKeyText, std::u16string_view commandLine,
                         bool restartsStopped)
{
    std::u16string tip =
        restartsStopped ? u"起動していません（自動再起動を停止しました）\r\n" : u"起動していません\r\n";
    tip += hotKeyText;
    tip += u"\r\n";
    tip += commandLine;
    return tip;
}

std::u16string WheelKeyCaption(std::u16string_view label, std::u16string_view keyText)
{
    std::u16string caption(label);
    caption += u" [";
    caption += keyText;
    caption += u"]";
    return caption;
}

namespace
{

// The flag behind each option item, in one table for its mark (const) and its command.
template <typename Options> auto *OptionFlag(unsigned id, Options &options) noexcept
{
    using Flag = decltype(&options.Caption);
    switch (id)
    {
    case kPPCaption:
        return &options.Caption;
    case kPPMostTop:
        return &options.MostTop;
    case kPPNonTaskBar:
        return &options.NonTaskBar;
    case kPPWheelKeyEnabled1:
        return &options.WheelButton1;
    case kPPWheelKeyEnabled2:
        return &options.WheelButton2;
    case kPPMinimize:
        return &options.Minimize;
    case kPPLive:
        return &options.Live;
    case kPPClickClick:
        return &options.Click;
    case kPPPosSize:
        return &options.PositionSize;
    case kPPWExec:
        return &options.WExecute;
    default:
        return static_cast<Flag>(nullptr);
    }
}

} // namespace

MenuItemState MenuItemStateOf(unsigned id, const MenuInputs &in)
{
    if (const bool *flag = OptionFlag(id, in.options))
        return {*flag, true};
    if (id >= kPPDisplay0 && id <= kPPDisplay2)
        return {static_cast<int>(id - kPPDisplay0) == in.options.Display, true};
    if (id >= kPPAutoRestart0 && id <= kPPAutoRestart2)
        return {static_cast<int>(id - kPPAutoRestart0) == in.options.AutoRestart, true};
    if (id >= kPPPriority0 && id <= kPPPriority4)
        return {static_cast<int>(id - kPPPriority0) == in.priorityTag.value_or(0), true};
    if (id >= kPPTrans10 && id <= kPPTrans100)
        return {in.transTag && static_cast<int>(id - kPPTrans10 + 1) == *in.transTag, true};
    switch (id)
    {
    case kPPPriority:
    case kPPExit:
    case kPPReStart:
    case kPPTERMINATE:
        return {false, in.targetRunning};
    case kPPTrans:
        return {false, in.targetRunning && in.translucencyAvailable};
    case kPPMAX:
        return {in.captionless && in.targetRunning, in.targetRunning && in.targetSizable};
    case kPPKV2File:
        return {false, in.taskFileGiven};
    case kPPModify:
        return {false, !in.starting};
    case kPPMouseHookReset:
        return {false, WheelFeatureActive(in.options)};
    default:
        return {};
    }
}

bool ToggleOption(unsigned id, TrayOptions &options)
{
    bool *flag = OptionFlag(id, options);
    if (flag == nullptr)
        return false;
    *flag = !*flag;
    return true;
}

bool WheelFeatureActive(const TrayOptions &options) noexcept
{
    return (options.WheelButton1 && !options.WheelKey1.empty()) ||
           (options.WheelButton2 && !options.WheelKey2.empty());
}

} // namespace controller
