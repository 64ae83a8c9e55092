#include "updater/untUpdaterMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QThread>

#include "platform/Clock.h"
#include "ui/qt/Fonts.h"
#include "ui/qt/QVGDIUtil.h"
#include "updater/MessageBox.h"
#include "updater/WindowDesign.h"

namespace {

namespace design = window_design;

const QColor kTitleColour(0x1F, 0x1F, 0x1F);
const QColor kTextColour(0x3B, 0x3B, 0x3D);
const QColor kTrackColour(0xD9, 0xD9, 0xD9);
const QColor kBarColour(0x18, 0x8F, 0xCC);

void SetTextColour(QWidget* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

}  // namespace

TfmUpdaterMain::TfmUpdaterMain(QWidget* parent) : TfmUpdaterMain(std::nullopt, parent) {}

TfmUpdaterMain::TfmUpdaterMain(const TUpdateRunSetup& setup, QWidget* parent)
    : TfmUpdaterMain(std::optional<TUpdateRunSetup>(setup), parent) {}

TfmUpdaterMain::TfmUpdaterMain(std::optional<TUpdateRunSetup> setup, QWidget* parent)
    : TZelvarForm(parent, TDerivedForm{}), FSetup(std::move(setup)) {
  Q_INIT_RESOURCE(updater_artwork);

  // The timer comes first, so that binding by name finds its handler.
  TimerUnPack = new QTimer(this);
  TimerUnPack->setObjectName("TimerUnPack");
  TimerUnPack->setSingleShot(true);
  // Also binds the frame's handlers: one pass for the whole window.
  Ui::UpdaterMainDesign::setupUi(this);
  setObjectName("TfmUpdaterMain");
  ImgList = {QImage(":/updater/logo.png")};

  SetTextColour(lblTitle, kTitleColour);
  for (QWidget* label : {lblWait, lblStatus, lblPercent}) SetTextColour(label, kTextColour);
  scProgressMain->SetColor(kTrackColour);
  scProgressBar->SetColor(kBarColour);

  FormCreate();
}

void TfmUpdaterMain::FormCreate() {
  resize(DPIVal(design::kWidth), DPIVal(design::kHeight));
  SetLogoMode(true);
  FormMinButton->hide();
  FormMaxButton->hide();
  SetStatus(stInit);
  OnChangeScale = [this](QObject* Sender) { ScaleChanged(Sender); };
  LayoutContent();
  LoadLogo();

  // Centred on its screen.
  const QRect area = screen()->availableGeometry();
  move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);

  if (FSetup) {
    FRun = std::make_unique<TUpdateRun>(static_cast<TUpdateRunHost&>(*this), *FSetup);
    FRun->Start();
  }
}

TfmUpdaterMain::~TfmUpdaterMain() {
  FormDestroy();
}

void TfmUpdaterMain::FormDestroy() {
  // Stops the transfer and leaves the installation as it was, unless the
  // update landed.
  FRun.reset();
}

void TfmUpdaterMain::closeEvent(QCloseEvent* event) {
  if (FRun) FRun->WindowClosed();
  TZelvarForm::closeEvent(event);
}

void TfmUpdaterMain::SetStatus(TStatus status) {
  if (status == FStatus) return;
  FStatus = status;
  const design::TStageDisplay stage = design::StageDisplay(status);
  if (stage.ResetsProgress) {
    scProgressBar->resize(0, scProgressBar->height());
    lblPercent->setText("0%");
  }
  lblStatus->setText(QString::fromUtf8(stage.Text));
}

void TfmUpdaterMain::LoadLogo() {
  if (auto logo = ScalePng(&ImgList[0], DPIVal(design::kLogoWidth), DPIVal(design::kLogoHeight))) {
    ImgLogo->setPixmap(QPixmap::fromImage(*logo));
    ImgLogo->resize(logo->size());
  }
}

void TfmUpdaterMain::ScaleChanged(QObject*) {
  LayoutContent();
  LoadLogo();
}

void TfmUpdaterMain::resizeEvent(QResizeEvent* event) {
  TZelvarForm::resizeEvent(event);
  LayoutContent();
}

// Design positions on Panel1, scaled to the current DPI.
void TfmUpdaterMain::LayoutContent() {
  const QRect client = ClientRect();
  Panel1->setGeometry(client.x(), client.y(), client.width(), DPIVal(design::kPanelHeight));
  const int panelWidth = Panel1->width();

  setFont(ProductFont(DPIVal(design::kFontHeight)));
  lblTitle->setFont(ProductFont(DPIVal(design::kTitleFontHeight), true));
  for (QWidget* label : {lblWait, lblStatus, lblPercent})
    label->setFont(ProductFont(DPIVal(design::kLineFontHeight)));

  const design::TContentPlaces places =
      design::PlaceContent(panelWidth, [this](int value) { return DPIVal(value); });
  auto placeLine = [](QWidget* label, const design::TLinePlace& place) {
    label->setGeometry(place.Left, place.Top, place.Width, label->fontMetrics().height());
  };
  ImgLogo->move(places.LogoLeft, places.LogoTop);
  placeLine(lblTitle, places.Title);
  placeLine(lblWait, places.Wait);
  placeLine(lblStatus, places.Status);
  placeLine(lblPercent, places.Percent);

  const int height = places.TrackHeight;
  const qreal radius = qreal(design::kTrackRadius) * height / design::kTrackHeight;
  const int bar =
      design::KeptBarWidth(scProgressBar->width(), scProgressMain->width(), places.TrackWidth);
  scProgressMain->setGeometry(places.TrackLeft, places.TrackTop, places.TrackWidth, height);
  scProgressMain->SetRadius(radius);
  scProgressBar->setGeometry(0, 0, bar, height);
  scProgressBar->SetRadius(radius);
}

void TfmUpdaterMain::ShowStatusLine(const std::string& text) {
  lblStatus->setText(QString::fromStdString(text));
}

void TfmUpdaterMain::ShowProgress(int percent, bool withPercentage) {
  scProgressBar->resize(BarWidth(percent, scProgressMain->width()), scProgressBar->height());
  scProgressBar->update();
  if (withPercentage) lblPercent->setText(QString::number(percent) + "%");
}

void TfmUpdaterMain::StartTimer(uint32_t milliseconds) {
  TimerUnPack->start(static_cast<int>(milliseconds));
}

void TfmUpdaterMain::StopTimer() {
  TimerUnPack->stop();
}

void TfmUpdaterMain::on_TimerUnPack_timeout() {
  if (FRun) FRun->TimerFired();
}

void TfmUpdaterMain::ProcessMessages() {
  QCoreApplication::processEvents();
}

void TfmUpdaterMain::Repaint() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TfmUpdaterMain::ShowMessage(const std::string& text) {
  ShowInformationMessage(this, text.c_str());
}

void TfmUpdaterMain::CloseWindow() {
  close();
}

void TfmUpdaterMain::Terminate() {
  FTerminated = true;
  QCoreApplication::quit();
}

uint64_t TfmUpdaterMain::TickCount() {
  return platform::TickCount();
}

platform::LocalTime TfmUpdaterMain::LocalTime() {
  return platform::LocalTimeNow();
}

void TfmUpdaterMain::Sleep(uint32_t milliseconds) {
  QThread::msleep(milliseconds);
}
