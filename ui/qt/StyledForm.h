#pragma once

#include <QMetaObject>
#include <QObject>
#include <QRect>

class QScreen;
class QWidget;

// Stands in for the platform frame of a frameless window: it keeps the
// window's DPI, maximizes into the work area and restores, and reports
// activation, scale changes, maximize and restore.
class TStyledForm : public QObject {
  Q_OBJECT

 public:
  explicit TStyledForm(QWidget* form);

  // The DPI the window is laid out for: its screen's, once it has one.
  int CurrentPPI() const { return formPPI_; }

  bool IsMaximized() const { return maximized_; }
  QRect NormalBounds() const { return normalBounds_; }
  // Fills the work area of the screen under the window's centre.
  void Maximize();
  // Back to the normal bounds, or to `bounds` when given.
  void Restore(const QRect& bounds = QRect());

 signals:
  void ChangeActive();
  // The window's DPI differs from the one it was last scaled for.
  void ChangeScale(double factor);
  void DWMClientMaximize();
  void DWMClientRestore();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Attach();
  void WatchScreen(QScreen* screen);
  void CheckScale();

  QWidget* form_;
  int formPPI_;           // DPI of the window's sizes
  int reportedPPI_ = 96;  // DPI of the last scale report; designs are made at 96
  bool attached_ = false;
  bool maximized_ = false;
  QRect normalBounds_;
  QMetaObject::Connection dpiWatch_;
};
