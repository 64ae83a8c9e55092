// Update runs inside the test process, where the test answers the message
// boxes the run shows.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/update/UpdateFixtures.h"
#include "tests/tools/update/WindowRunSupport.h"
#include "updater/untUpdaterMain.h"
#include "util/QVUtils.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_tools;

class UpdateWindowRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_);
    fs::copy_file(FakeMainPath(), program_ + "/App.exe");
  }
  void TearDown() override {
    window_.reset();
    if (mainPid_ > 0) {
      kill(mainPid_, SIGKILL);
      waitpid(mainPid_, nullptr, 0);
    }
  }

  std::string Program(const std::string& name) const { return program_ + "/" + name; }

  void Start(const std::vector<std::string>& params) {
    window_ =
        std::make_unique<TfmUpdaterMain>(TUpdateRunSetup{TCommandLine(params), program_ + "/"});
    window_->show();
  }

  // The fake main application, running until it is killed.
  uint32_t StartHoldingMain() {
    WriteFile(Program("App.exe.hold"), "");
    uint32_t pid = 0;
    EXPECT_EQ(LaunchProcess(Program("App.exe"), "", SW_SHOWNORMAL, pid), 0u);
    mainPid_ = static_cast<pid_t>(pid);
    EXPECT_EQ(WaitForCalls(Program("App.exe"), 1).size(), 1u);
    return pid;
  }

  bool Closed(int timeoutMs) {
    return PumpUntil([&] { return !window_->isVisible(); }, timeoutMs);
  }

  TempDir dir_;
  const std::string program_ = dir_.path() + "/app";
  PackageServer server_;
  std::unique_ptr<TfmUpdaterMain> window_;
  pid_t mainPid_ = 0;
};

TEST_F(UpdateWindowRun, FailedDownloadsShowTheMessageAndRestartNothing) {
  const struct {
    const char* name;
    std::string path;
  } cases[] = {{"404", "/missing.7z"},
               {"upper-case ending", "/p.ZIP"},
               {"query", "/p.zip?x=1"},
               {"no URL", ""}};
  server_.Serve("/p.ZIP", "x");
  for (const auto& c : cases) {
    WriteFile(Program("Updater_New.exe"), "stale");
    WriteFile(Program("script.dat"), "DIR CREATE must-not-run");
    MessageAnswerer answerer;
    std::vector<std::string> params = {"MAIN_UP", "1.0", "App.exe", "0"};
    if (!c.path.empty()) params.push_back(server_.url(c.path));
    Start(params);
    ASSERT_TRUE(Closed(15000)) << c.name;
    EXPECT_EQ(answerer.texts, std::vector<std::string>{kDownloadFailedMessage}) << c.name;
    EXPECT_EQ(answerer.icons, std::vector<QMessageBox::Icon>{QMessageBox::Information});
    EXPECT_EQ(answerer.buttons, std::vector<QMessageBox::StandardButtons>{QMessageBox::Ok});
    window_.reset();
    EXPECT_FALSE(fs::exists(Program("Updater_New.exe"))) << c.name;
    EXPECT_FALSE(fs::exists(Program("script.dat"))) << c.name;
    EXPECT_FALSE(fs::exists(Program("must-not-run"))) << c.name;
    EXPECT_TRUE(NamesStartingWith(program_, "patch_").empty()) << c.name;
    EXPECT_FALSE(fs::exists(Program("version.ini"))) << c.name;
  }
  EXPECT_TRUE(ReadCalls(Program("App.exe")).empty());
}

TEST_F(UpdateWindowRun, CorruptZipGetsElevenAttemptsAndEndsTheApplicationBeforeTheNinth) {
  server_.Serve("/p.zip", "this is not a zip archive");
  const uint32_t mainPid = StartHoldingMain();
  std::string statusAtMessage;
  bool mainAliveAtMessage = true;
  MessageAnswerer answerer([&] {
    statusAtMessage = window_->lblStatus->text().toStdString();
    mainAliveAtMessage = IsProcessRunning(mainPid);
  });
  std::vector<std::string> seen;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    const std::string status = window_->lblStatus->text().toStdString();
    if (seen.empty() || seen.back() != status) seen.push_back(status);
    // Up to the eighth attempt the application is still there.
    if (status == "압축 해제 중(8/10)") EXPECT_TRUE(IsProcessRunning(mainPid));
  });
  watch.start(50);
  Start({"MAIN_UP", "1.0", "App.exe", std::to_string(mainPid), server_.url("/p.zip")});
  ASSERT_TRUE(Closed(30000));
  EXPECT_EQ(answerer.texts, std::vector<std::string>{kUnpackFailedMessage});
  EXPECT_EQ(statusAtMessage, "압축 해제 중(10/10)");
  EXPECT_FALSE(mainAliveAtMessage);
  for (int n = 1; n <= 10; ++n)
    EXPECT_NE(std::find(seen.begin(), seen.end(), "압축 해제 중(" + std::to_string(n) + "/10)"),
              seen.end())
        << n;
  window_.reset();
  EXPECT_TRUE(NamesStartingWith(program_, "patch_").empty());
  // Not restarted after a failure.
  EXPECT_EQ(ReadCalls(Program("App.exe")).size(), 1u);
}

TEST_F(UpdateWindowRun, FailingSevenZipFallsBackToTheInstallerAndNeverEndsAnUnknownProcess) {
  server_.Serve("/rel/p.7z", "7z? no: broken bytes");
  server_.Serve("/rel/p.exe", ReadFile(FakeMainPath()));
  // Answer late, so the reset bar and percentage can be seen before progress arrives.
  server_.Delay("/rel/p.exe", std::chrono::milliseconds(500));
  const uint32_t mainPid = StartHoldingMain();
  MessageAnswerer answerer;
  Start({"MAIN_UP", "1.0", "App.exe", "not-a-number", server_.url("/rel/p.7z")});

  ASSERT_TRUE(PumpUntil([&] { return window_->PatchFileName().ends_with(".exe"); }, 30000));
  EXPECT_EQ(window_->lblStatus->text().toStdString(), "파일 다운로드 중");
  EXPECT_EQ(window_->lblPercent->text().toStdString(), "0%");
  EXPECT_EQ(window_->scProgressBar->width(), 0);

  ASSERT_TRUE(Closed(15000));  // the installer ended
  EXPECT_TRUE(answerer.texts.empty());
  const std::string installer = window_->PatchFileName();
  const auto calls = ReadCalls(installer);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"/verysilent", "/patch=" + installer}));
  EXPECT_TRUE(IsProcessRunning(mainPid));  // an id that is not a number ends nothing
  const auto requests = server_.Requests();
  EXPECT_EQ(requests, (std::vector<std::string>{"/rel/p.7z", "/rel/p.exe"}));
}

TEST_F(UpdateWindowRun, TheBarMovesWhileAZipEntryIsWritten) {
  const std::string package = dir_ / "package";
  const std::string content = Noise(64 << 20, 0);
  WriteFile(package + "/big.bin", content);
  server_.Serve("/p.zip", MakeArchive(package, "zip", "-mx0"));
  const std::string current = fs::current_path();
  fs::current_path(dir_.path());

  // A timer of interval 0 runs whenever the run lets events through.
  std::vector<int> widths;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (window_ && window_->Status() == stUnextract)
      widths.push_back(window_->scProgressBar->width());
  });
  watch.start(0);
  Start({"MAIN_UP", "1.0", "App.exe", "0", server_.url("/p.zip")});
  const bool finished = PumpUntil([&] { return window_->Terminated(); }, 30000);
  fs::current_path(current);
  ASSERT_TRUE(finished);
  const int track = window_->scProgressMain->width();
  EXPECT_TRUE(std::any_of(widths.begin(), widths.end(), [&](int w) { return w > 0 && w < track; }))
      << widths.size() << " looks at the bar";
  EXPECT_EQ(window_->scProgressBar->width(), track);
  EXPECT_EQ(fs::file_size(dir_ / "big.bin"), content.size());
}

TEST_F(UpdateWindowRun, ClosingDuringTheDownloadRemovesThePartialPackage) {
  server_.ServeSlowly("/big.7z", std::string(4 << 20, 'x'), 16 * 1024,
                      std::chrono::milliseconds(20));
  Start({"MAIN_UP", "1.0", "App.exe", "0", server_.url("/big.7z")});
  std::string partial;
  ASSERT_TRUE(PumpUntil(
      [&] {
        partial = window_->PatchFileName();
        std::error_code ec;
        return !partial.empty() && fs::file_size(partial, ec) > 0 && !ec;
      },
      10000));
  const std::string percent = window_->lblPercent->text().toStdString();
  window_->close();
  QElapsedTimer clock;
  clock.start();
  window_.reset();  // the run stops the transfer and waits a second
  EXPECT_GE(clock.elapsed(), 900);
  EXPECT_FALSE(fs::exists(partial));
  EXPECT_TRUE(ReadCalls(Program("App.exe")).empty());
  EXPECT_NE(percent, "");
}

}  // namespace
