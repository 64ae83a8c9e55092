#include "updater/MessageBox.h"

#include <QMessageBox>

#include "updater/WindowDesign.h"

void ShowInformationMessage(QWidget* parent, const char* text) {
  QString message = QString::fromUtf8(text);
  message.replace("\r\n", "\n");
  QMessageBox box(QMessageBox::Information, QString::fromUtf8(window_design::kCaption), message,
                  QMessageBox::Ok, parent);
  box.exec();
}
