// One QApplication for a window suite, made the way the program makes it: Qt's
// own high-DPI scaling off. The platform and its screens come from
// QT_QPA_PLATFORM, set by the test's CMake entry.
#include "tests/unit/ui/qt/QtTestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>

#include "ui/qt/HighDpi.h"

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    UseDevicePixels();
    app_ = new QApplication(argc_, argv_);
  }
  void TearDown() override {
    delete app_;
    app_ = nullptr;
  }

 private:
  int argc_ = 1;
  char name_[16] = "ui_tests";
  char* argv_[2] = {name_, nullptr};
  QApplication* app_ = nullptr;
};

[[maybe_unused]] auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QScreen* ScreenNamed(const QString& name) {
  for (QScreen* screen : QGuiApplication::screens())
    if (screen->name() == name) return screen;
  ADD_FAILURE() << "no screen " << name.toStdString();
  return QGuiApplication::primaryScreen();
}

void ProcessEvents() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

void ShowAndWait(QWidget* window) {
  window->show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
  ProcessEvents();
}

void MoveTo(QWidget* window, const QPoint& position) {
  window->move(position);
  ProcessEvents();
}

QString GrabFolder() {
  const QString folder = QStringLiteral(UPDATER_BUILD_DIR "/test-output/ui");
  QDir().mkpath(folder);
  return folder;
}
