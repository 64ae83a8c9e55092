// The update window on Windows, in a prefix whose monitor has the DPI
// UPDATER_TEST_PPI (96 or 144), on a virtual display.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "platform/Text.h"
#include "tests/tools/TempDir.h"
#include "ui/DpiMath.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/GdiplusSession.h"
#include "updater/win32/untUpdaterMain.h"

namespace {

constexpr int kPPI = UPDATER_TEST_PPI;

int Scaled(int value) {
  return ScaleFrom96(value, kPPI);
}

// Handles messages for a while: a transfer posts them without a pause.
void Pump(int rounds = 3) {
  const ULONGLONG end = GetTickCount64() + 10 * rounds;
  MSG message;
  while (GetTickCount64() < end) {
    if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    } else {
      Sleep(1);
    }
  }
}

void Show(TfmUpdaterMain& window) {
  ShowWindow(window.Handle(), SW_SHOW);
  Pump();
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

// The window as it draws itself.
struct Capture {
  explicit Capture(TfmUpdaterMain& window) {
    const SIZE size = ClientSize(window.Handle());
    InitAlphaBitmap(bitmap, size.cx, size.cy);
    PrintWindow(window.Handle(), bitmap.Canvas(), PW_CLIENTONLY);
    // GDI's text leaves the alpha it found; the window itself is opaque.
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x) bitmap.Pixel(x, y)[3] = 255;
  }
  std::array<int, 3> Rgb(int x, int y) const {
    const uint8_t* p = bitmap.Pixel(x, y);
    return {p[2], p[1], p[0]};
  }
  POINT Middle(const RECT& r) const { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  // Pixels of the rectangle that are not the white background.
  int Inked(const RECT& r) const {
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        if (Rgb(x, y) != std::array<int, 3>{255, 255, 255}) ++count;
    return count;
  }
  bool SavePng(const std::string& file) const {
    TMemoryStream stream;
    if (!BitmapToPng(bitmap).SaveToStream(stream)) return false;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(stream.Bytes.data()),
              static_cast<std::streamsize>(stream.Bytes.size()));
    return static_cast<bool>(out);
  }
  TAlphaBitmap bitmap;
};

class UpdateWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { gdiplus_ = std::make_unique<TGdiplusSession>(); }
  static void TearDownTestSuite() { gdiplus_.reset(); }
  static std::unique_ptr<TGdiplusSession> gdiplus_;
};
std::unique_ptr<TGdiplusSession> UpdateWindow::gdiplus_;

std::wstring Wide(const char* text) {
  return platform::Utf8ToWide(text);
}

TEST_F(UpdateWindow, HasItsDesignSizeAndContentAtTheMonitorsDpi) {
  TfmUpdaterMain window;
  ASSERT_NE(window.Handle(), nullptr);
  ASSERT_EQ(WindowPPI(window.Handle()), kPPI) << "the prefix's LogPixels";
  Show(window);

  // No platform frame: the outer size is the client size.
  const SIZE client = ClientSize(window.Handle());
  EXPECT_EQ(client.cx, kPPI == 96 ? 500 : 750);
  EXPECT_EQ(client.cy, kPPI == 96 ? 157 : 236);
  RECT frame{};
  GetWindowRect(window.Handle(), &frame);
  EXPECT_EQ(frame.right - frame.left, client.cx);

  // Centred in the work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window.Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  EXPECT_NEAR(frame.left - area.left, area.right - frame.right, 1);
  EXPECT_NEAR(frame.top - area.top, area.bottom - frame.bottom, 1);

  // The frame: logo mode, only the close button.
  EXPECT_TRUE(window.LogoMode());
  EXPECT_FALSE(window.FormMinButton.Visible);
  EXPECT_FALSE(window.FormMaxButton.Visible);
  EXPECT_TRUE(window.FormCloseButton.Visible);
  EXPECT_EQ(window.Caption(), "젤바 업데이트");

  // The panel below the caption bar, as wide as the window's content.
  const RECT content = window.ClientRect();
  const RECT panel = window.Panel1.Bounds;
  EXPECT_EQ(panel.left, content.left);
  EXPECT_EQ(panel.top, content.top);
  EXPECT_EQ(panel.right, content.right);
  EXPECT_EQ(window.Panel1.Height(), Scaled(133));

  struct Place {
    const char* name;
    const TFramePart& part;
    int left, top;
  };
  for (const Place& place :
       {Place{"ImgLogo", window.ImgLogo, 24, 21}, Place{"lblTitle", window.lblTitle, 70, 21},
        Place{"lblWait", window.lblWait, 70, 42}, Place{"lblStatus", window.lblStatus, 24, 97},
        Place{"scProgressMain", window.scProgressMain, 21, 82}}) {
    SCOPED_TRACE(place.name);
    EXPECT_EQ(place.part.Bounds.left - panel.left, Scaled(place.left));
    EXPECT_EQ(place.part.Bounds.top - panel.top, Scaled(place.top));
  }
  // The logo at the current scale: 36 x 37 designed, 54 x 56 at 144 DPI.
  EXPECT_EQ(window.ImgLogo.Width(), kPPI == 96 ? 36 : 54);
  EXPECT_EQ(window.ImgLogo.Height(), kPPI == 96 ? 37 : 56);
  ASSERT_TRUE(window.ImgLogo.Picture.has_value());
  EXPECT_EQ(window.ImgLogo.Picture->Width(), window.ImgLogo.Width());

  // The percentage ends 21 px from the panel's right edge; the track keeps
  // that margin on both sides.
  EXPECT_EQ(panel.right - window.lblPercent.Bounds.right, Scaled(21));
  EXPECT_EQ(window.lblPercent.Bounds.top - panel.top, Scaled(97));
  EXPECT_TRUE(window.lblPercent.RightAligned);
  EXPECT_EQ(panel.right - window.scProgressMain.Bounds.right, Scaled(21));
  EXPECT_EQ(window.scProgressMain.Height(), Scaled(6));
  EXPECT_EQ(window.scProgressMain.Radius, Scaled(3));
  EXPECT_EQ(window.scProgressBar.Bounds.left, window.scProgressMain.Bounds.left);
  EXPECT_EQ(window.scProgressBar.Bounds.top, window.scProgressMain.Bounds.top);
  EXPECT_EQ(window.scProgressBar.Height(), window.scProgressMain.Height());

  // Texts and fonts: "맑은 고딕", 14 px bold for the title, 12 px for the lines.
  EXPECT_EQ(window.lblTitle.Text, Wide("젤바 업데이트 중..."));
  EXPECT_EQ(window.lblWait.Text, Wide("잠시만 기다려 주세요."));
  EXPECT_EQ(window.lblStatus.Text, Wide("파일 다운로드 중"));
  EXPECT_EQ(window.lblPercent.Text, L"0%");
  EXPECT_EQ(window.lblTitle.Colour, RGB(0x1F, 0x1F, 0x1F));
  for (const TContentLabel* label :
       {&window.lblTitle, &window.lblWait, &window.lblStatus, &window.lblPercent}) {
    LOGFONTW font{};
    ASSERT_TRUE(GetObjectW(label->Font.get(), sizeof(font), &font));
    EXPECT_STREQ(font.lfFaceName, L"\uB9D1\uC740 \uACE0\uB515");
    EXPECT_EQ(font.lfHeight, -Scaled(label == &window.lblTitle ? 14 : 12));
    EXPECT_EQ(font.lfWeight, label == &window.lblTitle ? FW_BOLD : FW_NORMAL);
    if (label != &window.lblTitle) {
      EXPECT_EQ(label->Colour, RGB(0x3B, 0x3B, 0x3D));
    }
    EXPECT_GT(label->Height(), 0);
  }
}

TEST_F(UpdateWindow, StatusDisplayFollowsTheStages) {
  TfmUpdaterMain window;
  Show(window);
  TUpdateRunHost& host = window.RunHost();
  const int track = window.scProgressMain.Width();

  host.SetStatus(stDownload);
  EXPECT_EQ(window.Status(), stDownload);
  host.ShowProgress(40, true);
  EXPECT_EQ(window.scProgressBar.Width(), BarWidth(40, track));
  EXPECT_GT(window.scProgressBar.Width(), 0);
  EXPECT_EQ(window.lblPercent.Text, L"40%");
  // The current stage again changes nothing, not even for a resetting one.
  host.SetStatus(stDownload);
  EXPECT_EQ(window.scProgressBar.Width(), BarWidth(40, track));
  EXPECT_EQ(window.lblPercent.Text, L"40%");
  // The bar alone, as the zip progress moves it.
  host.ShowProgress(50, false);
  EXPECT_EQ(window.scProgressBar.Width(), BarWidth(50, track));
  EXPECT_EQ(window.lblPercent.Text, L"40%");
  host.ShowProgress(100, true);

  struct Case {
    TStatus status;
    const char* text;
    bool resets;
  };
  for (const Case& c : {Case{stUnextract, "압축 해제 중", false}, Case{stInstall, "설치 중", false},
                        Case{stError, "업데이트 오류", false}, Case{stInit, "준비 중", true},
                        Case{stDownload, "파일 다운로드 중", true}}) {
    SCOPED_TRACE(c.text);
    host.SetStatus(c.status);
    EXPECT_EQ(window.Status(), c.status);
    EXPECT_EQ(window.lblStatus.Text, Wide(c.text));
    EXPECT_EQ(window.scProgressBar.Width(), c.resets ? 0 : track);
    EXPECT_EQ(window.lblPercent.Text, c.resets ? L"0%" : L"100%");
    if (c.resets) host.ShowProgress(100, true);
  }
  // The attempts' line goes straight to the status line.
  host.ShowStatusLine("압축 해제 중(3/10)");
  EXPECT_EQ(window.lblStatus.Text, Wide("압축 해제 중(3/10)"));
  EXPECT_EQ(window.Status(), stDownload);
}

TEST_F(UpdateWindow, PaintsTheBarTrackAndTexts) {
  TfmUpdaterMain window;
  Show(window);
  window.RunHost().SetStatus(stDownload);
  window.RunHost().ShowProgress(50, true);
  Pump();
  const Capture shot(window);

  const RECT bar = window.scProgressBar.Bounds;
  const RECT track = window.scProgressMain.Bounds;
  const POINT inBar = shot.Middle(bar);
  EXPECT_EQ(shot.Rgb(inBar.x, inBar.y), (std::array<int, 3>{0x18, 0x8F, 0xCC}));
  const POINT inTrack{(bar.right + track.right) / 2, (track.top + track.bottom) / 2};
  EXPECT_EQ(shot.Rgb(inTrack.x, inTrack.y), (std::array<int, 3>{0xD9, 0xD9, 0xD9}));
  // Rounded ends: the track's corner pixel is (mostly) background.
  const std::array<int, 3> corner = shot.Rgb(track.right - 1, track.top);
  EXPECT_GT(corner[0], 0xD9) << "a square corner";
  // Above and below the track, the white background.
  EXPECT_EQ(shot.Rgb(inTrack.x, track.top - 2), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(shot.Rgb(inTrack.x, track.bottom + 1), (std::array<int, 3>{255, 255, 255}));

  for (const TContentLabel* label :
       {&window.lblTitle, &window.lblWait, &window.lblStatus, &window.lblPercent})
    EXPECT_GT(shot.Inked(label->Bounds), 10) << platform::WideToUtf8(label->Text);
  // The logo's picture is drawn.
  EXPECT_GT(shot.Inked(window.ImgLogo.Bounds), window.ImgLogo.Width());
}

// The window of a real run while its package arrives slowly, saved for
// people to look at.
TEST_F(UpdateWindow, ShowsADownloadAndSavesAScreenshot) {
  std::ifstream servers(HTTP_TEST_HOST_DIR "/servers.txt");
  std::string name;
  int port = 0, plain = 0;
  while (servers >> name >> port)
    if (name == "plain") plain = port;
  ASSERT_NE(plain, 0) << "the HTTP suites' servers";

  testing_tools::TempDir folder;
  const std::string url = "http://127.0.0.1:" + std::to_string(plain) + "/slow?kind=.7z";
  auto window = std::make_unique<TfmUpdaterMain>(TUpdateRunSetup{
      TCommandLine({"MAIN_UP", "1.0", "App.exe", "0", url}), folder.path() + "\\", folder.path()});
  ASSERT_NE(window->Run(), nullptr);
  Show(*window);
  for (int round = 0; round < 500 && window->scProgressBar.Width() == 0; ++round) Pump(1);
  Pump();
  EXPECT_EQ(window->Status(), stDownload);
  EXPECT_GT(window->scProgressBar.Width(), 0);
  EXPECT_NE(window->lblPercent.Text, L"");
  EXPECT_EQ(window->lblStatus.Text, Wide("파일 다운로드 중"));

  const Capture shot(*window);
  const POINT inBar = shot.Middle(window->scProgressBar.Bounds);
  EXPECT_EQ(shot.Rgb(inBar.x, inBar.y), (std::array<int, 3>{0x18, 0x8F, 0xCC}));
  const std::string out = UPDATER_BUILD_DIR "/test-output/updater";
  std::filesystem::create_directories(out);
  EXPECT_TRUE(shot.SavePng(out + "/update_window_" + std::to_string(kPPI) + "dpi.png"));

  // The caption bar's close button: the run stops acting on its own, the
  // window goes, and with it the message loop.
  SendMessageW(window->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(window->Run()->State(), rsClosed);
  EXPECT_EQ(window->Handle(), nullptr);
  MSG quit{};
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  window.reset();
}

}  // namespace
