// The replace step against the outcomes Windows produces, which Wine does not: files held by
// another program, ReplaceFileW's partial failures and read-only files.
#include "common/FileReplace.h"
#include "common/FileSecurity.h"
#include "common/Text.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <string>

using common::ReplaceResult;
using common::ReplaceWithTemporary;
namespace file_error = common::file_error;

namespace
{

// Files by name with their content; each operation behaves as its Win32 counterpart documents.
class FakeFiles : public common::FileOperations
{
  public:
    std::map<std::u16string, std::string> files;
    std::map<std::u16string, bool> readOnly;
    int heldFor = 0; // this many Replace calls find the target held
    std::uint32_t heldError = file_error::kSharingViolation;
    std::deque<std::uint32_t> replaceErrors; // forced outcomes of the next Replace calls
    std::deque<std::uint32_t> moveErrors;    // forced outcomes of the next Move calls
    int replaces = 0;
    int moves = 0;
    int pauses = 0;

    std::uint32_t Replace(const std::u16string &replaced, const std::u16string &replacement,
                          const std::u16string &backup) override
    {
        ++replaces;
        if (!files.contains(replaced) || !files.contains(replacement))
            return file_error::kFileNotFound;
        if (heldFor > 0)
        {
            --heldFor;
            return heldError;
        }
        if (readOnly[replaced])
            return file_error::kAccessDenied;
        if (!replaceErrors.empty())
        {
            const std::uint32_t error = replaceErrors.front();
            replaceErrors.pop_front();
            if (error == file_error::kUnableToMoveReplacement2)
                Rename(replaced, backup); // the old file under the backup name, the new one under its own
            return error;
        }
        Rename(replaced, backup);
        Rename(replacement, replaced);
        return file_error::kNone;
    }

    std::uint32_t Move(const std::u16string &from, const std::u16string &to) override
    {
        ++moves;
        if (!moveErrors.empty())
        {
            const std::uint32_t error = moveErrors.front();
            moveErrors.pop_front();
            if (error != file_error::kNone)
                return error;
        }
        if (!files.contains(from))
            return file_error::kFileNotFound;
        if (files.contains(to))
            return file_error::kAlreadyExists;
        Rename(from, to);
        return file_error::kNone;
    }

    std::uint32_t Delete(const std::u16string &path) override
    {
        return files.erase(path) == 1 ? file_error::kNone : file_error::kFileNotFound;
    }

    void Pause(std::chrono::milliseconds) override
    {
        ++pauses;
    }

    std::optional<std::string> Content(const std::u16string &path) const
    {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional(found->second);
    }

  private:
    void Rename(const std::u16string &from, const std::u16string &to)
    {
        files[to] = files[from];
        files.erase(from);
    }
};

const std::u16string kTarget = u"C:\\data\\exe.ini";
const std::u16string kTemporary = u"C:\\data\\exe.ini.~1-1.tmp";
const std::u16string kBackup = u"C:\\data\\exe.ini.~1-1.bak";

FakeFiles WithOldAndNew()
{
    FakeFiles fake;
    fake.files[kTarget] = "old";
    fake.files[kTemporary] = "new";
    return fake;
}

} // namespace

TEST(ReplaceWithTemporary, ReplacesAnExistingFileAndRenamesANewOne)
{
    FakeFiles existing = WithOldAndNew();
    EXPECT_EQ(ReplaceWithTemporary(existing, kTarget, kTemporary, kBackup).outcome,
              ReplaceResult::Outcome::Replaced);
    EXPECT_EQ(existing.files, (std::map<std::u16string, std::string>{{kTarget, "new"}}))
        << "no backup, no temporary";
    EXPECT_EQ(existing.moves, 0) << "an existing file keeps its security by being replaced, not renamed over";

    FakeFiles fresh;
    fresh.files[kTemporary] = "new";
    EXPECT_EQ(ReplaceWithTemporary(fresh, kTarget, kTemporary, kBackup).outcome,
              ReplaceResult::Outcome::Replaced);
    EXPECT_EQ(fresh.files, (std::map<std::u16string, std::string>{{kTarget, "new"}}));
}

TEST(ReplaceWithTemporary, HeldFileIsRetriedThenReportedHeldAndLeftAlone)
{
    struct Case
    {
        const char *name;
        std::uint32_t error;
        int heldFor;
        ReplaceResult::Outcome outcome;
        const char *content;
    } cases[] = {
        {"sharing violation, freed in time", file_error::kSharingViolation, common::kReplaceAttempts - 1,
         ReplaceResult::Outcome::Replaced, "new"},
        {"sharing violation throughout", file_error::kSharingViolation, 100, ReplaceResult::Outcome::Held,
         "old"},
        {"lock violation throughout", file_error::kLockViolation, 100, ReplaceResult::Outcome::Held, "old"},
        {"replaced file cannot be removed", file_error::kUnableToRemoveReplaced, 100,
         ReplaceResult::Outcome::Held, "old"},
    };
    for (const Case &c : cases)
    {
        FakeFiles fake = WithOldAndNew();
        fake.heldFor = c.heldFor;
        fake.heldError = c.error;
        EXPECT_EQ(ReplaceWithTemporary(fake, kTarget, kTemporary, kBackup).outcome, c.outcome) << c.name;
        EXPECT_EQ(fake.files, (std::map<std::u16string, std::string>{{kTarget, c.content}})) << c.name;
        EXPECT_LE(fake.replaces, common::kReplaceAttempts) << c.name;
        EXPECT_EQ(fake.pauses, fake.replaces - 1) << c.name;
        EXPECT_EQ(fake.moves, 0) << c.name << ": a held file is never renamed over";
    }
}

TEST(ReplaceWithTemporary, PartialReplaceFailuresNeverLoseTheOldFile)
{
    struct Case
    {
        const char *name;
        std::uint32_t replaceError;
        std::uint32_t moveBackError;
        std::map<std::u16string, std::string> left;
        bool backupKept;
    } cases[] = {
        {"replacement not renamed",
         file_error::kUnableToMoveReplacement,
         file_error::kNone,
         {{kTarget, "old"}},
         false},
        {"replacement not moved: old file put back",
         file_error::kUnableToMoveReplacement2,
         file_error::kNone,
         {{kTarget, "old"}},
         false},
        {"replacement not moved, nor the old file back",
         file_error::kUnableToMoveReplacement2,
         file_error::kAccessDenied,
         {{kBackup, "old"}},
         true},
        {"other error", 87, file_error::kNone, {{kTarget, "old"}}, false},
    };
    for (const Case &c : cases)
    {
        FakeFiles fake = WithOldAndNew();
        fake.replaceErrors = {c.replaceError};
        fake.moveErrors = {c.moveBackError};
        const ReplaceResult result = ReplaceWithTemporary(fake, kTarget, kTemporary, kBackup);
        EXPECT_EQ(result.outcome, ReplaceResult::Outcome::Failed) << c.name;
        EXPECT_EQ(result.error, c.replaceError) << c.name;
        EXPECT_EQ(result.backupKept, c.backupKept) << c.name;
        EXPECT_EQ(fake.files, c.left) << c.name;
    }
}

TEST(ReplaceWithTemporary, ReadOnlyFileIsRefusedAndNeverRenamedOver)
{
    FakeFiles fake = WithOldAndNew();
    fake.readOnly[kTarget] = true;
    const ReplaceResult result = ReplaceWithTemporary(fake, kTarget, kTemporary, kBackup);
    EXPECT_EQ(result.outcome, ReplaceResult::Outcome::Failed);
    EXPECT_EQ(result.error, file_error::kAccessDenied);
    EXPECT_EQ(fake.moves, 0);
    EXPECT_EQ(fake.files, (std::map<std::u16string, std::string>{{kTarget, "old"}}));
}

TEST(ReplaceWithTemporary, NewFileIsRenamedAndARefusedRenameRemovesTheTemporary)
{
    FakeFiles fake;
    fake.files[kTemporary] = "new";
    // Missing when replaced, there when renamed to (another program created it in between): the
    // sequence starts again rather than give up or rename over it.
    fake.moveErrors = {file_error::kAlreadyExists};
    const ReplaceResult result = ReplaceWithTemporary(fake, kTarget, kTemporary, kBackup);
    EXPECT_EQ(fake.moves, 2);
    EXPECT_EQ(result.outcome, ReplaceResult::Outcome::Replaced);
    EXPECT_EQ(fake.Content(kTarget), "new");

    FakeFiles failing;
    failing.files[kTemporary] = "new";
    failing.moveErrors = {file_error::kAccessDenied};
    const ReplaceResult refused = ReplaceWithTemporary(failing, kTarget, kTemporary, kBackup);
    EXPECT_EQ(refused.outcome, ReplaceResult::Outcome::Failed);
    EXPECT_STREQ(refused.operation, "MoveFileExW");
    EXPECT_TRUE(failing.files.empty()) << "the temporary file is removed";
}

TEST(SaveLeftover, IsKnownByTheSavedFilesNameAndTheSavingProcess)
{
    struct Case
    {
        std::u16string_view name;
        std::optional<std::uint32_t> processId;
        bool backup = false;
    };
    const Case cases[] = {
        {u"exe.ini.~1234-5.tmp", 1234, false},
        {u"EXE.INI.~7-12.BAK", 7, true},
        {u"exe.ini.~4294967295-1.bak", 4294967295u, true},
        {u"exe.ini.~4294967296-1.bak", std::nullopt},
        {u"exe.ini.~12.bak", std::nullopt},
        {u"exe.ini.~-1.bak", std::nullopt},
        {u"exe.ini.~1-.bak", std::nullopt},
        {u"exe.ini.~1-2.old", std::nullopt},
        {u"exe.ini.~1x-2.tmp", std::nullopt},
        {u"other.ini.~1-2.tmp", std::nullopt},
        {u"exe.ini.bak", std::nullopt},
        {u"exe.ini", std::nullopt},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(common::Utf16ToUtf8(c.name));
        const auto leftover = common::ParseSaveLeftover(c.name, u"exe.ini");
        ASSERT_EQ(leftover.has_value(), c.processId.has_value());
        if (leftover)
        {
            EXPECT_EQ(leftover->processId, *c.processId);
            EXPECT_EQ(leftover->backup, c.backup);
        }
    }
}

TEST(FileSecurity, OnlyAnAdministratorsOwnerAndAHighLabelAgainstWritingUpSayElevated)
{
    const std::u16string user = u"S-1-5-21-1-2-3-1001";
    struct Case
    {
        const char *name;
        common::FileSecurity security;
        bool elevatedOnly;
    };
    const Case cases[] = {
        {"as the elevated programs make it", {common::kAdministratorsSid, 0x3000, 1}, true},
        {"owned by the elevated user", {user, 0x3000, 1}, true},
        {"a system label", {common::kAdministratorsSid, 0x4000, 3}, true},
        {"a medium label", {common::kAdministratorsSid, 0x2000, 1}, false},
        {"no label", {common::kAdministratorsSid, 0, 0}, false},
        {"high, but lower levels may write", {common::kAdministratorsSid, 0x3000, 2}, false},
        {"another owner", {u"S-1-5-21-1-2-3-1002", 0x3000, 1}, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(common::WrittenOnlyByElevated(c.security, user), c.elevatedOnly) << c.name;
    EXPECT_FALSE(common::WrittenOnlyByElevated({u"", 0x3000, 1}, u"")) << "no owner read";
}
