#include "ui/qt/StyledForm.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "ui/qt/HighDpi.h"

TStyledForm::TStyledForm(QWidget* form)
    : QObject(form), form_(form), formPPI_(ScreenPPI(form->screen())) {
  setObjectName("StyledForm");
  form->installEventFilter(this);
}

bool TStyledForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == form_) {
    switch (event->type()) {
      case QEvent::Show:
        Attach();
        CheckScale();
        break;
      case QEvent::ActivationChange:
        emit ChangeActive();
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

// The native window exists from the first show on; from then its screen and
// that screen's DPI are followed.
void TStyledForm::Attach() {
  if (attached_ || !form_->windowHandle()) return;
  attached_ = true;
  // Queued: the platform is still settling the window's geometry when it
  // reports the new screen, and a resize made inside that report is lost.
  connect(
      form_->windowHandle(), &QWindow::screenChanged, this,
      [this](QScreen* screen) {
        WatchScreen(screen);
        CheckScale();
      },
      Qt::QueuedConnection);
  WatchScreen(form_->windowHandle()->screen());
}

void TStyledForm::WatchScreen(QScreen* screen) {
  disconnect(dpiWatch_);
  if (screen)
    dpiWatch_ = connect(
        screen, &QScreen::logicalDotsPerInchChanged, this, [this] { CheckScale(); },
        Qt::QueuedConnection);
}

void TStyledForm::CheckScale() {
  const int ppi = ScreenPPI(form_->screen());
  if (ppi != formPPI_) {
    // The window keeps its physical size on the new screen, as the platform's
    // own per-monitor scaling would resize it.
    const int oldPPI = formPPI_;
    formPPI_ = ppi;
    auto rescale = [&](int length) { return MulDivRound(length, ppi, oldPPI); };
    if (maximized_) {
      normalBounds_.setSize(QSize(rescale(normalBounds_.width()), rescale(normalBounds_.height())));
    } else {
      form_->resize(rescale(form_->width()), rescale(form_->height()));
    }
  }
  if (ppi != reportedPPI_) {
    const double factor = static_cast<double>(ppi) / reportedPPI_;
    reportedPPI_ = ppi;
    emit ChangeScale(factor);
  }
}

void TStyledForm::Maximize() {
  if (maximized_) return;
  QScreen* screen = QGuiApplication::screenAt(form_->geometry().center());
  if (!screen) screen = form_->screen();
  normalBounds_ = form_->geometry();
  maximized_ = true;
  form_->setGeometry(screen->availableGeometry());
  emit DWMClientMaximize();
}

void TStyledForm::Restore(const QRect& bounds) {
  if (!maximized_) return;
  maximized_ = false;
  form_->setGeometry(bounds.isValid() ? bounds : normalBounds_);
  emit DWMClientRestore();
}
