#include "tests/tools/update/WindowRunSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>

namespace testing_tools {

MessageAnswerer::MessageAnswerer(std::function<void()> atMessage)
    : atMessage_(std::move(atMessage)) {
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    texts.push_back(box->text().toStdString());
    icons.push_back(box->icon());
    buttons.push_back(box->standardButtons());
    if (atMessage_) atMessage_();
    box->button(QMessageBox::Ok)->click();
  });
  timer_.start(20);
}

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > timeoutMs) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace testing_tools
