// Start-up cost of reading a task definition: decoding, INI parsing, the task-file keys and the
// command line. These run once per start, so they must stay far below the time a process start takes.
#include "common/IniDocument.h"
#include "common/Text.h"
#include "common/TextEncoding.h"
#include "startup/CommandLine.h"
#include "startup/TaskFile.h"

#include <benchmark/benchmark.h>

namespace
{

class AllExist : public startup::FileProbe
{
  public:
    explicit AllExist(std::string content) : m_content(std::move(content))
    {
    }
    bool FileExists(std::u16string_view) const override
    {
        return true;
    }
    bool DirectoryExists(std::u16string_view) const override
    {
        return true;
    }
    std::u16string FullPath(std::u16string_view path) const override
    {
        return std::u16string(path);
    }
    std::optional<std::string> ReadFile(std::u16string_view, size_t limit) const override
    {
        if (m_content.size() > limit)
            return std::nullopt;
        return m_content;
    }
    std::optional<startup::ShellLinkTarget> ReadShellLink(std::u16string_view) const override
    {
        return std::nullopt;
    }

  private:
    std::string m_content;
};

class Latin1 : public common::AnsiCodePage
{
  public:
    std::u16string Decode(std::string_view bytes) const override
    {
        return std::u16string(bytes.begin(), bytes.end());
    }
};

// A task file as KV2 writes it: the five task sections and a full option section.
std::string TypicalTaskFile()
{
    const std::u16string text =
        u"[Program]\r\nName=C:\\Program Files\\Editor\\editor.exe\r\nOption=/n\r\nDirectory=\r\n\r\n"
        u"[Window]\r\nStyle=def\r\nPriority=NORMAL\r\n\r\n[Icon]\r\nFile=\r\nNumber=0\r\n\r\n"
        u"[HotKey]\r\nShow=Shift+Ctrl+E\r\n\r\n[Execute]\r\nYesNo=\r\n\r\n"
        u"[Tray Option]\r\nMinimize=1\r\nLive=1\r\nClick=1\r\nPositionSize=1\r\nX=100\r\nY=80\r\n"
        u"W=800\r\nH=600\r\nCaption=0\r\nEdit=\r\nTransValue=100\r\nWExecute=0\r\nNonTaskBar=0\r\n"
        u"MostTop=0\r\nWheelKey1=\r\nWheelButton1=0\r\nWheelKey2=\r\nWheelButton2=0\r\nDisplay=0\r\n"
        u"IconPanel_Left=0\r\nIconPanel_Top=0\r\nIconPanel_Size=4\r\nIconPanel_MostTop=0\r\n"
        u"IconPanel_Hint=1\r\nIconPanel_Trans=1\r\n\r\n";
    return common::EncodeText(text, common::TextEncoding::Utf16Le);
}

void ReadTypicalTaskFile(benchmark::State &state)
{
    const AllExist probe(TypicalTaskFile());
    const Latin1 ansi;
    for (auto _ : state)
    {
        startup::TaskDefinition task;
        startup::ReadTaskFile(u"C:\\Tasks\\editor.KV2", probe, ansi, task);
        benchmark::DoNotOptimize(task);
    }
}
BENCHMARK(ReadTypicalTaskFile);

void ParseAndSerializeLargeIni(benchmark::State &state)
{
    std::u16string text;
    for (int section = 0; section < 200; ++section)
    {
        text += u"[c:\\programs\\tool" + common::Utf8ToUtf16(std::to_string(section)) + u".exe]\r\n";
        for (int key = 0; key < 25; ++key)
            text += u"Key" + common::Utf8ToUtf16(std::to_string(key)) + u"=value\r\n";
    }
    for (auto _ : state)
    {
        common::IniDocument document = common::IniDocument::Parse(text);
        document.Set(u"c:\\programs\\tool199.exe", u"Key24", u"changed");
        benchmark::DoNotOptimize(document.Serialize());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(ParseAndSerializeLargeIni);

void ApplyOptions(benchmark::State &state)
{
    const AllExist probe("");
    const Latin1 ansi;
    const std::u16string commandLine = u"\"C:\\Program Files\\KV2\\KV2.exe\" /e:\"C:\\Program "
                                       u"Files\\Editor\\editor.exe\" /o:\"--flag value\" "
                                       u"/w:max /p:HIGH /d:C:\\work /i:C:\\icons\\a.ico /n:3 /x:No";
    for (auto _ : state)
    {
        startup::TaskDefinition task;
        startup::ApplyCommandLine(startup::SplitCommandLine(commandLine), probe, ansi, task);
        benchmark::DoNotOptimize(task);
    }
}
BENCHMARK(ApplyOptions);

} // namespace
