#include "startup/ProcessState.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct FixedPathsCase
{
    const char *name;
    std::u16string dataFolder;
    std::u16string errorLogName;
    std::u16string settings;
    std::u16string errorLog;
    std::u16string optionFile;
};

// The process-wide values are shared by every test of this program: put back what was there.
class FixedPathsTest : public testing::Test
{
  protected:
    void TearDown() override
    {
        startup::Paths() = m_paths;
        startup::SetTask(m_task);
    }

  private:
    startup::FixedPaths m_paths = startup::Paths();
    startup::TaskDefinition m_task = startup::Task();
};

TEST_F(FixedPathsTest, FilesLieInTheDataFolderAndOnlyANamedErrorLogIsKept)
{
    const FixedPathsCase cases[] = {
        {"normal build", u"C:\\Users\\a\\AppData\\Roaming\\Orvane\\KV2\\", u"Error.log",
         u"C:\\Users\\a\\AppData\\Roaming\\Orvane\\KV2\\KV2.ini",
         u"C:\\Users\\a\\AppData\\Roaming\\Orvane\\KV2\\Error.log",
         u"C:\\Users\\a\\AppData\\Roaming\\Orvane\\KV2\\exe.ini"},
        {"elevated build: no error log", u"C:\\Users\\a\\AppData\\Roaming\\Orvane\\KV2\\", u"",
         u"C:\\Users\\a\\AppData\\Roaming\\Orvane\\KV2\\KV2.ini", u"",
         u"C:\\Users\\a\\AppData\\Roaming\\Orvane\\KV2\\exe.ini"},
        {"Japanese folder", u"D:\\データ\\KV2\\", u"Error.log", u"D:\\データ\\KV2\\KV2.ini",
         u"D:\\データ\\KV2\\Error.log", u"D:\\データ\\KV2\\exe.ini"},
    };
    for (const FixedPathsCase &c : cases)
    {
        // Leftovers of an earlier call must not survive.
        startup::Paths().ErrorLogPath = u"stale";
        startup::TaskDefinition stale;
        stale.TaskFilePath = u"stale";
        startup::SetTask(stale);
        startup::SetFixedPaths(c.dataFolder, c.errorLogName);
        EXPECT_EQ(startup::Paths().DataFolder, c.dataFolder) << c.name;
        EXPECT_EQ(startup::Paths().SettingsFilePath, c.settings) << c.name;
        EXPECT_EQ(startup::Paths().ErrorLogPath, c.errorLog) << c.name;
        EXPECT_EQ(startup::Task().TaskFilePath, c.optionFile) << c.name;
    }
}

} // namespace
