#include "updater/MessageBox.h"

#include <QMessageBox>

void ShowInformationMessage(QWidget* parent, const char* text) {
  QString message = QString::fromUtf8(text);
  message.replace("\r\n", "\n");
  QMessageBox box(QMessageBox::Information, QString::fromUtf8("젤바 업데이트"), message,
                  QMessageBox::Ok, parent);
  box.exec();
}
