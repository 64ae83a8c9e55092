#include "updater/UpdaterApplication.h"

TUpdaterApplication::TUpdaterApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TUpdaterApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    return false;
  }
}
