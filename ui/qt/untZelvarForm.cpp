#include "ui/qt/untZelvarForm.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

#include "ui/CaptionLayout.h"
#include "ui/FrameDesign.h"
#include "ui/qt/Fonts.h"
#include "ui/qt/HighDpi.h"
#include "ui/qt/QVGDIUtil.h"

namespace {

QColor Colour(FrameDesign::TRgb rgb) {
  return QColor(rgb.R, rgb.G, rgb.B);
}

const QColor kCaptionBarColour = Colour(FrameDesign::kCaptionBarColour);
const QColor kCaptionTextColour = Colour(FrameDesign::kCaptionTextColour);
const QColor kActiveBorder = Colour(FrameDesign::kActiveBorder);
const QColor kInactiveBorder = Colour(FrameDesign::kInactiveBorder);
constexpr int kBorder = FrameDesign::kBorder;

QImage LoadImage(const char* path) {
  return QImage(QString::fromLatin1(path));
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
  FormMinButton->SetGlyphSize(FrameDesign::kMinGlyph);
  FormMinButton->SetGlyphOpacity(FrameDesign::kOtherOpacityAtStart);
  FormMaxButton->SetGlyph(TGlyphButton::gkMaximize);
  FormMaxButton->SetGlyphSize(FrameDesign::kMaxGlyph);
  FormMaxButton->SetGlyphOpacity(FrameDesign::kOtherOpacityAtStart);
  FormCloseButton->SetGlyph(TGlyphButton::gkClose);
  FormCloseButton->SetGlyphSize(FrameDesign::kCloseGlyph);
  FormCloseButton->SetGlyphOpacity(FrameDesign::kCloseOpacityAtStart);

  // Design pictures: the 1x logo, and the default icon at 24 x 25.
  FormLogo->setPixmap(QPixmap::fromImage(FormImageList[0]));
  if (auto icon = ScalePng(&FormImageList[FrameDesign::kDefaultIconIndex], FrameDesign::kIconWidth,
                           FrameDesign::kIconHeight))
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
  scPanel1->resize(IconPanelWidth(DPIVal(5), FormIcon->width()), FormCaptionBar->height());
  FormIcon->move(DPIVal(5), IconTop(scPanel1->height(), FormIcon->height()));
}

void TZelvarForm::ScaleCaptionBar() {
  const TCaptionMetrics m = ScaledCaptionMetrics(StyledForm->CurrentPPI());
  FormCaptionBar->resize(FormCaptionBar->width(), m.BarHeight);
  FormMinButton->SetGlyphSize(m.MinGlyph);
  FormMaxButton->SetGlyphSize(m.MaxGlyph);
  FormCloseButton->SetGlyphSize(m.CloseGlyph);
  for (TGlyphButton* button : {FormMinButton, FormMaxButton, FormCloseButton})
    button->resize(m.ButtonWidth, button->height());

  // Always from the unscaled sources, never from a picture scaled before.
  if (auto logo =
          ScalePng(&FormImageList[FrameDesign::kLogoSourceIndex], m.LogoWidth, m.LogoHeight)) {
    FormLogo->setPixmap(QPixmap::fromImage(*logo));
    FormLogo->resize(logo->width(), FormLogo->height());
  }
  const QImage* iconSource =
      OrgFormIcon ? &*OrgFormIcon : &FormImageList[FrameDesign::kDefaultIconIndex];
  if (auto icon = ScalePng(iconSource, m.IconSize, m.IconSize)) {
    FormIcon->setPixmap(QPixmap::fromImage(*icon));
    FormIcon->resize(icon->size());
  }
  PlaceFormIcon();
  logoMargin_ = m.LogoMargin;
  captionMargin_ = m.CaptionMargin;
  FormCaption->setFont(FrameFont(-m.FontHeight));
  LayoutCaptionBar();
}

void TZelvarForm::LayoutCaptionBar() {
  FormCaptionBar->setGeometry(kBorder, kBorder, width() - 2 * kBorder, FormCaptionBar->height());
  const TCaptionLayout layout = LayoutCaption({
      .BarWidth = FormCaptionBar->width(),
      .BarHeight = FormCaptionBar->height(),
      .TopMargin = DPIVal(FrameDesign::kTopMargin),
      .LogoVisible = !FormLogo->isHidden(),
      .LogoWidth = FormLogo->width(),
      .LogoMargin = logoMargin_,
      .PanelWidth = scPanel1->width(),
      .CaptionVisible = !FormCaption->isHidden(),
      .CaptionMargin = captionMargin_,
      .CloseVisible = !FormCloseButton->isHidden(),
      .MaxVisible = !FormMaxButton->isHidden(),
      .MinVisible = !FormMinButton->isHidden(),
      .CloseWidth = FormCloseButton->width(),
      .MaxWidth = FormMaxButton->width(),
      .MinWidth = FormMinButton->width(),
      .MaxTop = DPIVal(FrameDesign::kMaxTop),
      .MaxGap = DPIVal(FrameDesign::kMaxLeftMargin),
  });
  auto place = [](QWidget* widget, const TCaptionBox& box) {
    widget->setGeometry(box.Left, box.Top, box.Width, box.Height);
  };
  if (!FormLogo->isHidden()) place(FormLogo, layout.Logo);
  place(scPanel1, layout.Panel);
  if (!iconPlaced_) FormIcon->move((scPanel1->width() - FormIcon->width()) / 2, 0);
  if (!FormCloseButton->isHidden()) place(FormCloseButton, layout.Close);
  if (!FormMaxButton->isHidden()) place(FormMaxButton, layout.Max);
  if (!FormMinButton->isHidden()) place(FormMinButton, layout.Min);
  if (!FormCaption->isHidden()) place(FormCaption, layout.Caption);
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
    // Restore at the normal size under the pointer.
    const QRect maximized = geometry();
    const QRect normal = StyledForm->NormalBounds();
    const TScreenPoint place = RestoredUnderPointer(
        {maximized.x(), maximized.y(), maximized.width(), maximized.height()}, normal.width(),
        {dragStart_.x(), dragStart_.y()}, {globalPos.x(), globalPos.y()});
    const int left = place.Left, top = place.Top;
    StyledForm->Restore(QRect(left, top, normal.width(), normal.height()));
    drag_ = TDrag::Move;
    dragOffset_ = globalPos - QPoint(left, top);
    return;
  }
  if (drag_ == TDrag::Move) {
    QScreen* screen = QGuiApplication::screenAt(globalPos);
    if (!screen) screen = this->screen();
    const QRect area = screen->availableGeometry();
    const QPoint wanted = globalPos - dragOffset_;
    const TScreenPoint snapped = SnapToEdges({wanted.x(), wanted.y()}, width(), height(),
                                             {area.x(), area.y(), area.width(), area.height()});
    move(snapped.Left, snapped.Top);
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
  using namespace FrameDesign;
  FormCloseButton->SetGlyphOpacity(active ? kCloseOpacityActive : kCloseOpacityInactive);
  FormMinButton->SetGlyphOpacity(active ? kOtherOpacityActive : kOtherOpacityInactive);
  FormMaxButton->SetGlyphOpacity(active ? kOtherOpacityActive : kOtherOpacityInactive);
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
  QScreen* primary = QGuiApplication::primaryScreen();
  auto rect = [](const QRect& r) { return TScreenRect{r.x(), r.y(), r.width(), r.height()}; };

  TOwnerPlacement placement;
  placement.Direction = Direction;
  placement.W = width();
  placement.H = height();
  placement.HasOwner = AOwner != nullptr;
  placement.WorkArea = rect(primary->availableGeometry());
  placement.Primary = rect(primary->geometry());
  if (AOwner) {
    const QRect O = AOwner->frameGeometry();
    placement.Owner = rect(O);
    placement.OwnerClientWidth = AOwner->width();
    QScreen* ownerScreen = QGuiApplication::screenAt(O.center());
    if (!ownerScreen) ownerScreen = AOwner->screen();
    placement.WorkArea = rect(ownerScreen->availableGeometry());
  }
  if (placement.Direction == fdPrimaryCenter) setScreen(primary);

  const TScreenPoint position = PlaceBesideOwner(placement);
  move(position.Left, position.Top);
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
