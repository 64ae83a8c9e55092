#pragma once

#include <QImage>

#include <vector>

#include "ui/untZelvarForm.h"
#include "ui_untUpdaterMain.h"

// Kind of patch package, from the ending of its URL.
enum TPatchMode { pmZip, pm7z, pmPkgExe };

// Stage shown in the update window.
enum TStatus { stInit, stDownload, stUnextract, stInstall, stError };

// The update window: logo, title, a line asking the user to wait, the status
// line, the percentage and a thin rounded progress bar, in the product's frame
// with only the close button.
class TfmUpdaterMain : public TZelvarForm, public Ui::UpdaterMainDesign {
  Q_OBJECT

 public:
  explicit TfmUpdaterMain(QWidget* parent = nullptr);

  TStatus Status() const { return FStatus; }
  // Shows a stage; the resetting stages also empty the bar and the percentage.
  void SetStatus(TStatus status);
  // Renders the logo for the current scale.
  void LoadLogo();
  // Bound to OnChangeScale: the window's content follows the new DPI.
  void ScaleChanged(QObject* Sender);

  // The logo drawn at twice its design size.
  std::vector<QImage> ImgList;

 protected:
  void FormCreate() override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void LayoutContent();

  TStatus FStatus = stInit;
};
