// The update window on the offscreen platform: "a96" (96 DPI, primary) and
// "b144" (144 DPI) to its right.
#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QImage>
#include <QPixmap>
#include <QTest>

#include "tests/unit/ui/qt/QtTestEnvironment.h"
#include "updater/untUpdaterMain.h"

namespace {

const QColor kTrack(0xD9, 0xD9, 0xD9);
const QColor kBar(0x18, 0x8F, 0xCC);

QString Text(const char* utf8) {
  return QString::fromUtf8(utf8);
}

// Where the window's content sits at a given DPI, from its design values.
void ExpectLayout(TfmUpdaterMain& window, int ppi) {
  auto d = [ppi](int v) { return (v * ppi * 2 + 96) / 192; };
  const int panelWidth = window.Panel1->width();
  EXPECT_EQ(window.Panel1->y(), 1 + window.FormCaptionBar->height());
  EXPECT_EQ(window.Panel1->height(), d(133));
  EXPECT_EQ(window.ImgLogo->pos(), QPoint(d(24), d(21)));
  EXPECT_EQ(window.lblTitle->pos(), QPoint(d(70), d(21)));
  EXPECT_EQ(window.lblWait->pos(), QPoint(d(70), d(42)));
  EXPECT_EQ(window.lblStatus->pos(), QPoint(d(24), d(97)));
  EXPECT_EQ(window.lblPercent->y(), d(97));
  EXPECT_EQ(window.lblPercent->geometry().right() + 1, panelWidth - d(21));
  EXPECT_TRUE(window.lblPercent->alignment() & Qt::AlignRight);
  EXPECT_EQ(window.scProgressMain->geometry(), QRect(d(21), d(82), panelWidth - 2 * d(21), d(6)));
  EXPECT_EQ(window.scProgressBar->height(), window.scProgressMain->height());
  EXPECT_EQ(window.lblTitle->font().pixelSize(), d(14));
  EXPECT_TRUE(window.lblTitle->font().bold());
  EXPECT_EQ(window.lblStatus->font().pixelSize(), d(12));
}

TEST(UpdateWindow, IsMadeAtItsDesignSizeOnA96DpiScreen) {
  TfmUpdaterMain window;
  EXPECT_EQ(window.size(), QSize(500, 157));
  EXPECT_EQ(window.windowTitle(), Text("젤바 업데이트"));
  EXPECT_TRUE(window.LogoMode());
  EXPECT_TRUE(window.FormMinButton->isHidden());
  EXPECT_TRUE(window.FormMaxButton->isHidden());
  EXPECT_FALSE(window.FormCloseButton->isHidden());
  EXPECT_EQ(window.Status(), stInit);
  EXPECT_EQ(window.ImgLogo->pixmap().size(), QSize(36, 37));
  EXPECT_EQ(window.ImgLogo->size(), QSize(36, 37));
  EXPECT_EQ(window.lblTitle->text(), Text("젤바 업데이트 중..."));
  EXPECT_EQ(window.lblWait->text(), Text("잠시만 기다려 주세요."));
  EXPECT_EQ(window.lblStatus->text(), Text("파일 다운로드 중"));
  EXPECT_EQ(window.lblPercent->text(), "0%");
  // Centred on its screen.
  const QRect area = ScreenNamed("a96")->availableGeometry();
  EXPECT_EQ(window.geometry().center(), area.center());

  ShowAndWait(&window);
  EXPECT_EQ(window.size(), QSize(500, 157));
  ExpectLayout(window, 96);
}

TEST(UpdateWindow, MovingToA144DpiScreenScalesTheWindowAndRendersTheLogoAgain) {
  TfmUpdaterMain window;
  ShowAndWait(&window);
  window.scProgressBar->resize(window.scProgressMain->width() / 2, 6);

  MoveTo(&window, QPoint(2100, 300));
  ASSERT_EQ(window.screen(), ScreenNamed("b144"));
  EXPECT_EQ(window.size(), QSize(750, 236));
  EXPECT_EQ(window.FormCaptionBar->height(), 39);
  EXPECT_EQ(window.ImgLogo->pixmap().size(), QSize(54, 56));
  EXPECT_EQ(window.ImgLogo->size(), QSize(54, 56));
  ExpectLayout(window, 144);
  EXPECT_NEAR(window.scProgressBar->width(), window.scProgressMain->width() / 2, 1)
      << "the bar keeps its share of the track";

  MoveTo(&window, QPoint(300, 300));
  EXPECT_EQ(window.size(), QSize(500, 157));
  EXPECT_EQ(window.ImgLogo->pixmap().size(), QSize(36, 37));
  ExpectLayout(window, 96);
}

class CountingWindow : public TfmUpdaterMain {
 public:
  int closeRequests = 0;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++closeRequests;
    event->ignore();
  }
};

// The frame's handlers and the window's are bound in one pass: each once.
TEST(UpdateWindow, CloseButtonAsksOnceAndEscDoesNothing) {
  CountingWindow window;
  ShowAndWait(&window);
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QTest::keyClick(&window, Qt::Key_Escape);
  ProcessEvents();
  EXPECT_EQ(window.closeRequests, 0);
  EXPECT_TRUE(window.isVisible());
  QTest::mouseClick(window.FormCloseButton, Qt::LeftButton);
  ProcessEvents();
  EXPECT_EQ(window.closeRequests, 1);
}

struct StatusCase {
  const char* name;
  TStatus from;  // reached from a fresh window, then the run moved the bar
  TStatus to;
  bool resets;  // bar and percentage emptied
  const char* status;
};

TEST(UpdateWindow, SetStatusShowsEachStage) {
  const StatusCase cases[] = {
      {"download", stInit, stDownload, true, "파일 다운로드 중"},
      {"unpacking keeps the download's bar", stDownload, stUnextract, false, "압축 해제 중"},
      {"install", stDownload, stInstall, false, "설치 중"},
      {"error", stUnextract, stError, false, "업데이트 오류"},
      {"back to init", stDownload, stInit, true, "준비 중"},
      {"fallback download after unpacking", stUnextract, stDownload, true, "파일 다운로드 중"},
  };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.name);
    TfmUpdaterMain window;
    window.SetStatus(c.from);
    window.scProgressBar->resize(120, window.scProgressBar->height());
    window.lblPercent->setText("100%");
    window.lblStatus->setText(Text("압축 해제 중(3/10)"));

    window.SetStatus(c.to);
    EXPECT_EQ(window.Status(), c.to);
    EXPECT_EQ(window.scProgressBar->width(), c.resets ? 0 : 120);
    EXPECT_EQ(window.lblPercent->text(), c.resets ? "0%" : "100%");
    EXPECT_EQ(window.lblStatus->text(), Text(c.status));
  }
}

TEST(UpdateWindow, SetStatusWithTheCurrentStageChangesNothing) {
  for (TStatus stage : {stInit, stDownload, stUnextract, stInstall, stError}) {
    TfmUpdaterMain window;
    window.SetStatus(stage);
    window.scProgressBar->resize(120, window.scProgressBar->height());
    window.lblPercent->setText("57%");
    window.lblStatus->setText(Text("압축 해제 중(3/10)"));

    window.SetStatus(stage);
    EXPECT_EQ(window.scProgressBar->width(), 120) << stage;
    EXPECT_EQ(window.lblPercent->text(), "57%") << stage;
    EXPECT_EQ(window.lblStatus->text(), Text("압축 해제 중(3/10)")) << stage;
  }
}

// Saves what the window looks like mid-download and checks the drawing: the
// caption bar, the bar's colours and its rounded ends.
void GrabAndCheck(TfmUpdaterMain& window, const QString& file) {
  const QImage image = window.grab().toImage();
  ASSERT_EQ(image.size(), window.size());
  EXPECT_TRUE(image.save(GrabFolder() + "/" + file));

  const QRect track(window.scProgressMain->mapTo(&window, QPoint(0, 0)),
                    window.scProgressMain->size());
  const int barWidth = window.scProgressBar->width();
  const int middle = track.y() + track.height() / 2;
  EXPECT_EQ(QColor(image.pixel(track.x() + barWidth / 2, middle)), kBar);
  EXPECT_EQ(QColor(image.pixel(track.x() + barWidth + (track.width() - barWidth) / 2, middle)),
            kTrack);
  // Rounded: the corners of the track's rectangle are not filled.
  for (QPoint corner : {track.topLeft(), track.topRight(), track.bottomLeft(), track.bottomRight()})
    EXPECT_NE(QColor(image.pixel(corner)), kTrack) << corner.x() << "," << corner.y();
  EXPECT_NE(QColor(image.pixel(track.topLeft())), kBar);
  EXPECT_EQ(QColor(image.pixel(track.x() + track.width() / 2, track.y() - 3)), QColor(Qt::white));
  EXPECT_EQ(QColor(image.pixel(window.width() / 2, 1 + window.FormCaptionBar->height() / 2)),
            QColor(241, 241, 241));
}

TEST(UpdateWindow, LooksFinishedAt96And144Dpi) {
  TfmUpdaterMain window;
  ShowAndWait(&window);
  window.SetStatus(stDownload);
  window.scProgressBar->resize(window.scProgressMain->width() * 42 / 100,
                               window.scProgressBar->height());
  window.lblPercent->setText("42%");
  GrabAndCheck(window, "update_window_96dpi.png");

  MoveTo(&window, QPoint(2400, 400));
  ASSERT_EQ(window.screen(), ScreenNamed("b144"));
  GrabAndCheck(window, "update_window_144dpi.png");
}

}  // namespace
