#include "controller/Options.h"

#include "common/Text.h"

#include <utility>
#include <vector>

namespace controller
{

using common::IniDocument;

OptionLocation OptionLocationFor(const startup::TaskDefinition &task)
{
    if (task.TaskFileGiven)
        return {task.TaskFilePath, kTaskOptionSection};
    return {task.TaskFilePath, common::ToLower(task.ProgramPath)};
}

std::optional<std::int32_t> ReadIntValue(std::u16string_view text) noexcept
{
    if (text.size() >= 3 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
    {
        const std::u16string_view digits = text.substr(2);
        if (digits.size() > 8)
            return std::nullopt;
        std::uint32_t value = 0;
        for (char16_t c : digits)
        {
            unsigned digit = 0;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            else
                return std::nullopt;
            value = value << 4 | digit;
        }
        return static_cast<std::int32_t>(value);
    }
    return common::ParseInt32(text);
}

namespace
{

// Reading and writing one key; the value in `options` is the default and the result.
class OptionReader
{
  public:
    OptionReader(const IniDocument &file, std::u16string_view section) : m_file(file), m_section(section)
    {
    }
    void Read(std::u16string_view key, std::int32_t &value) const
    {
        if (const std::u16string *text = m_file.Find(m_section, key))
            value = ReadIntValue(*text).value_or(value);
    }
    void Read(std::u16string_view key, bool &value) const
    {
        if (const std::u16string *text = m_file.Find(m_section, key))
            if (const auto number = ReadIntValue(*text))
                value = *number != 0;
    }
    void Read(std::u16string_view key, std::u16string &value) const
    {
        if (const std::u16string *text = m_file.Find(m_section, key))
            value = *text;
    }

  private:
    const IniDocument &m_file;
    std::u16string_view m_section;
};

// A value as it is written.
std::u16string ValueText(std::int32_t value)
{
    return common::DecimalText(value);
}
std::u16string ValueText(bool value)
{
    return value ? u"1" : u"0";
}
std::u16string ValueText(const std::u16string &value)
{
    return value;
}

class OptionWriter
{
  public:
    OptionWriter(IniDocument &file, std::u16string_view section) : m_file(file), m_section(section)
    {
    }
    template <typename Value> void Write(std::u16string_view key, const Value &value)
    {
        m_file.Set(m_section, key, ValueText(value));
    }

  private:
    IniDocument &m_file;
    std::u16string_view m_section;
};

// The keys in the order in which they are written. One list serves reading and writing, so that the
// two can never disagree about a key's name or type.
template <typename Visitor, typename Options> void VisitControllerKeys(Visitor &&visit, Options &o)
{
    visit(u"Minimize", o.Minimize);
    visit(u"Live", o.Live);
    visit(u"Click", o.Click);
    visit(u"PositionSize", o.PositionSize);
    visit(u"X", o.X);
    visit(u"Y", o.Y);
    visit(u"W", o.W);
    visit(u"H", o.H);
    visit(u"Caption", o.Caption);
    visit(u"Edit", o.Edit);
    visit(u"TransValue", o.TransValue);
    visit(u"WExecute", o.WExecute);
    visit(u"NonTaskBar", o.NonTaskBar);
    visit(u"MostTop", o.MostTop);
    visit(u"WheelKey1", o.WheelKey1);
    visit(u"WheelButton1", o.WheelButton1);
    visit(u"WheelKey2", o.WheelKey2);
    visit(u"WheelButton2", o.WheelButton2);
    visit(u"Display", o.Display);
    visit(u"AutoRestart", o.AutoRestart);
    visit(u"Monitors", o.Monitors);
}

template <typename Visitor, typename Options> void VisitPanelKeys(Visitor &&visit, Options &o)
{
    visit(u"IconPanel_Left", o.IconPanelLeft);
    visit(u"IconPanel_Top", o.IconPanelTop);
    visit(u"IconPanel_Size", o.IconPanelSize);
    visit(u"IconPanel_MostTop", o.IconPanelMostTop);
    visit(u"IconPanel_Hint", o.IconPanelHint);
    visit(u"IconPanel_Trans", o.IconPanelTrans);
}

constexpr std::int32_t kDisplayModes = 3;
constexpr std::int32_t kRestartModes = 3;
constexpr std::int32_t kPanelSizes = 7;

// Every key with its text, in the order of writing.
std::vector<std::pair<std::u16string_view, std::u16string>> KeyTexts(const TrayOptions &options,
                                                                     bool withPanel)
{
    std::vector<std::pair<std::u16string_view, std::u16string>> texts;
    const auto add = [&](std::u16string_view key, const auto &value) {
        texts.emplace_back(key, ValueText(value));
    };
    VisitControllerKeys(add, options);
    if (withPanel)
        VisitPanelKeys(add, options);
    return texts;
}

bool IsCoordinate(std::int32_t value)
{
    return value >= -kCoordinateLimit && value <= kCoordinateLimit;
}

bool IsExtent(std::int32_t value)
{
    return value >= 0 && value <= kCoordinateLimit;
}

} // namespace

void LoadControllerOptions(const IniDocument &file, std::u16string_view section, TrayOptions &options)
{
    const OptionReader reader(file, section);
    const std::int32_t place[] = {options.X, options.Y, options.W, options.H};
    VisitControllerKeys([&](std::u16string_view key, auto &value) { reader.Read(key, value); }, options);
    // The mode indexes a menu of three items; anything else falls back to the tray icon.
    if (options.Display < 0 || options.Display >= kDisplayModes)
        options.Display = 0;
    if (options.AutoRestart < 0 || options.AutoRestart >= kRestartModes)
        options.AutoRestart = 0;
    if (!IsCoordinate(options.X) || !IsCoordinate(options.Y) || !IsExtent(options.W) || !IsExtent(options.H))
    {
        options.X = place[0];
        options.Y = place[1];
        options.W = place[2];
        options.H = place[3];
    }
}

void LoadPanelOptions(const IniDocument &file, std::u16string_view section, TrayOptions &options)
{
    const OptionReader reader(file, section);
    const std::int32_t left = options.IconPanelLeft, top = options.IconPanelTop;
    VisitPanelKeys([&](std::u16string_view key, auto &value) { reader.Read(key, value); }, options);
    if (options.IconPanelSize < 0 || options.IconPanelSize >= kPanelSizes)
        options.IconPanelSize = kDefaultPanelSize;
    if (!IsCoordinate(options.IconPanelLeft) || !IsCoordinate(options.IconPanelTop))
    {
        options.IconPanelLeft = left;
        options.IconPanelTop = top;
    }
}

void SaveOptions(IniDocument &file, std::u16string_view section, const TrayOptions &options, bool withPanel,
                 const TrayOptions *assumed)
{
    const auto texts = KeyTexts(options, withPanel);
    const auto assumedTexts = assumed != nullptr ? KeyTexts(*assumed, withPanel) : decltype(texts)();
    for (size_t i = 0; i < texts.size(); ++i)
        if (assumed == nullptr || texts[i].second != assumedTexts[i].second)
            file.Set(section, texts[i].first, texts[i].second);
}

std::u16string ChangedOptionsText(const TrayOptions &before, const TrayOptions &after, bool withPanel)
{
    const auto was = KeyTexts(before, withPanel);
    const auto now = KeyTexts(after, withPanel);
    std::u16string text;
    for (size_t i = 0; i < now.size(); ++i)
        if (now[i].second != was[i].second)
            text += (text.empty() ? u"" : u", ") + std::u16string(now[i].first) + u"=" + now[i].second;
    return text;
}

void LoadPickerPlacement(const IniDocument &file, PickerPlacement &placement)
{
    const OptionReader reader(file, kPickerSection);
    reader.Read(u"Top", placement.Top);
    reader.Read(u"Left", placement.Left);
    reader.Read(u"Height", placement.Height);
    reader.Read(u"Width", placement.Width);
}

void SavePickerPlacement(IniDocument &file, const PickerPlacement &placement)
{
    OptionWriter writer(file, kPickerSection);
    writer.Write(u"Top", placement.Top);
    writer.Write(u"Left", placement.Left);
    writer.Write(u"Height", placement.Height);
    writer.Write(u"Width", placement.Width);
}

ui::PanelOptions PanelOptionsOf(const TrayOptions &options) noexcept
{
    return {.Left = options.IconPanelLeft,
            .Top = options.IconPanelTop,
            .Size = options.IconPanelSize,
            .MostTop = options.IconPanelMostTop,
            .Hint = options.IconPanelHint,
            .Trans = options.IconPanelTrans};
}

void SetPanelOptions(TrayOptions &options, const ui::PanelOptions &panel) noexcept
{
    options.IconPanelLeft = panel.Left;
    options.IconPanelTop = panel.Top;
    options.IconPanelSize = panel.Size;
    options.IconPanelMostTop = panel.MostTop;
    options.IconPanelHint = panel.Hint;
    options.IconPanelTrans = panel.Trans;
}

} // namespace controller
