// Update runs inside the test process, where the test answers the message
// boxes the run shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/update/UpdateFixtures.h"
#include "tests/tools/update/WindowRunSupport.h"
#include "updater/untUpdaterMain.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_tools;

class UpdateWindowRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_);
    fs::copy_file(FakeMainPath(), program_ + "/App.exe");
  }
  void TearDown() override { window_.reset(); }

  std::string Program(const std::string& name) const { return program_ + "/" + name; }

  void Start(const std::vector<std::string>& params) {
    window_ = std::make_unique<TfmUpdaterMain>(
        TUpdateRunSetup{TCommandLine(params), program_ + "/", fs::current_path().string()});
    window_->show();
  }

  bool Closed(int timeoutMs) {
    return PumpUntil([&] { return !window_->isVisible(); }, timeoutMs);
  }

  TempDir dir_;
  const std::string program_ = dir_.path() + "/app";
  PackageServer server_;
  std::unique_ptr<TfmUpdaterMain> window_;
};

// The run's states are tested on a clock of their own; these show what the
// real window does with them.
TEST_F(UpdateWindowRun, AFailedDownloadShowsAnInformationBoxAndCloses) {
  MessageAnswerer answerer;
  Start({"MAIN_UP", "1.0", "App.exe", "0", server_.url("/missing.7z")});
  ASSERT_TRUE(Closed(15000));
  EXPECT_EQ(answerer.texts, std::vector<std::string>{kDownloadFailedMessage});
  EXPECT_EQ(answerer.icons, std::vector<QMessageBox::Icon>{QMessageBox::Information});
  EXPECT_EQ(answerer.buttons, std::vector<QMessageBox::StandardButtons>{QMessageBox::Ok});
  window_.reset();
  EXPECT_TRUE(NamesStartingWith(program_, "patch_").empty());
}

TEST_F(UpdateWindowRun, TheBarMovesWhileAZipEntryIsWritten) {
  const std::string package = dir_ / "package";
  const std::string content = Noise(64 << 20, 0);
  WriteFile(package + "/big.bin", content);
  server_.Serve("/p.zip", MakeArchive(package, "zip", "-mx0"));
  const std::string current = fs::current_path();
  fs::current_path(dir_.path());

  // A timer of interval 0 runs whenever the run lets events through. The
  // run repaints at most every few tens of milliseconds, and a fast disk
  // writes the whole entry in less: each look at the emptied bar waits long
  // enough for the next chunk to be painted.
  std::vector<int> widths;
  int waits = 0;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!window_ || window_->Status() != stUnextract) return;
    const int width = window_->scProgressBar->width();
    widths.push_back(width);
    if (width == 0 && waits < 100) {
      ++waits;
      std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
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
        partial = window_->Run()->PatchFile();
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
