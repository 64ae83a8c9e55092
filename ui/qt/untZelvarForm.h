#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "ui/Placement.h"
#include "ui/qt/StyledForm.h"
#include "ui_untZelvarForm.h"

// The product's frameless window: its own caption bar with a wide logo or an
// icon and title, glyph buttons, DPI scaling of every caption-bar length, and
// placement beside an owner. Windows derive from it.
//
// Handlers are bound by name. A derived window with a form of its own uses the
// protected constructor and binds every handler, its own and these, with one
// connectSlotsByName once its form is set up; it then runs its own FormCreate.
class TZelvarForm : public QWidget, public Ui::ZelvarFormDesign {
  Q_OBJECT

 public:
  explicit TZelvarForm(QWidget* parent = nullptr);
  ~TZelvarForm() override;

  virtual void ShowOwner(QWidget* AOwner, TFormDirection Direction);
  // Drops the top-most state, keeping the window above ordinary ones, without
  // moving, sizing or activating it. A window that is not top-most is left alone.
  void PostTopMost();
  // A length designed at 96 DPI, scaled to the window's current DPI.
  int DPIVal(int Value) const;
  void SetFormIcon(const QImage& Icon);

  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString& caption);
  bool LogoMode() const { return FLogoMode; }
  void SetLogoMode(bool value);

  // Called with the window after the caption bar was rescaled for a new DPI.
  std::function<void(QObject* Sender)> OnChangeScale;

  // The icon last given to SetFormIcon, unscaled.
  std::optional<QImage> OrgFormIcon;

  TStyledForm* StyledForm;
  // "1x", "1.5", "2x", "4x" (the source of the logo at every DPI) and
  // "Group 1000002634" (the default icon).
  std::vector<QImage> FormImageList;

 protected:
  struct TDerivedForm {};
  TZelvarForm(QWidget* parent, TDerivedForm);

  // The area below the caption bar, inside the border.
  QRect ClientRect() const;

  virtual void FormCreate();
  virtual void FormDestroy();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void on_FormMinButton_clicked();
  void on_FormMaxButton_clicked();
  void on_FormCloseButton_clicked();
  void on_StyledForm_DWMClientMaximize();
  void on_StyledForm_DWMClientRestore();
  void on_StyledForm_ChangeActive();
  void on_StyledForm_ChangeScale(double factor);
  void on_ActionEsc_triggered();

 private:
  void SetUpForm();
  void ScaleCaptionBar();
  void PlaceFormIcon();
  void LayoutCaptionBar();

  void FormCaptionBarDblClick();
  void FormCaptionBarMouseDown(const QPoint& globalPos);
  void FormCaptionBarMouseMove(const QPoint& globalPos);
  void FormCaptionBarMouseUp();

  bool FLogoMode = false;
  bool derived_;
  bool iconPlaced_ = false;  // FormIcon placed by scaling, not centred by design
  int logoMargin_ = 12;      // left margins of FormLogo and FormCaption
  int captionMargin_ = 2;

  enum class TDrag { None, Move, DragOut };
  TDrag drag_ = TDrag::None;
  QPoint dragStart_;   // pointer position where the drag-out began
  QPoint dragOffset_;  // pointer position relative to the window while moving
};
