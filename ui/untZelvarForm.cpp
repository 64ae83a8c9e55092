#include "ui/untZelvarForm.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include <cmath>

#include "ui/Fonts.h"
#include "ui/HighDpi.h"
#include "ui/QVGDIUtil.h"

namespace {

const QColor kCaptionBarColour(241, 241, 241);
const QColor kCaptionTextColour(48, 48, 48);
const QColor kActiveBorder(180, 180, 180);
const QColor kInactiveBorder(210, 210, 210);
constexpr int kBorder = 1;      // the thin line standing in for the platform frame
constexpr int kSnapRange = 10;  // how near a screen edge a dragged window snaps to it

QImage LoadImage(const char* path) {
  return QImage(QString::fromLatin1(path));
}

// Moves `position` of a window of `size` onto the work area's edges when it
// comes within the snap range of them.
QPoint Snapped(QPoint position, const QSize& size, const QRect& area) {
  const int right = area.x() + area.width();
  const int bottom = area.y() + area.height();
  if (std::abs(position.x() - area.x()) <= kSnapRange) position.setX(area.x());
  if (std::abs(position.x() + size.width() - right) <= kSnapRange)
    position.setX(right - size.width());
  if (std::abs(position.y() - area.y()) <= kSnapRange) position.setY(area.y());
  if (std::abs(position.y() + size.height() - bottom) <= kSnapRange)
    position.setY(bottom - size.height());
  return position;
}

}  // namespace

TZelvarForm::TZelvarForm(QWidget* parent) : QWidget(parent), derived_(false) {
  SetUpForm();
  QMetaObject::connectSlotsByName(this);
  FormCreate();
}

TZelvarForm::TZelvarForm(QWidget* parent, TDerivedForm) : QWidget(parent), derived_(true) {
  SetUpForm();
}

TZelvarForm::~TZelvarForm() {
  if (!derived_) FormDestroy();
}

void TZelvarForm::SetUpForm() {
  // The resources live in this static library; make sure they are linked in.
  Q_INIT_RESOURCE(artwork);

  setupUi(this);
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  StyledForm = new TStyledForm(this);

  FormImageList = {LoadImage(":/ui/logo_1x.png"), LoadImage(":/ui/logo_1.5x.png"),
                   LoadImage(":/ui/logo_2x.png"), LoadImage(":/ui/logo_4x.png"),
                   LoadImage(":/ui/icon.png")};

  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  setAutoFillBackground(true);
  setFont(FrameFont(11));

  palette.setColor(QPalette::Window, kCaptionBarColour);
  FormCaptionBar->setPalette(palette);
  palette.setColor(QPalette::WindowText, kCaptionTextColour);
  FormCaption->setPalette(palette);
  FormCaption->setFont(FrameFont(15));

  // Design values of the buttons; the close glyph starts fully opaque, the
  // others dimmed until the first activation change.
  FormMinButton->SetGlyph(TGlyphButton::gkMinimize);
  FormMinButton->SetGlyphSize(16);
  FormMinButton->SetGlyphOpacity(200);
  FormMaxButton->SetGlyph(TGlyphButton::gkMaximize);
  FormMaxButton->SetGlyphSize(14);
  FormMaxButton->SetGlyphOpacity(200);
  FormCloseButton->SetGlyph(TGlyphButton::gkClose);
  FormCloseButton->SetGlyphSize(9);
  FormCloseButton->SetGlyphOpacity(255);

  // Design pictures: the 1x logo, and the default icon at 24 x 25.
  FormLogo->setPixmap(QPixmap::fromImage(FormImageList[0]));
  if (auto icon = ScalePng(&FormImageList[4], 24, 25))
    FormIcon->setPixmap(QPixmap::fromImage(*icon));

  for (QWidget* dragArea : {static_cast<QWidget*>(FormCaptionBar), static_cast<QWidget*>(FormLogo),
                            static_cast<QWidget*>(FormCaption), static_cast<QWidget*>(FormIcon)})
    dragArea->installEventFilter(this);
  for (QWidget* button : {FormMinButton, FormMaxButton, FormCloseButton})
    button->installEventFilter(this);
  scPanel1->installEventFilter(this);

  // Made on a screen of another DPI, the window starts at that DPI's size.
  if (StyledForm->CurrentPPI() != 96) resize(DPIVal(width()), DPIVal(height()));
  LayoutCaptionBar();
}

void TZelvarForm::FormCreate() {
  SetLogoMode(false);
  OrgFormIcon.reset();
}

void TZelvarForm::FormDestroy() {
  OrgFormIcon.reset();
}

int TZelvarForm::DPIVal(int Value) const {
  return ScaleFrom96(Value, StyledForm->CurrentPPI());
}

QRect TZelvarForm::ClientRect() const {
  const int top = kBorder + FormCaptionBar->height();
  return QRect(kBorder, top, width() - 2 * kBorder, height() - top - kBorder);
}

void TZelvarForm::SetCaption(const QString& caption) {
  FormCaption->setText(caption);
  setWindowTitle(caption);
}

void TZelvarForm::SetLogoMode(bool value) {
  if (value == FLogoMode) return;
  FLogoMode = value;
  FormLogo->setVisible(value);
  FormIcon->setVisible(!value);
  FormCaption->setVisible(!value);
  LayoutCaptionBar();
}

void TZelvarForm::SetFormIcon(const QImage& Icon) {
  OrgFormIcon = Icon;
  if (auto icon = ScalePng(&*OrgFormIcon, DPIVal(16), DPIVal(16))) {
    FormIcon->setPixmap(QPixmap::fromImage(*icon));
    FormIcon->resize(icon->size());
  }
  PlaceFormIcon();
  LayoutCaptionBar();
}

// scPanel1 follows its icon; the icon sits a pixel below the panel's middle.
void TZelvarForm::PlaceFormIcon() {
  iconPlaced_ = true;
  scPanel1->resize(DPIVal(5) + FormIcon->width(), FormCaptionBar->height());
  FormIcon->move(DPIVal(5), (scPanel1->height() - FormIcon->height()) / 2 + 1);
}

void TZelvarForm::ScaleCaptionBar() {
  FormCaptionBar->resize(FormCaptionBar->width(), MulDivRound(26, StyledForm->CurrentPPI(), 96));
  FormMinButton->SetGlyphSize(DPIVal(18));
  FormMaxButton->SetGlyphSize(DPIVal(15));
  FormCloseButton->SetGlyphSize(DPIVal(11));
  for (TGlyphButton* button : {FormMinButton, FormMaxButton, FormCloseButton})
    button->resize(DPIVal(28), button->height());

  // Always from the unscaled sources, never from a picture scaled before.
  if (auto logo = ScalePng(&FormImageList[3], DPIVal(48), DPIVal(20))) {
    FormLogo->setPixmap(QPixmap::fromImage(*logo));
    FormLogo->resize(logo->width(), FormLogo->height());
  }
  const QImage* iconSource = OrgFormIcon ? &*OrgFormIcon : &FormImageList[4];
  if (auto icon = ScalePng(iconSource, DPIVal(16), DPIVal(16))) {
    FormIcon->setPixmap(QPixmap::fromImage(*icon));
    FormIcon->resize(icon->size());
  }
  PlaceFormIcon();
  logoMargin_ = DPIVal(12);
  captionMargin_ = DPIVal(5);
  FormCaption->setFont(FrameFont(-DPIVal(-15)));
  LayoutCaptionBar();
}

// Left to right: logo, icon panel, title; right to left: close, maximize,
// minimize. Hidden elements take no room.
void TZelvarForm::LayoutCaptionBar() {
  FormCaptionBar->setGeometry(kBorder, kBorder, width() - 2 * kBorder, FormCaptionBar->height());
  const int barHeight = FormCaptionBar->height();
  const int topMargin = DPIVal(2);

  int left = 0;
  if (!FormLogo->isHidden()) {
    left += logoMargin_;
    FormLogo->setGeometry(left, topMargin, FormLogo->width(), barHeight - topMargin);
    left += FormLogo->width();
  }
  scPanel1->setGeometry(left, 0, scPanel1->width(), barHeight);
  if (!iconPlaced_) FormIcon->move((scPanel1->width() - FormIcon->width()) / 2, 0);
  left += scPanel1->width();

  int right = FormCaptionBar->width();
  if (!FormCloseButton->isHidden()) {
    right -= 1;
    right -= FormCloseButton->width();
    FormCloseButton->setGeometry(right, 0, FormCloseButton->width(), barHeight);
  }
  if (!FormMaxButton->isHidden()) {
    const int top = DPIVal(1);
    right -= FormMaxButton->width();
    FormMaxButton->setGeometry(right, top, FormMaxButton->width(), barHeight - top);
    right -= DPIVal(2);
  }
  if (!FormMinButton->isHidden()) {
    right -= FormMinButton->width();
    FormMinButton->setGeometry(right, 0, FormMinButton->width(), barHeight);
  }

  if (!FormCaption->isHidden()) {
    left += captionMargin_;
    FormCaption->setGeometry(left, topMargin, std::max(0, right - left), barHeight - topMargin);
  }
}

void TZelvarForm::resizeEvent(QResizeEvent* event) {
  LayoutCaptionBar();
  QWidget::resizeEvent(event);
}

void TZelvarForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setPen(isActiveWindow() ? kActiveBorder : kInactiveBorder);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool TZelvarForm::eventFilter(QObject* watched, QEvent* event) {
  const bool isButton =
      watched == FormMinButton || watched == FormMaxButton || watched == FormCloseButton;
  if (isButton) {
    if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent)
      LayoutCaptionBar();
    return QWidget::eventFilter(watched, event);
  }
  if (watched == scPanel1) {
    // The icon's panel is no drag area: its clicks stop here instead of
    // reaching the caption bar.
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        return true;
      default:
        return QWidget::eventFilter(watched, event);
    }
  }

  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) break;
      FormCaptionBarMouseDown(mouse->globalPosition().toPoint());
      return true;
    }
    case QEvent::MouseMove:
      if (drag_ == TDrag::None) break;
      FormCaptionBarMouseMove(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
      return true;
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
      FormCaptionBarMouseUp();
      return true;
    case QEvent::MouseButtonDblClick:
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
      FormCaptionBarDblClick();
      return true;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}

void TZelvarForm::FormCaptionBarDblClick() {
  drag_ = TDrag::None;
  if (StyledForm->IsMaximized())
    StyledForm->Restore();
  else
    StyledForm->Maximize();
}

void TZelvarForm::FormCaptionBarMouseDown(const QPoint& globalPos) {
  if (StyledForm->IsMaximized()) {
    drag_ = TDrag::DragOut;
    dragStart_ = globalPos;
    return;
  }
  // The platform moves the window itself where it can; elsewhere we follow
  // the pointer.
  if (windowHandle() && windowHandle()->startSystemMove()) {
    drag_ = TDrag::None;
    return;
  }
  drag_ = TDrag::Move;
  dragOffset_ = globalPos - pos();
}

void TZelvarForm::FormCaptionBarMouseMove(const QPoint& globalPos) {
  if (drag_ == TDrag::DragOut) {
    if (globalPos == dragStart_) return;
    // Restore at the normal size under the pointer: the same relative
    // horizontal place across the width, moved by the pointer's vertical travel.
    const QRect maximized = geometry();
    const QRect normal = StyledForm->NormalBounds();
    const double across =
        maximized.width() > 0 ? double(dragStart_.x() - maximized.x()) / maximized.width() : 0.5;
    const int left = globalPos.x() - static_cast<int>(std::lround(across * normal.width()));
    const int top = maximized.y() + (globalPos.y() - dragStart_.y());
    StyledForm->Restore(QRect(left, top, normal.width(), normal.height()));
    drag_ = TDrag::Move;
    dragOffset_ = globalPos - QPoint(left, top);
    return;
  }
  if (drag_ == TDrag::Move) {
    QScreen* screen = QGuiApplication::screenAt(globalPos);
    if (!screen) screen = this->screen();
    move(Snapped(globalPos - dragOffset_, size(), screen->availableGeometry()));
  }
}

void TZelvarForm::FormCaptionBarMouseUp() {
  drag_ = TDrag::None;
}

void TZelvarForm::on_FormMinButton_clicked() {
  // The whole application goes, not only this window.
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->isVisible() &&
        (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog))
      window->showMinimized();
}

void TZelvarForm::on_FormMaxButton_clicked() {
  FormCaptionBarDblClick();
}

// The same path as the platform's own close command.
void TZelvarForm::on_FormCloseButton_clicked() {
  close();
}

void TZelvarForm::on_StyledForm_DWMClientMaximize() {
  FormMaxButton->SetGlyph(TGlyphButton::gkRestore);
}

void TZelvarForm::on_StyledForm_DWMClientRestore() {
  FormMaxButton->SetGlyph(TGlyphButton::gkMaximize);
}

void TZelvarForm::on_StyledForm_ChangeActive() {
  const bool active = isActiveWindow();
  FormCloseButton->SetGlyphOpacity(active ? 255 : 150);
  FormMinButton->SetGlyphOpacity(active ? 190 : 120);
  FormMaxButton->SetGlyphOpacity(active ? 190 : 120);
  update();
}

// The factor that comes with the report is not used: every size is taken
// from the window's current DPI.
void TZelvarForm::on_StyledForm_ChangeScale(double) {
  ScaleCaptionBar();
  if (OnChangeScale) OnChangeScale(this);
}

// Esc is taken so that it neither closes nor cancels the window.
void TZelvarForm::on_ActionEsc_triggered() {}

void TZelvarForm::ShowOwner(QWidget* AOwner, TFormDirection Direction) {
  // Only the centred placements can do without an owner.
  if (!AOwner && Direction != fdPrimaryCenter) Direction = fdCenter;

  const int W = width();
  const int H = height();
  QScreen* primary = QGuiApplication::primaryScreen();
  const QRect primaryRect = primary->geometry();

  QRect O;
  int CW = 0;
  QRect workArea = primary->availableGeometry();
  if (AOwner) {
    O = AOwner->frameGeometry();
    CW = AOwner->width();
    QScreen* ownerScreen = QGuiApplication::screenAt(O.center());
    if (!ownerScreen) ownerScreen = AOwner->screen();
    workArea = ownerScreen->availableGeometry();
  }
  // Right and Bottom lie just past the area, as the platform's rectangles have them.
  const int waLeft = workArea.x();
  const int waTop = workArea.y();
  const int waRight = workArea.x() + workArea.width();
  const int waBottom = workArea.y() + workArea.height();
  const int waWidth = workArea.width();

  int Left = 0;
  int Top = 0;
  auto bottomCheck = [&] {
    if (Top + H > waBottom) Top = waBottom - H;
  };
  auto leftOrCentre = [&] {
    if (Left + W > waRight)
      Left = O.x() - W - 1 > waLeft ? O.x() - W - 1 : waLeft + (waWidth - W) / 2;
  };
  auto rightSide = [&] {
    if (Left < waLeft) Left = O.x() + O.width() + 1;
  };

  switch (Direction) {
    case fdRight:
      Top = O.y();
      Left = O.x() + CW;
      bottomCheck();
      leftOrCentre();
      break;
    case fdCenter:
      if (AOwner) {
        Left = O.x() + (O.width() - W) / 2;
        Top = O.y() + (O.height() - H) / 2;
      } else {
        Left = primaryRect.x() + (primaryRect.width() - W) / 2;
        Top = primaryRect.y() + (primaryRect.height() - H) / 2;
      }
      break;
    case fdLeft:
      Top = O.y();
      Left = O.x() - W - 1;
      bottomCheck();
      rightSide();
      break;
    case fdLeftBottom:
      Top = O.y() + O.height() - H;
      Left = O.x() - W - 1;
      bottomCheck();
      rightSide();
      break;
    case fdRightBottom:
      Top = O.y() + O.height() - H;
      Left = O.x() + O.width() + 1;
      bottomCheck();
      leftOrCentre();
      break;
    case fdPrimaryCenter:
      setScreen(primary);
      Left = primaryRect.x() + (primaryRect.width() - W) / 2;
      Top = primaryRect.y() + (primaryRect.height() - H) / 2;
      break;
  }

  if (AOwner) {
    if (Left < waLeft - 100 || Left > waRight - 100)
      Left = primaryRect.x() + (primaryRect.width() - W) / 2;
    if (Top < waTop) Top = waTop;
  }

  move(Left, Top);
  show();
  ScaleCaptionBar();
}

void TZelvarForm::PostTopMost() {
  if (!(windowFlags() & Qt::WindowStaysOnTopHint)) return;
  const QRect bounds = geometry();
  const bool wasVisible = isVisible();
  const bool quiet = testAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_ShowWithoutActivating, true);
  // Changing the flag may hide the window; it comes back where it was.
  setWindowFlag(Qt::WindowStaysOnTopHint, false);
  setGeometry(bounds);
  if (wasVisible) {
    if (!isVisible()) show();
    raise();
  }
  setAttribute(Qt::WA_ShowWithoutActivating, quiet);
}
