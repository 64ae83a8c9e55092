// The product's frame on the offscreen platform: a 96-DPI screen "a96" at the
// origin (the primary) and a 144-DPI screen "b144" to its right.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <memory>

#include "tests/unit/ui/qt/QtTestEnvironment.h"
#include "ui/qt/untZelvarForm.h"

namespace {

const QPoint kOn96(100, 100);
const QPoint kOn144(2100, 100);

struct ScaleCounter {
  int calls = 0;
  QObject* sender = nullptr;
  void Attach(TZelvarForm& form) {
    form.OnChangeScale = [this](QObject* s) {
      ++calls;
      sender = s;
    };
  }
};

std::unique_ptr<TZelvarForm> ShownForm(const QPoint& position) {
  auto form = std::make_unique<TZelvarForm>();
  form->move(position);
  ShowAndWait(form.get());
  return form;
}

TEST(ZelvarForm, DPIValFollowsTheScreen) {
  auto form = ShownForm(kOn96);
  EXPECT_EQ(form->DPIVal(16), 16);
  EXPECT_EQ(form->DPIVal(5), 5);
  EXPECT_EQ(form->DPIVal(-15), -15);
  MoveTo(form.get(), kOn144);
  ASSERT_EQ(form->screen(), ScreenNamed("b144"));
  EXPECT_EQ(form->DPIVal(16), 24);
  EXPECT_EQ(form->DPIVal(5), 8);
  EXPECT_EQ(form->DPIVal(-15), -23);
}

TEST(ZelvarForm, KeepsDesignValuesUntilTheScaleChanges) {
  ScaleCounter counter;
  auto form = std::make_unique<TZelvarForm>();
  counter.Attach(*form);
  form->move(kOn96);
  ShowAndWait(form.get());
  EXPECT_EQ(counter.calls, 0);
  EXPECT_EQ(form->size(), QSize(651, 338));
  EXPECT_EQ(form->FormCaptionBar->height(), 26);
  EXPECT_EQ(form->FormCloseButton->width(), 32);
  EXPECT_EQ(form->FormCloseButton->GlyphSize(), 9);
  EXPECT_EQ(form->FormMaxButton->height(), 25);
  EXPECT_EQ(form->FormLogo->pixmap().size(), QSize(48, 20));
}

TEST(ZelvarForm, MovingToA144DpiScreenRescalesTheCaptionBarOnce) {
  ScaleCounter counter;
  auto form = std::make_unique<TZelvarForm>();
  counter.Attach(*form);
  form->SetLogoMode(true);
  form->move(kOn96);
  ShowAndWait(form.get());

  MoveTo(form.get(), kOn144);
  EXPECT_EQ(counter.calls, 1);
  EXPECT_EQ(counter.sender, form.get());
  EXPECT_EQ(form->size(), QSize(977, 507));
  EXPECT_EQ(form->FormCaptionBar->height(), 39);
  for (TGlyphButton* button : {form->FormMinButton, form->FormMaxButton, form->FormCloseButton})
    EXPECT_EQ(button->width(), 42) << button->objectName().toStdString();
  EXPECT_EQ(form->FormMinButton->GlyphSize(), 27);
  EXPECT_EQ(form->FormMaxButton->GlyphSize(), 23);
  EXPECT_EQ(form->FormCloseButton->GlyphSize(), 17);
  EXPECT_EQ(form->FormLogo->pixmap().size(), QSize(72, 30));
  EXPECT_EQ(form->FormLogo->x(), 18);
  // The buttons line up from the right edge inside the border.
  EXPECT_EQ(form->FormCloseButton->geometry().right(), form->FormCaptionBar->width() - 2);
  EXPECT_EQ(form->FormMaxButton->geometry().right(), form->FormCloseButton->x() - 1);

  MoveTo(form.get(), kOn144 + QPoint(300, 200));
  EXPECT_EQ(counter.calls, 1) << "a move on the same screen is no scale change";

  MoveTo(form.get(), kOn96);
  EXPECT_EQ(counter.calls, 2);
  EXPECT_EQ(form->size(), QSize(651, 338));
  EXPECT_EQ(form->FormCaptionBar->height(), 26);
  EXPECT_EQ(form->FormCloseButton->width(), 28);
  EXPECT_EQ(form->FormLogo->pixmap().size(), QSize(48, 20));
}

TEST(ZelvarForm, IconIsRescaledFromTheCopyGivenToSetFormIcon) {
  auto form = ShownForm(kOn96);
  QImage red(40, 40, QImage::Format_ARGB32);
  red.fill(qRgba(220, 0, 0, 255));
  form->SetFormIcon(red);
  red.fill(Qt::green);  // the caller's image is its own

  ASSERT_TRUE(form->OrgFormIcon.has_value());
  EXPECT_EQ(form->FormIcon->pixmap().size(), QSize(16, 16));
  EXPECT_EQ(form->scPanel1->width(), 21);
  EXPECT_EQ(form->FormIcon->pos(), QPoint(5, 6));

  MoveTo(form.get(), kOn144);
  const QImage icon = form->FormIcon->pixmap().toImage();
  ASSERT_EQ(icon.size(), QSize(24, 24));
  EXPECT_EQ(icon.pixel(12, 12), qRgba(220, 0, 0, 255));
  EXPECT_EQ(form->scPanel1->width(), 8 + 24);
  EXPECT_EQ(form->FormIcon->pos(), QPoint(8, (39 - 24) / 2 + 1));
}

TEST(ZelvarForm, DefaultIconIsUsedWithoutSetFormIcon) {
  auto form = ShownForm(kOn96);
  EXPECT_FALSE(form->OrgFormIcon.has_value());
  EXPECT_EQ(form->FormIcon->pixmap().size(), QSize(24, 25));
  MoveTo(form.get(), kOn144);
  EXPECT_EQ(form->FormIcon->pixmap().size(), QSize(24, 24));
}

TEST(ZelvarForm, LogoModeSwitchesOnlyOnAChange) {
  TZelvarForm form;
  EXPECT_FALSE(form.LogoMode());
  EXPECT_TRUE(form.FormLogo->isHidden());
  EXPECT_FALSE(form.FormCaption->isHidden());

  form.SetLogoMode(true);
  EXPECT_TRUE(form.LogoMode());
  EXPECT_FALSE(form.FormLogo->isHidden());
  EXPECT_TRUE(form.FormIcon->isHidden());
  EXPECT_TRUE(form.FormCaption->isHidden());
  EXPECT_FALSE(form.scPanel1->isHidden());

  form.FormLogo->hide();
  form.SetLogoMode(true);
  EXPECT_TRUE(form.FormLogo->isHidden()) << "setting the same mode again must change nothing";

  form.SetLogoMode(false);
  EXPECT_TRUE(form.FormLogo->isHidden());
  EXPECT_FALSE(form.FormIcon->isHidden());
  EXPECT_FALSE(form.FormCaption->isHidden());
  EXPECT_FALSE(form.scPanel1->isHidden());
}

TEST(ZelvarForm, CaptionSetsTheTitleLabelAndTheWindowText) {
  TZelvarForm form;
  form.SetCaption(QString::fromUtf8("젤바 설정"));
  EXPECT_EQ(form.Caption(), QString::fromUtf8("젤바 설정"));
  EXPECT_EQ(form.windowTitle(), QString::fromUtf8("젤바 설정"));
  EXPECT_EQ(form.FormCaption->text(), QString::fromUtf8("젤바 설정"));
}

struct PlacementCase {
  const char* name;
  QRect owner;  // empty: no owner
  TFormDirection direction;
  QSize window;
  QPoint expected;
};

TEST(ZelvarForm, ShowOwnerPlacesBesideTheOwnerWithinItsWorkArea) {
  const QSize w(300, 200);
  const PlacementCase cases[] = {
      {"right of the owner", {100, 100, 400, 300}, fdRight, w, {500, 100}},
      {"right edge: to the left", {1520, 100, 400, 300}, fdRight, w, {1219, 100}},
      {"no room either side: centred", {0, 100, 1920, 300}, fdRight, w, {810, 100}},
      {"bottom check", {100, 1000, 400, 300}, fdRight, w, {500, 880}},
      {"left of the owner", {800, 100, 400, 300}, fdLeft, w, {499, 100}},
      {"left edge: to the right", {0, 100, 400, 300}, fdLeft, w, {401, 100}},
      {"left bottom", {800, 100, 400, 300}, fdLeftBottom, w, {499, 200}},
      {"left bottom at the left edge", {0, 100, 400, 300}, fdLeftBottom, w, {401, 200}},
      {"right bottom at the right edge", {1520, 100, 400, 300}, fdRightBottom, w, {1219, 200}},
      {"right bottom", {100, 100, 400, 300}, fdRightBottom, w, {501, 200}},
      {"centred on the owner", {800, 100, 400, 300}, fdCenter, w, {850, 150}},
      {"centred on the primary screen", {}, fdCenter, w, {810, 440}},
      {"primary centre", {}, fdPrimaryCenter, w, {810, 440}},
      {"far left of the work area: re-centred", {0, 100, 50, 100}, fdCenter, w, {810, 50}},
      {"near the right of the work area: re-centred",
       {1860, 100, 60, 100},
       fdCenter,
       {60, 40},
       {930, 130}},
      {"above the work area: moved down", {800, 0, 400, 100}, fdCenter, w, {850, 0}},
      {"the owner's monitor decides", {1920, 100, 400, 300}, fdLeft, w, {2321, 100}},
  };
  for (const PlacementCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<QWidget> owner;
    if (!c.owner.isEmpty()) {
      owner = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
      owner->setGeometry(c.owner);
      ShowAndWait(owner.get());
      ASSERT_EQ(owner->frameGeometry(), c.owner);
    }
    TZelvarForm form;
    form.resize(c.window);
    form.ShowOwner(owner.get(), c.direction);
    ProcessEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.pos(), c.expected);
  }
}

TEST(ZelvarForm, ShowOwnerRunsScaleCaptionBar) {
  TZelvarForm form;
  form.ShowOwner(nullptr, fdCenter);
  ProcessEvents();
  EXPECT_EQ(form.FormCloseButton->width(), 28);
  EXPECT_EQ(form.FormCloseButton->GlyphSize(), 11);
}

TEST(ZelvarForm, EscIsTakenAndDoesNothing) {
  auto form = ShownForm(kOn96);
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QSignalSpy esc(form->ActionEsc, &QAction::triggered);
  QTest::keyClick(form.get(), Qt::Key_Escape);
  ProcessEvents();
  EXPECT_EQ(esc.count(), 1);
  EXPECT_TRUE(form->isVisible());
}

class CountingForm : public TZelvarForm {
 public:
  int closeRequests = 0;
  bool refuse = false;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++closeRequests;
    if (refuse) event->ignore();
  }
};

TEST(ZelvarForm, CloseButtonTakesThePlatformsClosePath) {
  CountingForm form;
  form.move(kOn96);
  ShowAndWait(&form);
  form.refuse = true;
  QTest::mouseClick(form.FormCloseButton, Qt::LeftButton);
  EXPECT_EQ(form.closeRequests, 1);
  EXPECT_TRUE(form.isVisible()) << "a refused close keeps the window";
  form.refuse = false;
  QTest::mouseClick(form.FormCloseButton, Qt::LeftButton);
  EXPECT_EQ(form.closeRequests, 2);
  EXPECT_FALSE(form.isVisible());
}

TEST(ZelvarForm, MinButtonMinimizesTheWholeApplication) {
  auto form = ShownForm(kOn96);
  QWidget other;
  other.move(600, 600);
  ShowAndWait(&other);
  QTest::mouseClick(form->FormMinButton, Qt::LeftButton);
  ProcessEvents();
  EXPECT_TRUE(form->isMinimized());
  EXPECT_TRUE(other.isMinimized());
}

TEST(ZelvarForm, DoubleClickAndMaxButtonMaximizeIntoTheWorkAreaAndRestore) {
  auto form = ShownForm(kOn144);
  const QRect normal = form->geometry();
  QTest::mouseDClick(form->FormCaptionBar, Qt::LeftButton, {}, QPoint(200, 10));
  ProcessEvents();
  EXPECT_EQ(form->geometry(), ScreenNamed("b144")->availableGeometry());
  EXPECT_EQ(form->FormMaxButton->Glyph(), TGlyphButton::gkRestore);

  QTest::mouseClick(form->FormMaxButton, Qt::LeftButton);
  ProcessEvents();
  EXPECT_EQ(form->geometry(), normal);
  EXPECT_EQ(form->FormMaxButton->Glyph(), TGlyphButton::gkMaximize);

  QTest::mouseClick(form->FormMaxButton, Qt::LeftButton);
  ProcessEvents();
  EXPECT_EQ(form->geometry(), ScreenNamed("b144")->availableGeometry());
  QTest::mouseDClick(form->FormCaption, Qt::LeftButton, {}, QPoint(5, 5));
  ProcessEvents();
  EXPECT_EQ(form->geometry(), normal);
}

TEST(ZelvarForm, DraggingTheCaptionBarMovesTheWindow) {
  auto form = ShownForm(QPoint(300, 300));
  QTest::mousePress(form->FormCaption, Qt::LeftButton, {}, QPoint(10, 10));
  QTest::mouseMove(form->FormCaption, QPoint(110, 60));
  QTest::mouseRelease(form->FormCaption, Qt::LeftButton, {}, QPoint(110, 60));
  ProcessEvents();
  EXPECT_EQ(form->pos(), QPoint(400, 350));

  // Near a screen edge the window snaps to it.
  QTest::mousePress(form->FormCaptionBar, Qt::LeftButton, {}, QPoint(200, 10));
  QTest::mouseMove(form->FormCaptionBar, QPoint(200 - 395, 10 - 343));
  QTest::mouseRelease(form->FormCaptionBar, Qt::LeftButton);
  ProcessEvents();
  EXPECT_EQ(form->pos(), QPoint(0, 0));

  // The icon's panel is no drag area, and double-clicking it maximizes nothing.
  form->SetLogoMode(true);
  QTest::mousePress(form->scPanel1, Qt::LeftButton, {}, QPoint(2, 10));
  QTest::mouseMove(form->scPanel1, QPoint(102, 60));
  QTest::mouseRelease(form->scPanel1, Qt::LeftButton, {}, QPoint(102, 60));
  QTest::mouseDClick(form->scPanel1, Qt::LeftButton, {}, QPoint(2, 10));
  ProcessEvents();
  EXPECT_EQ(form->pos(), QPoint(0, 0));
  EXPECT_FALSE(form->StyledForm->IsMaximized());
}

TEST(ZelvarForm, DraggingAMaximizedWindowRestoresItUnderThePointer) {
  auto form = ShownForm(QPoint(300, 300));
  const QSize normal = form->size();
  QTest::mouseClick(form->FormMaxButton, Qt::LeftButton);
  ProcessEvents();
  ASSERT_EQ(form->geometry(), ScreenNamed("a96")->availableGeometry());

  const QPoint press(960, 10);  // half way across the maximized window
  const QPoint pressGlobal = form->FormCaptionBar->mapToGlobal(press);
  QTest::mousePress(form->FormCaptionBar, Qt::LeftButton, {}, press);
  ProcessEvents();
  EXPECT_EQ(form->geometry(), ScreenNamed("a96")->availableGeometry())
      << "a press alone restores nothing";

  QTest::mouseMove(form->FormCaptionBar, press + QPoint(0, 40));
  ProcessEvents();
  EXPECT_EQ(form->size(), normal);
  const double across = double(pressGlobal.x()) / 1920;
  EXPECT_EQ(form->x(), pressGlobal.x() - qRound(across * normal.width()));
  EXPECT_EQ(form->y(), 40);
  EXPECT_EQ(form->FormMaxButton->Glyph(), TGlyphButton::gkMaximize);

  // The drag goes on as a move until the button is released.
  const QPoint before = form->pos();
  QTest::mouseMove(form->FormCaptionBar,
                   form->FormCaptionBar->mapFromGlobal(pressGlobal + QPoint(50, 90)));
  ProcessEvents();
  EXPECT_EQ(form->pos(), before + QPoint(50, 50));
  QTest::mouseRelease(form->FormCaptionBar, Qt::LeftButton);
}

TEST(ZelvarForm, ActivationChangesTheGlyphOpacity) {
  auto form = std::make_unique<TZelvarForm>();
  EXPECT_EQ(form->FormCloseButton->GlyphOpacity(), 255);
  EXPECT_EQ(form->FormMinButton->GlyphOpacity(), 200);
  EXPECT_EQ(form->FormMaxButton->GlyphOpacity(), 200);

  form->move(kOn96);
  ShowAndWait(form.get());
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  EXPECT_EQ(form->FormCloseButton->GlyphOpacity(), 255);
  EXPECT_EQ(form->FormMinButton->GlyphOpacity(), 190);
  EXPECT_EQ(form->FormMaxButton->GlyphOpacity(), 190);

  QWidget other;
  other.move(900, 500);
  ShowAndWait(&other);
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_EQ(form->FormCloseButton->GlyphOpacity(), 150);
  EXPECT_EQ(form->FormMinButton->GlyphOpacity(), 120);
  EXPECT_EQ(form->FormMaxButton->GlyphOpacity(), 120);
}

TEST(ZelvarForm, PostTopMostDropsOnlyTheTopMostState) {
  TZelvarForm topMost;
  topMost.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  topMost.setGeometry(200, 200, 400, 150);
  ShowAndWait(&topMost);
  topMost.PostTopMost();
  ProcessEvents();
  EXPECT_FALSE(topMost.windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_TRUE(topMost.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(topMost.isVisible());
  EXPECT_EQ(topMost.geometry(), QRect(200, 200, 400, 150));

  TZelvarForm ordinary;
  ordinary.setGeometry(300, 300, 400, 150);
  ShowAndWait(&ordinary);
  const Qt::WindowFlags flags = ordinary.windowFlags();
  ordinary.PostTopMost();
  EXPECT_EQ(ordinary.windowFlags(), flags);
  EXPECT_TRUE(ordinary.isVisible());
  EXPECT_EQ(ordinary.geometry(), QRect(300, 300, 400, 150));
}

}  // namespace

namespace {

// One channel of the caption bar's colour with another laid over it; the
// raster engine's 8-bit blending may differ by a step or two.
int Blend(int over, int alpha) {
  return 241 + ((over - 241) * alpha + 127) / 255;
}

QColor PixelOf(QWidget& form, TGlyphButton* button, QPoint at) {
  return QColor(
      form.grab(QRect(button->mapTo(&form, QPoint(0, 0)), button->size())).toImage().pixel(at));
}

TEST(ZelvarForm, ButtonsDrawTheirStates) {
  auto form = ShownForm(kOn96);
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  TGlyphButton* max = form->FormMaxButton;
  ASSERT_EQ(max->size(), QSize(28, 25));
  // The maximize symbol is a square of 8 with its top edge on row 8.
  const QPoint edge(13, 8), background(1, 1);

  EXPECT_EQ(PixelOf(*form, max, background), QColor(241, 241, 241));
  EXPECT_NEAR(PixelOf(*form, max, edge).red(), Blend(163, 190), 2);

  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QCoreApplication::sendEvent(max, &enter);
  EXPECT_NEAR(PixelOf(*form, max, background).red(), Blend(0, 10), 2) << "hovered";
  EXPECT_EQ(PixelOf(*form, max, edge).red(), 163) << "full glyph while hovered";
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(max, &leave);

  max->setEnabled(false);
  EXPECT_NEAR(PixelOf(*form, max, edge).red(), Blend(190, 125), 2) << "disabled";
}

}  // namespace
