#pragma once

#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace testing_tools {

// The run's two messages as a message box shows them.
inline constexpr char kDownloadFailedMessage[] =
    "파일을 다운로드 할 수 없습니다.\n잠시 후 다시 시도해 주십시오.";
inline constexpr char kUnpackFailedMessage[] =
    "파일을 압축해제할 수 없습니다.\n잠시 후 다시 시도해 주십시오.";

// Answers every message box with OK and keeps what it said; `atMessage` runs
// while the box is up, to look at the window at that moment.
class MessageAnswerer {
 public:
  explicit MessageAnswerer(std::function<void()> atMessage = {});
  std::vector<std::string> texts;
  std::vector<QMessageBox::Icon> icons;
  std::vector<QMessageBox::StandardButtons> buttons;

 private:
  QTimer timer_;
  std::function<void()> atMessage_;
};

// Handles the application's events until `condition` holds; false after
// `timeoutMs`.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs);

}  // namespace testing_tools
