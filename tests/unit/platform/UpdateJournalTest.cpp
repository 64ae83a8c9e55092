#include "platform/UpdateJournal.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/ConfinedFolder.h"
#include "platform/FolderHandle.h"
#include "tests/unit/platform/JournalFixture.h"

namespace {

using platform::Result;
using platform::UpdateJournal;
using testing_tools::ReadFolderState;
using testing_tools::TemporaryLeftovers;
using namespace writer_testing;

using Journal = JournalTest;

TEST_F(Journal, RollbackBringsBackContentsModesAndTimesAndLeavesNothing) {
  const std::string top = Identity(app_ + "/top.txt");
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  EXPECT_EQ(ReadFolderState(app_)["top.txt"], "top 1");
  EXPECT_EQ(ModeOf(app_ + "/bin/tool"), Kept(0755));
  EXPECT_EQ(ModeOf(app_ + "/new.txt"), Kept(0444));
  EXPECT_EQ(ModeOf(app_ + "/version.ini"), Kept(0600));
  // The original waits beside its file: renamed, not copied.
  const auto backups = Named(app_, ".updater-orig.");
  ASSERT_EQ(backups.size(), Originals());
  bool originalKept = false;
  for (const std::string& name : backups) originalKept |= Identity(app_ + "/" + name) == top;
  EXPECT_TRUE(originalKept);

  ASSERT_TRUE(journal->Rollback());
  ExpectOldTree();
  EXPECT_EQ(Identity(app_ + "/top.txt"), top);
}

TEST_F(Journal, LaterPassesKeepTheFirstOriginal) {
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  ASSERT_TRUE(Pass(*journal, app_ + "/", "2"));  // another writer on the same folder
  EXPECT_EQ(WithoutJournal(ReadFolderState(app_)), NewTree("2"));
  EXPECT_EQ(Named(app_, ".updater-orig.").size(), Originals());
  ASSERT_TRUE(journal->Rollback());
  ExpectOldTree();
}

TEST_F(Journal, CommitKeepsExactlyTheNewTree) {
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  ASSERT_TRUE(journal->Commit());
  EXPECT_EQ(ReadFolderState(app_), NewTree("1"));
  EXPECT_TRUE(TemporaryLeftovers(dir_.path()).empty());
  EXPECT_EQ(ModeOf(app_ + "/top.txt"), Kept(0600));
  EXPECT_EQ(ModeOf(app_ + "/new.txt"), Kept(0444));
  // A journal that has ended takes no more changes, and keeps them.
  Result result;
  auto folder = journal->OpenFolder(app_, &result);
  EXPECT_FALSE(folder);
  journal.reset();
  EXPECT_EQ(ReadFolderState(app_), NewTree("1"));
}

TEST_F(Journal, AWriterOfAnEndedJournalRefusesChanges) {
  auto journal = Begin(app_);
  Result result;
  auto folder = journal->OpenFolder(app_, &result);
  ASSERT_TRUE(folder) << result.text();
  auto pending = folder->CreateFile({"top.txt"}, &result);
  ASSERT_TRUE(pending) << result.text();
  ASSERT_TRUE(journal->Rollback());
  EXPECT_FALSE(pending->Commit(0644, std::nullopt));
  EXPECT_FALSE(folder->CreateFile({"new.txt"}, &result));
  EXPECT_FALSE(folder->CreateFolders({"new"}));
  pending.reset();
  folder.reset();
  ExpectOldTree();
}

TEST_F(Journal, FoldersTheRunMadeGoWithWhateverIsInThemWithoutFollowingLinks) {
  Write(dir_ / "outside/precious", "not the update's");
  everywhere_ = ReadFolderState(dir_.path());
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  Write(app_ + "/new/a/later.txt", "put there meanwhile");
  // Where the system here can make one (Wine 8 cannot).
  MakeLink(app_ + "/new/a/out", dir_ / "outside", true);
  ASSERT_TRUE(journal->Rollback());
  ExpectOldTree();
}

TEST_F(Journal, AKilledRunIsRolledBackByTheNextStartFromAnotherFolder) {
  auto child = InChild({"half", app_});
  ASSERT_TRUE(child);
  EXPECT_EQ(ReadFolderState(app_)["top.txt"], "top 1");
  child.reset();
  OnlyJournal();

  platform::RecoverInterruptedUpdates(app_ + "/");
  ExpectOldTree();
}

TEST_F(Journal, RecoveryCanBeRunAgainAfterItWasCutShort) {
  auto child = InChild({"journal", app_, app_, "1"});
  ASSERT_TRUE(child);
  child.reset();
  std::string journalText;
  const std::string journal = OnlyJournal(&journalText);

  platform::RecoverInterruptedUpdates(app_);
  ExpectOldTree();
  // As if that start had died just before deleting the journal.
  Write(journal, journalText);
  platform::RecoverInterruptedUpdates(app_);
  ExpectOldTree();
}

TEST_F(Journal, ALivingRunsJournalIsLeftAlone) {
  auto child = InChild({"journal", app_, app_, "1"});
  ASSERT_TRUE(child);
  platform::RecoverInterruptedUpdates(app_);
  EXPECT_FALSE(OnlyJournal().empty());
  EXPECT_EQ(ReadFolderState(app_)["top.txt"], "top 1");
  EXPECT_EQ(Named(app_, ".updater-orig.").size(), Originals());

  child.reset();
  platform::RecoverInterruptedUpdates(app_);
  ExpectOldTree();
}

TEST_F(Journal, ACommitCutShortIsFinishedNotRolledBack) {
  auto child = InChild({"journal", app_, app_, "1"});
  ASSERT_TRUE(child);
  child.reset();
  // The commit mark was written and one original already deleted.
  std::ofstream(Native(OnlyJournal()), std::ios::app | std::ios::binary) << "commit\n";
  const auto backups = Named(app_, ".updater-orig.");
  ASSERT_FALSE(backups.empty());
  SetMode(app_ + "/" + backups[0], 0644);  // Windows deletes no read-only file
  std::filesystem::remove(Native(app_ + "/" + backups[0]));

  platform::RecoverInterruptedUpdates(app_);
  EXPECT_EQ(ReadFolderState(app_), NewTree("1"));
  EXPECT_TRUE(TemporaryLeftovers(dir_.path()).empty());
}

// Once the commit mark is on the disk the update has landed: an original
// that cannot be deleted then stays with the journal, for the next start.
TEST_F(Journal, AnOriginalThatCannotBeDeletedAfterTheMarkIsLeftForTheNextStart) {
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  const auto backups = Named(app_, ".updater-orig.");
  ASSERT_FALSE(backups.empty());
  std::string why;
  bool possible = true;
  auto kept = Undeletable(app_ + "/" + backups[0], scratch_.path(), &why, &possible);
  if (!possible) GTEST_SKIP() << why;
  ASSERT_TRUE(kept) << why;
  EXPECT_TRUE(journal->Commit());
  EXPECT_EQ(WithoutJournal(ReadFolderState(app_)), NewTree("1"));
  EXPECT_FALSE(Named(app_, ".updater-journal.").empty());

  kept.reset();
  platform::RecoverInterruptedUpdates(app_);
  EXPECT_EQ(ReadFolderState(app_), NewTree("1"));
  EXPECT_TRUE(TemporaryLeftovers(dir_.path()).empty());
}

// Two transactions on one installation would undo each other's files: a
// second waits (its attempt fails) until the first has ended, and a start
// recovering meanwhile touches nothing of it.
TEST_F(Journal, ASecondUpdateOfTheInstallationWaitsForTheFirstToEnd) {
  auto first = Begin(app_);
  ASSERT_TRUE(first && Pass(*first, app_, "1"));
  Result result;
  EXPECT_FALSE(UpdateJournal::Begin(app_, &result));
  EXPECT_EQ(platform::ErrorOf(result), platform::FsError::kBusy) << result.text();
  platform::RecoverInterruptedUpdates(app_);
  EXPECT_EQ(WithoutJournal(ReadFolderState(app_)), NewTree("1"));

  ASSERT_TRUE(first->Commit());
  auto second = Begin(app_);
  ASSERT_TRUE(second && Pass(*second, app_, "2"));
  ASSERT_TRUE(second->Rollback());
  EXPECT_EQ(ReadFolderState(app_), NewTree("1"));
  EXPECT_TRUE(TemporaryLeftovers(dir_.path()).empty());
}

// The lock of the installation is the system's: a run that was killed holds
// it no more.
TEST_F(Journal, AKilledHolderOfTheInstallationLockHoldsItNoMore) {
  auto child = InChild({"lock", app_ + "/.updater-lock"});
  ASSERT_TRUE(child);
  Result result;
  EXPECT_FALSE(UpdateJournal::Begin(app_, &result));
  EXPECT_EQ(platform::ErrorOf(result), platform::FsError::kBusy) << result.text();
  child.reset();
  auto journal = Begin(app_);
  ASSERT_TRUE(journal && Pass(*journal, app_, "1"));
  ASSERT_TRUE(journal->Rollback());
  ExpectOldTree();
}

}  // namespace
