#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/win32/untZelvarForm.h"
#include "updater/UpdateRun.h"
#include "updater/UpdateRunHost.h"

// A line of text the window paints; bounds in client coordinates.
struct TContentLabel : TFramePart {
  std::wstring Text;
  int FontHeight = 0;  // the characters' height in pixels
  int Weight = FW_NORMAL;
  COLORREF Colour = 0;
  bool RightAligned = false;
  ui_win32::UniqueFont Font;
};

// A filled rounded rectangle; bounds in client coordinates.
struct TRoundPanel : TFramePart {
  COLORREF Colour = 0;
  int Radius = 0;
};

// The update window: logo, title, a line asking the user to wait, the status
// line, the percentage and a thin rounded progress bar, in the product's frame
// with only the close button. Given a run setup it is the host of the update
// run and shows what the run tells it. Its content is painted, not made of
// child windows: nothing in it takes input.
class TfmUpdaterMain : public TZelvarForm, private TUpdateRunHost {
 public:
  // The window alone, without a run.
  TfmUpdaterMain();
  // The window of an update run, which starts before the window is shown.
  explicit TfmUpdaterMain(const TUpdateRunSetup& setup);
  ~TfmUpdaterMain() override;

  TStatus Status() const { return FStatus; }
  // Shows a stage; the resetting stages also empty the bar and the percentage.
  void SetStatus(TStatus status) override;
  // Renders the logo for the current scale.
  void LoadLogo();
  // Bound to OnChangeScale: the window's content follows the new DPI.
  void ScaleChanged(TZelvarForm* Sender);
  // The run has ended the application (after a successful update).
  bool Terminated() const { return FTerminated; }
  // The run this window hosts, if any.
  TUpdateRun* Run() { return FRun.get(); }
  // The window as its run drives it.
  TUpdateRunHost& RunHost() { return *this; }

  using TZelvarForm::ClientRect;

  // The logo drawn at twice its design size.
  std::vector<TPngImage> ImgList;

  TFramePart Panel1;
  TFrameImage ImgLogo;
  TContentLabel lblTitle;
  TContentLabel lblWait;
  TContentLabel lblStatus;
  TContentLabel lblPercent;
  TRoundPanel scProgressMain;
  TRoundPanel scProgressBar;

 protected:
  void FormCreate() override;
  void FormDestroy() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PaintContent(HDC dc, const RECT& client) override;

 private:
  explicit TfmUpdaterMain(std::optional<TUpdateRunSetup> setup);
  void LayoutContent();
  void Invalidate();

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
  std::unique_ptr<TUpdateRun> FRun;
  bool FTerminated = false;
};
