#include "WinTestSupport.h"

#include "common/win/FileSystem.h"
#include "controller/win/ErrorLog.h"
#include "procwin/win/AppExecute.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <thread>

using namespace wintest;
using controller::AppendErrorLog;

namespace
{

std::u16string Today()
{
    wchar_t text[128] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, 128);
    return U(text);
}

std::vector<std::string> Lines(const std::string &bytes)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = bytes.find("\r\n"); end != std::string::npos; end = bytes.find("\r\n", start))
    {
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    EXPECT_EQ(start, bytes.size()) << "the log ends with CR LF";
    return lines;
}

std::string Ansi(const std::u16string &text)
{
    char buffer[512] = {};
    const int length =
        WideCharToMultiByte(CP_ACP, 0, W(text), static_cast<int>(text.size()), buffer, 512, nullptr, nullptr);
    return std::string(buffer, static_cast<size_t>(length));
}

} // namespace

TEST(ErrorLog, AppendsOneStampedLinePerErrorBelowTheOldOnes)
{
    TempFolder temp;
    const std::u16string log = temp / u"Error.log";
    WriteBytes(log, "earlier line\r\n");
    const std::u16string dayBefore = Today(); // a run may cross midnight
    AppendErrorLog(log, u"C:\\x.exe を起動できません。");
    AppendErrorLog(log, u"second\r\nwith a break");

    const std::vector<std::string> lines = Lines(ReadBytes(log));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "earlier line");
    // "<short date> <long time> : <message>", in the ANSI code page and without a byte-order mark.
    const std::string date = lines[1].starts_with(Ansi(dayBefore) + " ") ? Ansi(dayBefore) : Ansi(Today());
    EXPECT_EQ(lines[1].substr(0, date.size() + 1), date + " ");
    const size_t separator = lines[1].find(" : ");
    ASSERT_NE(separator, std::string::npos);
    EXPECT_GT(separator, date.size() + 1) << "a time between date and message";
    EXPECT_EQ(lines[1].substr(separator + 3), Ansi(u"C:\\x.exe を起動できません。"));
    EXPECT_EQ(lines[2].substr(lines[2].find(" : ") + 3), "second  with a break");
}

TEST(ErrorLog, NeverRaisesAndDropsTheLineWhenTheLogCannotBeWritten)
{
    TempFolder temp;
    const std::u16string held = temp / u"held.log";
    WriteBytes(held, "kept\r\n");
    {
        // Held open by another program: the line is dropped, the file stays.
        common::win::UniqueFile file(
            CreateFileW(W(held), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        AppendErrorLog(held, u"lost");
    }
    EXPECT_EQ(ReadBytes(held), "kept\r\n");

    const std::u16string folder = temp / u"a folder";
    ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr));
    const std::u16string unusable[] = {temp / u"missing\\Error.log", folder, u""};
    for (const std::u16string &path : unusable)
        AppendErrorLog(path, u"nowhere to go");
    EXPECT_FALSE(common::win::FileExistsReady(temp / u"missing\\Error.log"));

    // Afterwards the current folder is the program's, as after every text file access.
    SetCurrentDirectoryW(W(temp.Path()));
    AppendErrorLog(temp / u"Error.log", u"x");
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(common::ToLower(U(current)), common::ToLower(BinFolder()));
}

TEST(ErrorLog, ConcurrentWritersLoseNoLineAndTearNone)
{
    TempFolder temp;
    const std::u16string log = temp / u"Error.log";
    constexpr int kWriters = 2;
    constexpr int kLines = 150;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < kLines; ++i)
                AppendErrorLog(
                    log, common::Utf8ToUtf16("writer " + std::to_string(w) + " line " + std::to_string(i)));
        });
    for (std::thread &writer : writers)
        writer.join();

    std::set<std::string> messages;
    for (const std::string &line : Lines(ReadBytes(log)))
    {
        const size_t separator = line.find(" : ");
        ASSERT_NE(separator, std::string::npos) << line;
        EXPECT_TRUE(messages.insert(line.substr(separator + 3)).second) << "twice: " << line;
    }
    EXPECT_EQ(messages.size(), static_cast<size_t>(kWriters * kLines));
}

TEST(ErrorLog, FullLogIsKeptAsThePreviousOneAndANewOneStarted)
{
    TempFolder temp;
    const std::u16string log = temp / u"Error.log";
    const std::u16string previous = temp / u"Error.old.log";
    const std::string full = std::string(controller::kErrorLogSizeLimit, 'x') + "\r\n";
    WriteBytes(log, full);
    WriteBytes(previous, "an older log\r\n");

    AppendErrorLog(log, u"after the cap");
    const std::vector<std::string> lines = Lines(ReadBytes(log));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(lines[0].find(" : ") + 3), "after the cap");
    EXPECT_TRUE(ReadBytes(previous) == full) << "the full log replaces the older previous one";
}

TEST(ErrorLog, MessagesOfEscapedErrors)
{
    const auto message = [](auto raise) {
        try
        {
            raise();
        }
        catch (...)
        {
            return controller::ErrorMessage(std::current_exception());
        }
        return std::u16string(u"<nothing raised>");
    };
    EXPECT_EQ(message([] { throw procwin::LaunchError(u"C:\\ターゲット.exe を起動できません。"); }),
              u"C:\\ターゲット.exe を起動できません。");
    EXPECT_EQ(message([] { throw std::runtime_error("ünïcode"); }), u"ünïcode");
    EXPECT_EQ(message([] { throw 42; }), u"");
}
