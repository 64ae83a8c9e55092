#include "platform/UpdateJournal.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/ConfinedFolder.h"
#include "tests/tools/ScopedUmask.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"

namespace {

namespace fs = std::filesystem;
using platform::ConfinedFolder;
using platform::Result;
using platform::UpdateJournal;
using testing_tools::FolderDetail;
using testing_tools::FolderState;
using testing_tools::ReadFolderState;
using testing_tools::TempDir;
using testing_tools::TemporaryLeftovers;

void Write(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

void SetTimes(const std::string& path, time_t seconds) {
  const timespec times[2] = {{seconds, 0}, {seconds, 123}};
  utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

ino_t Inode(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return st.st_ino;
}

mode_t Mode(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

// Names in `folder` that start with `prefix`.
std::vector<std::string> Named(const std::string& folder, const std::string& prefix) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind(prefix, 0) == 0) names.push_back(name);
  }
  return names;
}

std::unique_ptr<UpdateJournal> Begin(const std::string& folder) {
  Result result;
  auto journal = UpdateJournal::Begin(folder, &result);
  EXPECT_TRUE(journal) << result.text();
  return journal;
}

// `state` without the journal and the originals it keeps.
FolderState WithoutJournal(FolderState state) {
  std::erase_if(state, [](const auto& entry) {
    return fs::path(entry.first).filename().string().rfind(".updater-", 0) == 0;
  });
  return state;
}

// One file through the writer; false (and why on stderr) when it failed.
bool Put(ConfinedFolder& folder, const std::vector<std::string>& path, const std::string& content,
         std::optional<uint32_t> mode) {
  Result result;
  auto file = folder.CreateFile(path, &result);
  if (file) result = file->Write(content.data(), content.size());
  if (result) result = file->Commit(mode, platform::FileTime{1'500'000'000, 5});
  if (!result) fprintf(stderr, "%s\n", result.text().c_str());
  return result.ok();
}

// An installation, changed by passes of an update labelled by `label`: files
// replaced (a link among them), made in old and new folders, an empty folder
// made, the version record written keeping its bits.
class Journal : public testing::Test {
 protected:
  void SetUp() override {
    Write(app_ + "/Updater.exe", "updater");
    Write(app_ + "/top.txt", "old top");
    Write(app_ + "/bin/tool", "old tool");
    Write(app_ + "/lib/deep/data.bin", "old data");
    Write(app_ + "/lib/keep.cfg", "mine");
    Write(app_ + "/version.ini", "[config]\nversion=1\n");
    fs::create_symlink("top.txt", app_ + "/link");
    chmod((app_ + "/top.txt").c_str(), 0640);
    chmod((app_ + "/bin/tool").c_str(), 0755);
    chmod((app_ + "/version.ini").c_str(), 0600);
    for (const char* path : {"top.txt", "bin/tool", "lib/deep/data.bin", "link", "lib/deep", "lib",
                             "bin", "version.ini"})
      SetTimes(app_ + "/" + path, 1'000'000'000);
    old_ = State();
    everywhere_ = ReadFolderState(dir_.path());
  }

  FolderState State() const { return ReadFolderState(app_, FolderDetail::ContentsModesAndTimes); }

  static bool Pass(UpdateJournal& journal, const std::string& base, const std::string& label) {
    Result result;
    auto folder = journal.OpenFolder(base, &result);
    return folder && Put(*folder, {"top.txt"}, "top " + label, 0600) &&
           Put(*folder, {"bin", "tool"}, "tool " + label, 0777) &&
           Put(*folder, {"link"}, "link " + label, 0644) &&
           Put(*folder, {"new.txt"}, "new " + label, 0644) &&
           Put(*folder, {"new", "a", "b", "f.txt"}, "f " + label, 0644) &&
           Put(*folder, {"lib", "deep", "more.txt"}, "more " + label, std::nullopt) &&
           folder->CreateFolders({"empty", "folder"}, 0750) &&
           Put(*folder, {"version.ini"}, "[config]\nversion=" + label + "\n", std::nullopt);
  }

  FolderState NewTree(const std::string& label) const {
    return {{"Updater.exe", "updater"},
            {"bin", "<folder>"},
            {"bin/tool", "tool " + label},
            {"empty", "<folder>"},
            {"empty/folder", "<folder>"},
            {"lib", "<folder>"},
            {"lib/deep", "<folder>"},
            {"lib/deep/data.bin", "old data"},
            {"lib/deep/more.txt", "more " + label},
            {"lib/keep.cfg", "mine"},
            {"link", "link " + label},
            {"new", "<folder>"},
            {"new/a", "<folder>"},
            {"new/a/b", "<folder>"},
            {"new/a/b/f.txt", "f " + label},
            {"new.txt", "new " + label},
            {"top.txt", "top " + label},
            {"version.ini", "[config]\nversion=" + label + "\n"}};
  }

  void ExpectOldTree() const {
    EXPECT_EQ(State(), old_);
    EXPECT_EQ(ReadFolderState(dir_.path()), everywhere_);
    EXPECT_TRUE(TemporaryLeftovers(dir_.path()).empty());
  }

  // Runs `body` in a child process, which then waits to be killed; returns
  // once `body` is done.
  pid_t InChild(const std::function<bool()>& body) {
    int ready[2];
    EXPECT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
      close(ready[0]);
      if (!body()) _exit(2);
      const char done = 'r';
      if (write(ready[1], &done, 1) != 1) _exit(3);
      while (true) pause();
    }
    close(ready[1]);
    char done = 0;
    EXPECT_EQ(read(ready[0], &done, 1), 1) << "the child failed";
    close(ready[0]);
    return child;
  }

  static void Kill(pid_t child) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }

  testing_tools::ScopedUmask umask_{022};
  TempDir dir_;
  const std::string app_ = dir_ / "app";
  FolderState old_;
  FolderState everywhere_;
};

TEST_F(Journal, RollbackBringsBackContentsModesAndTimesAndLeavesNothing) {
  const ino_t topInode = Inode(app_ + "/top.txt");
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  EXPECT_EQ(ReadFolderState(app_)["top.txt"], "top 1");
  EXPECT_EQ(Mode(app_ + "/bin/tool"), 0755u);
  EXPECT_EQ(Mode(app_ + "/version.ini"), 0600u);
  // The original waits beside its file: renamed, not copied.
  const auto backups = Named(app_, ".updater-orig.");
  ASSERT_EQ(backups.size(), 3u);  // top.txt, link, version.ini; bin/tool's is in bin
  bool originalKept = false;
  for (const std::string& name : backups) originalKept |= Inode(app_ + "/" + name) == topInode;
  EXPECT_TRUE(originalKept);

  ASSERT_TRUE(journal->Rollback());
  ExpectOldTree();
  EXPECT_EQ(Inode(app_ + "/top.txt"), topInode);
}

TEST_F(Journal, LaterPassesKeepTheFirstOriginal) {
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  ASSERT_TRUE(Pass(*journal, app_ + "/", "2"));  // another writer on the same folder
  EXPECT_EQ(WithoutJournal(ReadFolderState(app_)), NewTree("2"));
  EXPECT_EQ(Named(app_, ".updater-orig.").size(), 3u);
  ASSERT_TRUE(journal->Rollback());
  ExpectOldTree();
}

TEST_F(Journal, CommitKeepsExactlyTheNewTree) {
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  ASSERT_TRUE(journal->Commit());
  EXPECT_EQ(ReadFolderState(app_), NewTree("1"));
  EXPECT_TRUE(TemporaryLeftovers(dir_.path()).empty());
  EXPECT_EQ(Mode(app_ + "/top.txt"), 0600u);
  EXPECT_EQ(Mode(app_ + "/empty/folder"), 0750u);
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
  ExpectOldTree();
}

TEST_F(Journal, FoldersTheRunMadeGoWithWhateverIsInThemWithoutFollowingLinks) {
  Write(dir_ / "outside/precious", "not the update's");
  everywhere_ = ReadFolderState(dir_.path());
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  Write(app_ + "/new/a/later.txt", "put there meanwhile");
  fs::create_directory_symlink(dir_ / "outside", app_ + "/new/a/out");
  ASSERT_TRUE(journal->Rollback());
  ExpectOldTree();
}

TEST_F(Journal, AKilledRunIsRolledBackByTheNextStartFromAnotherFolder) {
  const pid_t child = InChild([&] {
    // Relative to its own current folder, which the journal must not need.
    if (chdir(app_.c_str()) != 0) return false;
    auto journal = Begin(app_);
    if (!journal || !Pass(*journal, "", "1")) return false;
    // Half of another file written when the kill comes.
    Result result;
    auto folder = journal->OpenFolder("lib", &result);
    auto pending = folder ? folder->CreateFile({"deep", "data.bin"}, &result) : nullptr;
    if (!pending || !pending->Write("half", 4)) return false;
    pending.release();
    journal.release();
    return true;
  });
  EXPECT_EQ(ReadFolderState(app_)["top.txt"], "top 1");
  Kill(child);
  ASSERT_EQ(Named(app_, ".updater-journal.").size(), 1u);

  platform::RecoverInterruptedUpdates(app_ + "/");
  ExpectOldTree();
}

TEST_F(Journal, RecoveryCanBeRunAgainAfterItWasCutShort) {
  const pid_t child = InChild([&] {
    auto journal = Begin(app_);
    if (!journal || !Pass(*journal, app_, "1")) return false;
    journal.release();
    return true;
  });
  Kill(child);
  const auto journals = Named(app_, ".updater-journal.");
  ASSERT_EQ(journals.size(), 1u);
  std::ifstream in(app_ + "/" + journals[0], std::ios::binary);
  const std::string journalText(std::istreambuf_iterator<char>(in), {});

  platform::RecoverInterruptedUpdates(app_);
  ExpectOldTree();
  // As if that start had died just before deleting the journal.
  Write(app_ + "/" + journals[0], journalText);
  platform::RecoverInterruptedUpdates(app_);
  ExpectOldTree();
}

TEST_F(Journal, ALivingRunsJournalIsLeftAlone) {
  const pid_t child = InChild([&] {
    auto journal = Begin(app_);
    if (!journal || !Pass(*journal, app_, "1")) return false;
    journal.release();
    return true;
  });
  platform::RecoverInterruptedUpdates(app_);
  FolderState during = ReadFolderState(app_);
  EXPECT_EQ(Named(app_, ".updater-journal.").size(), 1u);
  EXPECT_EQ(during["top.txt"], "top 1");
  EXPECT_EQ(Named(app_, ".updater-orig.").size(), 3u);

  Kill(child);
  platform::RecoverInterruptedUpdates(app_);
  ExpectOldTree();
}

TEST_F(Journal, ACommitCutShortIsFinishedNotRolledBack) {
  const pid_t child = InChild([&] {
    auto journal = Begin(app_);
    if (!journal || !Pass(*journal, app_, "1")) return false;
    journal.release();
    return true;
  });
  Kill(child);
  // The commit mark was written and one original already deleted.
  const auto journals = Named(app_, ".updater-journal.");
  ASSERT_EQ(journals.size(), 1u);
  std::ofstream(app_ + "/" + journals[0], std::ios::app) << "commit\n";
  const auto backups = Named(app_, ".updater-orig.");
  ASSERT_FALSE(backups.empty());
  fs::remove(app_ + "/" + backups[0]);

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
  EXPECT_EQ(result.code(), EBUSY) << result.text();
  platform::RecoverInterruptedUpdates(app_);
  EXPECT_EQ(WithoutJournal(ReadFolderState(app_)), NewTree("1"));

  ASSERT_TRUE(first->Commit());
  auto second = Begin(app_);
  ASSERT_TRUE(second && Pass(*second, app_, "2"));
  ASSERT_TRUE(second->Rollback());
  EXPECT_EQ(ReadFolderState(app_), NewTree("1"));
  EXPECT_TRUE(TemporaryLeftovers(dir_.path()).empty());
}

// A record that could not be written whole (a disk that filled, here a
// file-size limit) must not hide the records written after it.
TEST_F(Journal, ARecordCutShortIsRemovedBeforeTheNextOne) {
  auto journal = Begin(app_);
  Result result;
  auto folder = journal->OpenFolder(app_, &result);
  ASSERT_TRUE(folder && Put(*folder, {"top.txt"}, "top 1", 0600));
  const auto journals = Named(app_, ".updater-journal.");
  ASSERT_EQ(journals.size(), 1u);
  {
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = fs::file_size(app_ + "/" + journals[0]) + 10;
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_FALSE(Put(*folder, {"bin", "tool"}, "tool 1", 0755));
    setrlimit(RLIMIT_FSIZE, &saved);
  }
  ASSERT_TRUE(Put(*folder, {"bin", "tool"}, "tool 1", 0755));
  ASSERT_TRUE(Put(*folder, {"lib", "keep.cfg"}, "changed", std::nullopt));
  ASSERT_TRUE(journal->Rollback());
  ExpectOldTree();
}

// Once the commit mark is on the disk the update has landed: originals that
// cannot be deleted then stay with the journal, for the next start.
TEST_F(Journal, OriginalsThatCannotBeDeletedAfterTheMarkAreLeftForTheNextStart) {
  auto journal = Begin(app_);
  ASSERT_TRUE(Pass(*journal, app_, "1"));
  const auto backups = Named(app_, ".updater-orig.");
  ASSERT_FALSE(backups.empty());
  const std::string stuck = app_ + "/" + backups[0];
  if (std::system(("chattr +i '" + stuck + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "no immutable files here";
  EXPECT_TRUE(journal->Commit());
  std::system(("chattr -i '" + stuck + "'").c_str());
  EXPECT_EQ(WithoutJournal(ReadFolderState(app_)), NewTree("1"));
  EXPECT_FALSE(Named(app_, ".updater-journal.").empty());

  platform::RecoverInterruptedUpdates(app_);
  EXPECT_EQ(ReadFolderState(app_), NewTree("1"));
  EXPECT_TRUE(TemporaryLeftovers(dir_.path()).empty());
}

}  // namespace
