#pragma once

#include <QImage>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/qt/untZelvarForm.h"
#include "ui_untUpdaterMain.h"
#include "updater/UpdateRun.h"
#include "updater/UpdateRunHost.h"

// The update window: logo, title, a line asking the user to wait, the status
// line, the percentage and a thin rounded progress bar, in the product's frame
// with only the close button. Given a run setup it is the host of the update
// run and shows what the run tells it.
class TfmUpdaterMain : public TZelvarForm, public Ui::UpdaterMainDesign, private TUpdateRunHost {
  Q_OBJECT

 public:
  // The window alone, without a run.
  explicit TfmUpdaterMain(QWidget* parent = nullptr);
  // The window of an update run, which starts before the window is shown.
  explicit TfmUpdaterMain(const TUpdateRunSetup& setup, QWidget* parent = nullptr);
  ~TfmUpdaterMain() override;

  TStatus Status() const { return FStatus; }
  // Shows a stage; the resetting stages also empty the bar and the percentage.
  void SetStatus(TStatus status) override;
  // Renders the logo for the current scale.
  void LoadLogo();
  // Bound to OnChangeScale: the window's content follows the new DPI.
  void ScaleChanged(QObject* Sender);
  // The run has ended the application (after a successful update).
  bool Terminated() const { return FTerminated; }
  // The run this window hosts, if any.
  TUpdateRun* Run() { return FRun.get(); }

  // The logo drawn at twice its design size.
  std::vector<QImage> ImgList;

 protected:
  void FormCreate() override;
  void FormDestroy() override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private slots:
  void on_TimerUnPack_timeout();

 private:
  TfmUpdaterMain(std::optional<TUpdateRunSetup> setup, QWidget* parent);
  void LayoutContent();

  // The run's host.
  void ShowStatusLine(const std::string& text) override;
  void ShowProgress(int percent, bool withPercentage) override;
  void StartTimer(uint32_t milliseconds) override;
  void StopTimer() override;
  void ProcessMessages() override;
  void Repaint() override;
  void ShowMessage(const std::string& text) override;
  void CloseWindow() override;
  void Terminate() override;
  uint64_t TickCount() override;
  platform::LocalTime LocalTime() override;
  void Sleep(uint32_t milliseconds) override;

  TStatus FStatus = stInit;
  std::optional<TUpdateRunSetup> FSetup;
  // The run's one timer: the unpacking attempts and the installer's polling.
  QTimer* TimerUnPack = nullptr;
  std::unique_ptr<TUpdateRun> FRun;
  bool FTerminated = false;
};
