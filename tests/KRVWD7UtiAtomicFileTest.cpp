// The toolbox's atomic file: the target changes only on Commit, and no
// path leaves the temporary file behind.
#include "KRVWD7UtiAtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "PSNFileTestSupport.h"

namespace {

using krvwd7_test::ReadFile;
using krvwd7_test::TempFolder;
using krvwd7_test::WriteFile;

mode_t ModeOf(const std::string& iPath) {
  struct stat status;
  return stat(iPath.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
}

TEST(KRVWD7UtiAtomicFileTest, TargetChangesOnlyOnCommitAndKeepsItsMode) {
  TempFolder folder;
  const std::string target = folder / "a.psn";
  WriteFile(target, "old");
  chmod(target.c_str(), 0640);
  KRVWD7UtiAtomicFile file;
  ASSERT_EQ(file.Create(target), S_OK);
  ASSERT_EQ(file.Write("new "), S_OK);
  ASSERT_EQ(file.Write(std::string("con\0tent", 8)), S_OK);
  EXPECT_EQ(ReadFile(target), "old");
  // The temporary file, if it has a name yet, is the only other file.
  EXPECT_LE(folder.Files().size(), 2u);
  EXPECT_EQ(file.TemporaryName().rfind(folder / ".a.psn.", 0), 0u);
  ASSERT_EQ(file.Commit(), S_OK);
  EXPECT_EQ(ReadFile(target), std::string("new con\0tent", 12));
  EXPECT_EQ(ModeOf(target), 0640u);
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"a.psn"});
  EXPECT_EQ(file.Write("late"), E_FAIL);  // after the commit
}

TEST(KRVWD7UtiAtomicFileTest, EveryFailureRemovesTheTemporaryFile) {
  TempFolder folder;
  const std::string target = folder / "a.psn";
  WriteFile(target, "old");
  {
    KRVWD7UtiAtomicFile file;  // discarded by the destructor
    ASSERT_EQ(file.Create(target), S_OK);
    file.Write("x");
  }
  {
    KRVWD7UtiAtomicFile file;
    ASSERT_EQ(file.Create(target), S_OK);
    file.Discard();
    EXPECT_EQ(file.Commit(), E_FAIL);
  }
  const KRVWD7UtiAtomicFile::Step steps[] = {KRVWD7UtiAtomicFile::kCreate,
                                             KRVWD7UtiAtomicFile::kWrite,
                                             KRVWD7UtiAtomicFile::kClose,
                                             KRVWD7UtiAtomicFile::kRename};
  for (KRVWD7UtiAtomicFile::Step step : steps) {
    SCOPED_TRACE(step);
    KRVWD7UtiAtomicFile::FailStepForTesting(step);
    KRVWD7UtiAtomicFile file;
    const bool done = file.Create(target) == S_OK && file.Write("new") == S_OK &&
                      file.Commit() == S_OK;
    KRVWD7UtiAtomicFile::FailStepForTesting(KRVWD7UtiAtomicFile::kNoStep);
    EXPECT_FALSE(done);
    EXPECT_EQ(file.ErrorStep(), step);
    EXPECT_NE(file.ErrorText().find("Input/output error"), std::string::npos) << file.ErrorText();
    EXPECT_EQ(file.TemporaryName(), "");
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"a.psn"});
  }
  // Real failures: a folder as target, a folder that does not exist.
  KRVWD7UtiAtomicFile directory;
  EXPECT_EQ(directory.Create(folder.Path()), E_FAIL);
  EXPECT_NE(directory.ErrorText().find("Is a directory"), std::string::npos);
  KRVWD7UtiAtomicFile nowhere;
  EXPECT_EQ(nowhere.Create(folder / "no/such.psn"), E_FAIL);
  EXPECT_EQ(nowhere.ErrorStep(), KRVWD7UtiAtomicFile::kCreate);
}

}  // namespace
