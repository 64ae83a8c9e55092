// The update run on a clock the test moves: every row of its state table and
// of its failures, with the timer fired by hand instead of waited for.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <filesystem>
#include <thread>

#include "http/QVHTTP.h"
#include "platform/Process.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/tools/faults/Mounts.h"
#include "tests/tools/update/ManualHost.h"
#include "tests/tools/update/UpdateFixtures.h"
#include "util/QVUtils.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_tools;

const char kDownloadFailed[] = "파일을 다운로드 할 수 없습니다.\r\n잠시 후 다시 시도해 주십시오.";
const char kUnpackFailed[] = "파일을 압축해제할 수 없습니다.\r\n잠시 후 다시 시도해 주십시오.";

// A tree with the modes and times of its entries.
FolderState Exact(const std::string& folder) {
  return ReadFolderState(folder, FolderDetail::ContentsModesAndTimes);
}

std::vector<std::string> AttemptTexts(int from, int to) {
  std::vector<std::string> texts;
  for (int n = from; n <= to; ++n) texts.push_back("압축 해제 중(" + std::to_string(n) + "/10)");
  return texts;
}

class RunStates : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_);
    fs::copy_file(FakeMainPath(), Program("App.exe"));
  }
  void TearDown() override {
    host_.DestroyRun();
    if (mainPid_ > 0) {
      kill(mainPid_, SIGKILL);
      waitpid(mainPid_, nullptr, 0);
    }
  }

  std::string Program(const std::string& name) const { return program_ + "/" + name; }
  std::vector<std::string> Params(const std::string& url, const std::string& pid = "0") const {
    return {"MAIN_UP", "2.0", "App.exe", pid, url};
  }
  TUpdateRun& Start(const std::vector<std::string>& params) {
    return host_.Start(params, program_ + "/", work_);
  }
  // The download ends (its events arrive in real time from the server).
  void Downloaded() { ASSERT_TRUE(host_.WaitWhile(rsDownloading)); }

  // Fires the 250 ms timer until the run finds the installer gone; the
  // installer itself ends in real time.
  bool PollInstallerUntilGone() {
    for (int i = 0; i < 500 && host_.timer(); ++i) {
      EXPECT_EQ(host_.timer(), 250u);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      host_.FireTimer();
    }
    return !host_.timer() && host_.run().State() == rsClosed;
  }

  // `files` as a package of `type` in the package folder.
  std::string Package(const std::map<std::string, std::string>& files, const std::string& type,
                      const std::string& switches = {}) {
    const std::string folder = dir_ / ("package" + std::to_string(packages_++));
    for (const auto& [name, content] : files) WriteFile(folder + "/" + name, content);
    return MakeArchive(folder, type, switches);
  }

  // The fake main application, running until it is killed.
  uint32_t StartHoldingMain() {
    WriteFile(Program("App.exe.hold"), "");
    uint32_t pid = 0;
    EXPECT_EQ(LaunchProcess(Program("App.exe"), "", platform::kShowNormal, pid), 0u);
    mainPid_ = static_cast<pid_t>(pid);
    EXPECT_EQ(WaitForCalls(Program("App.exe"), 1).size(), 1u);
    fs::remove(Program("App.exe.hold"));
    return pid;
  }

  TempDir dir_;
  const std::string program_ = dir_.path() + "/app";
  const std::string work_ = dir_.path() + "/work";
  PackageServer server_;
  ManualHost host_;
  pid_t mainPid_ = 0;
  int packages_ = 0;
};

// Downloading → Waiting to unpack → Attempt 1 → Finishing → Closed, for
// both archive kinds; the zip lands under the current folder, the 7z in the
// program folder.
TEST_F(RunStates, ASuccessfulUnpackRecordsTheVersionRunsTheScriptAndRestarts) {
  fs::create_directories(work_);
  for (const std::string type : {"7z", "zip"}) {
    SCOPED_TRACE(type);
    const std::string base = type == "7z" ? program_ : work_;
    WriteFile(base + "/data/a.txt", "old a");
    WriteFile(Program("Updater_New.exe"), "stale, from an earlier run");
    WriteFile(Program("version.ini"), "[ui]\nlang=ko\n");
    server_.Serve("/p." + type, Package({{"data/a.txt", "new a"},
                                         {"data/new/b.txt", "b"},
                                         {"script.dat", "DIR CREATE made-by-script\n"}},
                                        type));
    TUpdateRun& run = Start(Params(server_.url("/p." + type)));
    EXPECT_EQ(run.State(), rsDownloading);
    EXPECT_EQ(run.PatchMode(), type == "7z" ? pm7z : pmZip);
    EXPECT_FALSE(fs::exists(Program("Updater_New.exe")));
    Downloaded();
    EXPECT_EQ(run.State(), rsWaitingToUnpack);
    EXPECT_EQ(host_.statuses, (std::vector<TStatus>{stDownload, stUnextract}));
    EXPECT_EQ(host_.timer(), 1000u);
    EXPECT_EQ(host_.progress.back(), std::make_pair(100, true));

    host_.FireTimer();
    EXPECT_TRUE(host_.terminated);
    EXPECT_EQ(run.State(), rsFinishing);
    EXPECT_EQ(host_.statusLines, AttemptTexts(1, 1));
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(ReadFile(base + "/data/a.txt"), "new a");
    EXPECT_EQ(ReadFile(base + "/data/new/b.txt"), "b");
    EXPECT_EQ(ReadFile(Program("version.ini")), "[ui]\nlang=ko\n[config]\nversion=2.0\n");
    // The script runs when it lands in the program folder, and goes; a zip
    // unpacked elsewhere leaves its script there, not run.
    EXPECT_EQ(fs::is_directory(Program("made-by-script")), type == "7z");
    EXPECT_EQ(fs::exists(base + "/script.dat"), type == "zip");
    EXPECT_TRUE(NamesStartingWith(program_, "patch_").empty());
    const auto calls = WaitForCalls(Program("App.exe"), 1);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].args, (std::vector<std::string>{"UPDATER_UP", "App.exe"}));
    host_.DestroyRun();
    EXPECT_TRUE(TemporaryLeftovers(program_).empty());
    fs::remove(Program("App.exe.calls"));
    fs::remove_all(Program("made-by-script"));
    host_ = ManualHost();
  }
}

// The end of a run that brought a new updater starts that one instead.
TEST_F(RunStates, ANewUpdaterInThePackageIsStartedInsteadOfTheApplication) {
  fs::copy_file(FakeMainPath(), dir_ / "updater");
  server_.Serve("/p.7z", Package({{"Updater_New.exe", ReadFile(dir_ / "updater")}}, "7z"));
  Start(Params(server_.url("/p.7z")));
  Downloaded();
  host_.FireTimer();
  ASSERT_TRUE(host_.terminated);
  const auto calls = WaitForCalls(Program("Updater_New.exe"), 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"UPDATER_UP", "App.exe"}));
  EXPECT_TRUE(ReadCalls(Program("App.exe")).empty());
  // The new updater stays for the next run to delete.
  EXPECT_TRUE(fs::exists(Program("Updater_New.exe")));
}

TEST_F(RunStates, AFailedDownloadShowsItsMessageAndClosesWithoutARestart) {
  server_.Serve("/p.ZIP", "x");
  const struct {
    const char* name;
    std::vector<std::string> params;
  } cases[] = {
      {"404", Params(server_.url("/missing.7z"))},
      {"upper-case ending", Params(server_.url("/p.ZIP"))},
      {"query after the ending", Params(server_.url("/p.zip?x=1"))},
      {"no URL", {"MAIN_UP", "2.0", "App.exe", "0"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ManualHost host;
    WriteFile(Program("Updater_New.exe"), "stale");
    WriteFile(Program("script.dat"), "DIR CREATE must-not-run");
    TUpdateRun& run = host.Start(c.params, program_ + "/", work_);
    ASSERT_TRUE(host.WaitWhile(rsDownloading));
    EXPECT_EQ(run.State(), rsClosed);
    EXPECT_EQ(host.messages, std::vector<std::string>{kDownloadFailed});
    EXPECT_TRUE(host.closed);
    EXPECT_FALSE(host.timer());
    host.DestroyRun();
    EXPECT_FALSE(fs::exists(Program("Updater_New.exe")));
    EXPECT_FALSE(fs::exists(Program("script.dat")));
    EXPECT_FALSE(fs::exists(Program("must-not-run")));
    EXPECT_FALSE(fs::exists(Program("version.ini")));
    EXPECT_TRUE(NamesStartingWith(program_, "patch_").empty());
  }
  EXPECT_TRUE(ReadCalls(Program("App.exe")).empty());
}

// Attempt n with an exception, n ≤ 10 → Waiting to unpack; the eleventh →
// Unpack failed. The main application goes before the ninth attempt.
TEST_F(RunStates, EveryZipAttemptFailingEndsInTheUnpackMessageAfterTheEleventh) {
  server_.Serve("/p.zip", "this is no zip archive");
  const uint32_t mainPid = StartHoldingMain();
  TUpdateRun& run = Start(Params(server_.url("/p.zip"), std::to_string(mainPid)));
  Downloaded();
  for (int n = 1; n <= 10; ++n) {
    SCOPED_TRACE(n);
    host_.FireTimer();
    EXPECT_EQ(run.State(), rsWaitingToUnpack);
    EXPECT_EQ(run.Attempts(), n);
    EXPECT_EQ(host_.timer(), 1000u);
    // Ended in the ninth attempt's tick, before its unpacking.
    if (n < 9)
      EXPECT_TRUE(IsProcessRunning(mainPid));
    else
      EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(mainPid); }, 5000));
  }
  bool stillUnpackFailedAtMessage = false;
  host_.atMessage = [&] { stillUnpackFailedAtMessage = run.State() == rsUnpackFailed; };
  host_.FireTimer();
  EXPECT_TRUE(stillUnpackFailedAtMessage);
  EXPECT_EQ(run.State(), rsClosed);
  EXPECT_TRUE(host_.closed);
  EXPECT_EQ(host_.messages, std::vector<std::string>{kUnpackFailed});
  // The eleventh attempt keeps the tenth's text.
  EXPECT_EQ(host_.statusLines, AttemptTexts(1, 10));
  EXPECT_FALSE(host_.timer());
  host_.DestroyRun();
  EXPECT_TRUE(NamesStartingWith(program_, "patch_").empty());
  // Not restarted after a failure: the one start is the test's own.
  EXPECT_EQ(ReadCalls(Program("App.exe")).size(), 1u);
}

// A zip whose last entry is damaged: the entries before it were written by
// every attempt, and after the eleventh the tree is exactly as it was.
TEST_F(RunStates, AZipWhoseLastEntryIsDamagedLeavesTheExactOldTree) {
  fs::create_directories(work_);
  WriteFile(work_ + "/bin/app.bin", "old app");
  WriteFile(work_ + "/lib/old.so", "old lib");
  fs::permissions(work_ + "/bin/app.bin", fs::perms(0750));
  WriteFile(Program("version.ini"), "[config]\nversion=1.0\n");
  std::string zip = Package({{"bin/app.bin", "new app"},
                             {"lib/new/inner.so", "fresh"},
                             {"zz-last.bin", Noise(64 << 10, 1)}},
                            "zip", "-mx0");
  // The stored bytes of the last entry are the archive's last file data:
  // damage them so its check sum fails only once it is read.
  const size_t last = zip.rfind(Noise(64 << 10, 1).substr(0, 64));
  ASSERT_NE(last, std::string::npos);
  zip[last + 1000] ^= 0x55;
  server_.Serve("/p.zip", zip);
  const FolderState before = Exact(work_), programBefore = Exact(program_);

  TUpdateRun& run = Start(Params(server_.url("/p.zip")));
  Downloaded();
  host_.FireTimer();
  // The first attempt wrote what it could before the damaged entry.
  EXPECT_EQ(ReadFile(work_ + "/bin/app.bin"), "new app");
  for (int n = 2; n <= 11; ++n) host_.FireTimer();
  EXPECT_EQ(run.State(), rsClosed);
  EXPECT_EQ(host_.messages, std::vector<std::string>{kUnpackFailed});
  host_.DestroyRun();
  const FolderState after = Exact(work_), programAfter = Exact(program_);
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
  EXPECT_TRUE(programAfter == programBefore) << DescribeChanges(programBefore, programAfter);
}

// Attempt n with a 7z failure result: n ≤ 10 → Waiting to unpack; the
// eleventh → Downloading the installer, with the installation as it was,
// then Waiting to install → Launching → Installing → Closed.
TEST_F(RunStates, A7zThatKeepsFailingFallsBackToTheInstallerOnTheOldTree) {
  WriteFile(Program("data/a.txt"), "old a");
  WriteFile(Program("data/z.txt/kept.txt"), "a folder where the package has a file");
  server_.Serve("/rel/p.7z", Package({{"data/a.txt", "new a"}, {"data/z.txt", "new z"}}, "7z"));
  server_.Serve("/rel/p.exe", ReadFile(FakeMainPath()));
  const FolderState before = Exact(program_);

  TUpdateRun& run = Start(Params(server_.url("/rel/p.7z"), "not-a-number"));
  Downloaded();
  host_.FireTimer();
  EXPECT_EQ(ReadFile(Program("data/a.txt")), "new a");  // written before the failure
  for (int n = 2; n <= 10; ++n) {
    host_.FireTimer();
    EXPECT_EQ(run.State(), rsWaitingToUnpack);
  }
  const size_t statusesBefore = host_.statuses.size();
  host_.FireTimer();
  EXPECT_EQ(run.State(), rsDownloading);
  EXPECT_EQ(run.PatchUrl(), server_.url("/rel/p.exe"));
  EXPECT_EQ(run.PatchMode(), pmPkgExe);
  EXPECT_EQ(host_.statuses.back(), stDownload);
  EXPECT_GT(host_.statuses.size(), statusesBefore);
  EXPECT_TRUE(host_.messages.empty());
  // What the installer will find: the old installation, whole.
  FolderState now = Exact(program_);
  now.erase(fs::path(run.PatchFile()).filename().string());
  EXPECT_TRUE(now == before) << DescribeChanges(before, now);

  Downloaded();
  EXPECT_EQ(run.State(), rsWaitingToInstall);
  EXPECT_EQ(host_.statuses.back(), stInstall);
  host_.FireTimer();
  EXPECT_EQ(run.Attempts(), 12);  // the counter goes on
  EXPECT_EQ(run.State(), rsInstalling);
  EXPECT_EQ(host_.timer(), 250u);
  EXPECT_EQ(host_.statusLines, AttemptTexts(1, 10));  // untouched after the fallback
  const std::string installer = run.PatchFile();
  const auto calls = WaitForCalls(installer, 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"/verysilent", "/patch=" + installer}));
  ASSERT_TRUE(PollInstallerUntilGone());
  EXPECT_EQ(run.State(), rsClosed);
  EXPECT_TRUE(host_.closed);
  host_.DestroyRun();
  EXPECT_FALSE(fs::exists(installer));
  EXPECT_EQ(server_.Requests(), (std::vector<std::string>{"/rel/p.7z", "/rel/p.exe"}));
  EXPECT_TRUE(ReadCalls(Program("App.exe")).empty());
}

// Waiting to install → Launching → Installing → Closed, and Launching →
// Closed when the installer cannot be started.
TEST_F(RunStates, AnInstallerPackageIsStartedAndWaitedForOrClosesTheWindowWhenItCannotStart) {
  server_.Serve("/setup.exe", ReadFile(FakeMainPath()));
  server_.Serve("/broken.exe", "no program at all");
  for (const std::string name : {"/setup.exe", "/broken.exe"}) {
    SCOPED_TRACE(name);
    ManualHost host;
    TUpdateRun& run = host.Start(Params(server_.url(name)), program_ + "/", work_);
    ASSERT_TRUE(host.WaitWhile(rsDownloading));
    EXPECT_EQ(run.State(), rsWaitingToInstall);
    EXPECT_EQ(host.statuses, (std::vector<TStatus>{stDownload, stInstall}));
    host.FireTimer();
    EXPECT_TRUE(host.statusLines.empty());  // no attempt texts for an installer
    const std::string package = run.PatchFile();
    if (name == "/setup.exe") {
      EXPECT_EQ(run.State(), rsInstalling);
      EXPECT_EQ(WaitForCalls(package, 1).size(), 1u);
      for (int i = 0; i < 500 && host.timer(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        host.FireTimer();
      }
    }
    EXPECT_EQ(run.State(), rsClosed);
    EXPECT_TRUE(host.closed);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(host.terminated);  // no version record, script or restart
    host.DestroyRun();
    EXPECT_FALSE(fs::exists(package));
    EXPECT_FALSE(fs::exists(Program("version.ini")));
  }
}

// Closed during the download: the transfer stops, the run waits a second
// (handling messages) and the partial package goes.
TEST_F(RunStates, ClosingDuringTheDownloadWaitsASecondAndDeletesThePartialPackage) {
  server_.ServeSlowly("/big.7z", std::string(4 << 20, 'x'), 16 * 1024,
                      std::chrono::milliseconds(20));
  TUpdateRun& run = Start(Params(server_.url("/big.7z")));
  const std::string partial = run.PatchFile();
  ASSERT_TRUE(WaitUntil(
      [&] {
        QCoreApplication::processEvents();
        std::error_code ec;
        return fs::file_size(partial, ec) > 0 && !ec;
      },
      10000));
  host_.CloseWindow();
  const uint64_t closedAt = host_.now;
  host_.DestroyRun();
  EXPECT_GE(host_.now - closedAt, 1000u);
  EXPECT_FALSE(fs::exists(partial));
  EXPECT_TRUE(ReadCalls(Program("App.exe")).empty());
}

// Closed between two attempts: the unpacking is abandoned and undone.
TEST_F(RunStates, ClosingBetweenAttemptsRollsTheInstallationBack) {
  WriteFile(Program("data/a.txt"), "old a");
  WriteFile(Program("data/z.txt/kept.txt"), "a folder where the package has a file");
  server_.Serve(
      "/p.7z",
      Package({{"data/a.txt", "new a"}, {"data/b/c.txt", "c"}, {"data/z.txt", "new z"}}, "7z"));
  const FolderState before = Exact(program_);
  TUpdateRun& run = Start(Params(server_.url("/p.7z")));
  Downloaded();
  host_.FireTimer();
  host_.FireTimer();
  EXPECT_EQ(run.State(), rsWaitingToUnpack);
  EXPECT_EQ(ReadFile(Program("data/a.txt")), "new a");
  host_.CloseWindow();
  EXPECT_FALSE(host_.timer());
  host_.DestroyRun();
  const FolderState after = Exact(program_);
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
}

// A finishing step that fails counts as a failed attempt: the archive is
// unpacked again, and after the last attempt nothing of it stays.
TEST_F(RunStates, AVersionRecordThatCannotBeWrittenFailsTheAttempts) {
  fs::create_directories(Program("version.ini"));
  WriteFile(Program("data/a.txt"), "old a");
  server_.Serve("/p.7z", Package({{"data/a.txt", "new a"}}, "7z"));
  const FolderState before = Exact(program_);
  TUpdateRun& run = Start(Params(server_.url("/p.7z")));
  Downloaded();
  for (int n = 1; n <= 10; ++n) {
    host_.FireTimer();
    EXPECT_EQ(run.State(), rsWaitingToUnpack);
  }
  host_.FireTimer();
  EXPECT_EQ(host_.messages, std::vector<std::string>{kUnpackFailed});
  EXPECT_FALSE(host_.terminated);
  host_.DestroyRun();
  const FolderState after = Exact(program_);
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
}

TEST_F(RunStates, ProgressShowsThePercentageOfTheDeclaredLength) {
  server_.ServeSlowly("/p.exe", std::string(1000, 'x'), 250, std::chrono::milliseconds(30));
  Start(Params(server_.url("/p.exe")));
  Downloaded();
  ASSERT_FALSE(host_.progress.empty());
  int last = 0;
  for (const auto& [percent, withPercentage] : host_.progress) {
    EXPECT_TRUE(withPercentage);
    EXPECT_GE(percent, last);
    last = percent;
  }
  EXPECT_EQ(last, 100);
}

// Bytes of a UTF-16LE text with its byte-order mark.
std::string Utf16(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// The version record changes its key in place and keeps its encoding and
// every other byte.
TEST_F(RunStates, TheVersionRecordKeepsItsEncoding) {
  const struct {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"UTF-16LE", Utf16(u"[config]\r\nversion=1.0\r\nname=젤바\r\n[ui]\r\nlang=ko\r\n"),
       Utf16(u"[config]\r\nversion=2.0\r\nname=젤바\r\n[ui]\r\nlang=ko\r\n")},
      {"8-bit", "; \xbf\xa9\r\n[config]\r\nversion=1.0\r\n[ui]\nlang=ko",
       "; \xbf\xa9\r\n[config]\r\nversion=2.0\r\n[ui]\nlang=ko"},
  };
  server_.Serve("/p.7z", Package({{"a.txt", "a"}}, "7z"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    WriteFile(Program("version.ini"), c.before);
    ManualHost host;
    host.Start(Params(server_.url("/p.7z")), program_ + "/", work_);
    ASSERT_TRUE(host.WaitWhile(rsDownloading));
    host.FireTimer();
    ASSERT_TRUE(host.terminated);
    EXPECT_TRUE(ReadFile(Program("version.ini")) == c.after);
    host.DestroyRun();
  }
}

// Missing parameter 2: the version is recorded empty.
TEST_F(RunStates, MissingArgumentsAreTakenAsEmpty) {
  server_.Serve("/p.7z", Package({{"a.txt", "a"}}, "7z"));
  Start({"MAIN_UP", "", "App.exe", "0", server_.url("/p.7z")});
  Downloaded();
  host_.FireTimer();
  ASSERT_TRUE(host_.terminated);
  EXPECT_EQ(ReadFile(Program("version.ini")), "[config]\nversion=\n");
}

// A run's package is locked for the run's whole life: a second run in the
// same folder keeps it, and only a package nobody holds is swept.
TEST_F(RunStates, APackageIsSweptOnlyWhenItsRunIsGone) {
  server_.ServeSlowly("/slow.7z", std::string(1 << 20, 'x'), 4096, std::chrono::milliseconds(20));
  server_.Serve("/p.exe", ReadFile(FakeMainPath()));
  const std::string stale = Program("patch_2020011000000000.7z");
  WriteFile(stale, "left by a killed run");

  ManualHost first;
  TUpdateRun& firstRun = first.Start(Params(server_.url("/slow.7z")), program_ + "/", work_);
  ManualHost second;
  second.now = 5555;  // a stamp of its own
  TUpdateRun& secondRun = second.Start(Params(server_.url("/p.exe")), program_ + "/", work_);
  EXPECT_FALSE(fs::exists(stale));
  ASSERT_NE(firstRun.PatchFile(), secondRun.PatchFile());
  EXPECT_TRUE(fs::exists(firstRun.PatchFile()));
  const std::string installer = secondRun.PatchFile();
  WriteFile(installer + ".hold", "");  // the installer keeps running
  ASSERT_TRUE(second.WaitWhile(rsDownloading));
  second.FireTimer();
  ASSERT_EQ(secondRun.State(), rsInstalling);
  const pid_t installerPid = static_cast<pid_t>(secondRun.InstallerPId());
  ASSERT_EQ(WaitForCalls(installer, 1).size(), 1u);

  // The window closed under a running installer keeps its package, and a
  // later run leaves it alone; once the installer is gone it is swept.
  second.DestroyRun();
  EXPECT_TRUE(fs::exists(installer));
  for (uint64_t stamp : {7777u, 8888u}) {
    if (stamp == 8888u) {
      kill(installerPid, SIGKILL);
      waitpid(installerPid, nullptr, 0);
    }
    ManualHost later;
    later.now = stamp;
    later.Start(Params(server_.url("/slow.7z")), program_ + "/", work_);
    EXPECT_EQ(fs::exists(installer), stamp == 7777u);
    EXPECT_TRUE(fs::exists(firstRun.PatchFile()));  // its run still lives
    later.DestroyRun();
  }
  first.DestroyRun();
}

// Every 7z attempt raising (the codec library is missing) ends in the unpack
// message, without a fallback: a missing library is not a failed archive.
TEST(RunFailures, AMissingCodecLibraryEndsInTheUnpackMessage) {
  // The library is looked for beside the program, then in the platform's
  // p7zip folder, then by the normal search. Hide the p7zip folder in a
  // mount namespace of this process only, before any thread exists.
  std::string why;
  if (!EnterPrivateMountNamespace(&why)) GTEST_SKIP() << "no private mount namespace: " << why;
  TempDir dir;
  const std::string program = dir / "app";
  WriteFile(program + "/data/a.txt", "old a");
  WriteFile(dir / "package/data/a.txt", "new a");
  PackageServer server;
  server.Serve("/p.7z", MakeArchive(dir / "package", "7z"));
  auto hidden = ScopedMount::Hide("/usr/lib/p7zip");
  ASSERT_FALSE(fs::exists("/usr/lib/p7zip/7z.so"));
  const FolderState before = Exact(program);

  ManualHost host;
  TUpdateRun& run =
      host.Start({"MAIN_UP", "2.0", "App.exe", "0", server.url("/p.7z")}, program + "/", program);
  ASSERT_TRUE(host.WaitWhile(rsDownloading));
  for (int n = 1; n <= 10; ++n) {
    host.FireTimer();
    EXPECT_EQ(run.State(), rsWaitingToUnpack) << n;
  }
  host.FireTimer();
  EXPECT_EQ(run.State(), rsClosed);
  EXPECT_EQ(host.messages, std::vector<std::string>{kUnpackFailed});
  EXPECT_EQ(host.statusLines, AttemptTexts(1, 10));
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"/p.7z"});
  host.DestroyRun();
  const FolderState after = Exact(program);
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
}

}  // namespace
