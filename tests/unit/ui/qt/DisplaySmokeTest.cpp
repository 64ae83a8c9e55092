// The update window on a real X display: the window tool runs under xvfb-run
// and saves a screenshot of the whole screen, which is kept for people to look
// at and checked for the window's frame and bar.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QColor>
#include <QDir>
#include <QImage>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kTool = std::string(UPDATER_BUILD_DIR) + "/bin/show_update_window";
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 800;

// Runs `args` on the X display and returns its exit status; -1 when it had to
// be stopped.
int RunOnDisplay(std::vector<std::string> args, std::chrono::seconds limit) {
  const pid_t pid = fork();
  if (pid == 0) {
    setpgid(0, 0);
    // The real display, whatever platform the test run itself was given.
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(-pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(UpdateWindowOnADisplay, ShowsARealWindowAndSavesAScreenshot) {
  const QString folder = QStringLiteral(UPDATER_BUILD_DIR "/test-output/ui");
  QDir().mkpath(folder);
  const std::string shot = (folder + "/update_window_xvfb.png").toStdString();
  QFile::remove(QString::fromStdString(shot));

  const std::string screen =
      "-screen 0 " + std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24";
  ASSERT_EQ(RunOnDisplay({"xvfb-run", "-a", "-s", screen + " -dpi 96", kTool, "--percent", "42",
                          "--screenshot", shot},
                         std::chrono::seconds(60)),
            0);

  const QImage image(QString::fromStdString(shot));
  ASSERT_FALSE(image.isNull());
  ASSERT_EQ(image.size(), QSize(kScreenWidth, kScreenHeight));

  // The window is centred on the screen, 500 x 157 at 96 DPI.
  const QRect window((kScreenWidth - 500) / 2, (kScreenHeight - 157) / 2, 500, 157);
  auto at = [&](int x, int y) { return QColor(image.pixel(window.x() + x, window.y() + y)); };
  EXPECT_EQ(at(250, 13), QColor(241, 241, 241)) << "caption bar";
  EXPECT_EQ(at(250, 60), QColor(Qt::white)) << "content";
  // The bar's track runs from 21 to 500 - 2 - 21 on the panel, 82 below its top.
  const int barY = 1 + 26 + 82 + 3;
  EXPECT_EQ(at(1 + 21 + 60, barY), QColor(0x18, 0x8F, 0xCC)) << "filled part";
  EXPECT_EQ(at(1 + 21 + 400, barY), QColor(0xD9, 0xD9, 0xD9)) << "track";
  EXPECT_NE(at(-5, 60), QColor(Qt::white)) << "nothing drawn beside the window";
}

}  // namespace
