#pragma once

#include <QApplication>

// The application object of the update run. Every exception that reaches the
// event loop is dropped without a message: the run goes on where it was.
class TUpdaterApplication : public QApplication {
 public:
  TUpdaterApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};
