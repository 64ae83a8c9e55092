// The product's frame on Windows, in a prefix whose monitor has the DPI
// UI_TEST_PPI (96 or 144), on a virtual display.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "ui/DpiMath.h"
#include "ui/win32/Dpi.h"
#include "ui/win32/Fonts.h"
#include "ui/win32/untZelvarForm.h"

namespace {

constexpr int kPPI = UI_TEST_PPI;

int Scaled(int value) {
  return ScaleFrom96(value, kPPI);
}

void Pump() {
  MSG message;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

// A derived window, as the update window derives: it sees every message
// first and counts the closing ones.
class TTestForm : public TZelvarForm {
 public:
  TTestForm() : TZelvarForm(TDerivedForm{}) {
    CreateFormWindow();
    FormCreate();
  }
  ~TTestForm() override { FormDestroy(); }

  int closes = 0;
  int systemCloses = 0;
  int contentPaints = 0;
  RECT paintedClient{};

  using TZelvarForm::ClientRect;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CLOSE) ++closes;
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) ++systemCloses;
    return TZelvarForm::WindowProc(message, wParam, lParam);
  }
  // A red square at the content's top left corner.
  void PaintContent(HDC dc, const RECT& client) override {
    ++contentPaints;
    paintedClient = client;
    const RECT square{client.left, client.top, client.left + 10, client.top + 10};
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(dc, &square, red);
    DeleteObject(red);
  }
};

struct ScaleCounter {
  int calls = 0;
  TZelvarForm* sender = nullptr;
  void Attach(TZelvarForm& form) {
    form.OnChangeScale = [this](TZelvarForm* s) {
      ++calls;
      sender = s;
    };
  }
};

RECT WindowRect(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

SIZE ClientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right, r.bottom};
}

RECT WorkArea(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  return monitor.rcWork;
}

bool SameRect(const RECT& a, const RECT& b) {
  return EqualRect(&a, &b) != FALSE;
}

POINT Centre(const RECT& r) {
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Show(TZelvarForm& form, int left = 100, int top = 100) {
  SetWindowPos(form.Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(form.Handle(), SW_SHOW);
  Pump();
}

LPARAM At(POINT client) {
  return MAKELPARAM(client.x, client.y);
}

LRESULT HitTest(TZelvarForm& form, POINT client) {
  ClientToScreen(form.Handle(), &client);
  return SendMessageW(form.Handle(), WM_NCHITTEST, 0, MAKELPARAM(client.x, client.y));
}

void ClickAt(TZelvarForm& form, POINT client) {
  SendMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(client));
  SendMessageW(form.Handle(), WM_LBUTTONUP, 0, At(client));
}

// The window as it draws itself.
struct Capture {
  explicit Capture(TZelvarForm& form) {
    const SIZE size = ClientSize(form.Handle());
    InitAlphaBitmap(bitmap, size.cx, size.cy);
    PrintWindow(form.Handle(), bitmap.Canvas(), PW_CLIENTONLY);
  }
  std::array<int, 3> Rgb(int x, int y) const {
    const uint8_t* p = bitmap.Pixel(x, y);
    return {p[2], p[1], p[0]};
  }
  TAlphaBitmap bitmap;
};

TEST(ZelvarForm, StartsAtTheDesignSizeOfItsMonitorsDpi) {
  ScaleCounter counter;
  TZelvarForm form;
  counter.Attach(form);
  ASSERT_NE(form.Handle(), nullptr);
  ASSERT_EQ(WindowPPI(form.Handle()), kPPI) << "the prefix's LogPixels";
  EXPECT_EQ(form.StyledForm.CurrentPPI(), kPPI);
  EXPECT_EQ(form.DPIVal(16), Scaled(16));
  EXPECT_EQ(form.DPIVal(-15), Scaled(-15));

  // No platform frame: the window is all client area.
  const SIZE client = ClientSize(form.Handle());
  EXPECT_EQ(client.cx, Scaled(651));
  EXPECT_EQ(client.cy, Scaled(338));
  const RECT window = WindowRect(form.Handle());
  EXPECT_EQ(window.right - window.left, client.cx);
  EXPECT_EQ(window.bottom - window.top, client.cy);

  // Until the scale changes, the caption bar keeps its design values.
  EXPECT_EQ(form.FormCaptionBar.Height(), 26);
  EXPECT_EQ(form.FormCloseButton.Width(), 32);
  EXPECT_EQ(form.FormCloseButton.GlyphSize, 9);
  EXPECT_EQ(form.FormMaxButton.Height(), 26 - Scaled(1));  // below its top margin
  ASSERT_TRUE(form.FormLogo.Picture.has_value());
  EXPECT_EQ(form.FormLogo.Picture->Width(), 48);
  EXPECT_EQ(form.FormLogo.Picture->Height(), 20);

  Show(form);
  if (kPPI == 96) {
    EXPECT_EQ(counter.calls, 0);
    EXPECT_EQ(form.FormCaptionBar.Height(), 26);
    EXPECT_EQ(form.FormCloseButton.Width(), 32);
    EXPECT_EQ(form.FormCloseButton.GlyphSize, 9);
  } else {
    // Shown on a monitor of another DPI than the design's: one scale report.
    EXPECT_EQ(counter.calls, 1);
    EXPECT_EQ(counter.sender, &form);
    EXPECT_EQ(form.FormCaptionBar.Height(), 39);
    for (const TGlyphButton* button :
         {&form.FormMinButton, &form.FormMaxButton, &form.FormCloseButton})
      EXPECT_EQ(button->Width(), 42);
    EXPECT_EQ(form.FormCloseButton.GlyphSize, 17);
    EXPECT_EQ(form.FormMinButton.GlyphSize, 27);
    EXPECT_EQ(form.FormLogo.Picture->Width(), 72);
    EXPECT_EQ(form.FormLogo.Picture->Height(), 30);
    EXPECT_EQ(form.FormIcon.Width(), 24);
    EXPECT_EQ(form.scPanel1.Width(), 8 + 24);
  }
}

TEST(ZelvarForm, CaptionBarPartsSitWhereTheLayoutPutsThem) {
  TTestForm form;
  Show(form);
  const SIZE client = ClientSize(form.Handle());
  const RECT bar = form.FormCaptionBar.Bounds;
  EXPECT_EQ(bar.left, 1);
  EXPECT_EQ(bar.top, 1);
  EXPECT_EQ(bar.right, client.cx - 1);
  // Right to left: close (1 pixel from the edge), maximize, 2 pixels, minimize.
  EXPECT_EQ(form.FormCloseButton.Bounds.right, bar.right - 1);
  EXPECT_EQ(form.FormMaxButton.Bounds.right, form.FormCloseButton.Bounds.left);
  EXPECT_EQ(form.FormMaxButton.Bounds.top, bar.top + Scaled(1));
  EXPECT_EQ(form.FormMinButton.Bounds.right, form.FormMaxButton.Bounds.left - Scaled(2));
  // The title fills what is left between the icon's panel and the buttons.
  EXPECT_EQ(form.FormCaption.Bounds.right, form.FormMinButton.Bounds.left);
  EXPECT_GT(form.FormCaption.Bounds.left, form.scPanel1.Bounds.right);

  // The derived window's content goes below the caption bar, inside the border.
  const RECT content = form.ClientRect();
  EXPECT_EQ(content.top, bar.bottom);
  EXPECT_EQ(content.left, 1);
  EXPECT_EQ(content.right, client.cx - 1);
  EXPECT_EQ(content.bottom, client.cy - 1);
  Capture capture(form);
  EXPECT_GT(form.contentPaints, 0);
  EXPECT_EQ(form.paintedClient.top, content.top);
  EXPECT_EQ(capture.Rgb(content.left, content.top), (std::array<int, 3>{255, 0, 0}));
  EXPECT_EQ(capture.Rgb(content.left, content.top - 1), (std::array<int, 3>{241, 241, 241}));
  EXPECT_EQ(capture.Rgb(content.left + 10, content.top), (std::array<int, 3>{255, 255, 255}));
}

// Moved to a monitor of the other DPI: 144 from 96, 96 from 144.
TEST(ZelvarForm, ADpiChangeRescalesTheCaptionBarOnceFromTheUnscaledSources) {
  struct Expected {
    int ppi, width, height, bar, button, logoWidth, logoHeight, icon, panel, iconTop;
  };
  const Expected e = kPPI == 96 ? Expected{144, 977, 507, 39, 42, 72, 30, 24, 32, 8}
                                : Expected{96, 651, 338, 26, 28, 48, 20, 16, 21, 6};
  ScaleCounter counter;
  TZelvarForm form;
  counter.Attach(form);
  // A red icon, so that the rescaled one shows where it came from.
  TPngImage red(10, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      red.Pixel(x, y)[2] = 255;
      red.Alpha(x, y) = 255;
    }
  form.SetFormIcon(red);
  EXPECT_EQ(form.FormIcon.Width(), Scaled(16));
  form.SetLogoMode(true);
  Show(form);
  const int callsBefore = counter.calls;

  // What the system sends when the window is moved to the other monitor.
  RECT suggested{100, 100, 100 + e.width, 100 + e.height};
  SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(e.ppi, e.ppi),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(counter.calls, callsBefore + 1);
  EXPECT_EQ(counter.sender, &form);
  EXPECT_EQ(form.DPIVal(16), ScaleFrom96(16, e.ppi));
  const SIZE client = ClientSize(form.Handle());
  EXPECT_EQ(client.cx, e.width);
  EXPECT_EQ(client.cy, e.height);
  EXPECT_EQ(form.FormCaptionBar.Height(), e.bar);
  for (const TGlyphButton* button :
       {&form.FormMinButton, &form.FormMaxButton, &form.FormCloseButton})
    EXPECT_EQ(button->Width(), e.button);
  EXPECT_EQ(form.FormLogo.Picture->Width(), e.logoWidth);
  EXPECT_EQ(form.FormLogo.Picture->Height(), e.logoHeight);
  ASSERT_TRUE(form.FormIcon.Picture.has_value());
  EXPECT_EQ(form.FormIcon.Picture->Width(), e.icon);
  const uint8_t* centre = form.FormIcon.Picture->Pixel(e.icon / 2, e.icon / 2);
  EXPECT_EQ(centre[2], 255);
  EXPECT_EQ(centre[1], 0);
  EXPECT_EQ(form.scPanel1.Width(), e.panel);
  // Icon top: (bar - icon) / 2 truncated, + 1, inside the panel.
  EXPECT_EQ(form.FormIcon.Bounds.top - form.scPanel1.Bounds.top, e.iconTop);

  // The same DPI again is no change of scale.
  SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(e.ppi, e.ppi),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(counter.calls, callsBefore + 1);
}

TEST(ZelvarForm, LogoModeSwitchesOnlyOnAChange) {
  TZelvarForm form;
  EXPECT_FALSE(form.LogoMode());
  EXPECT_FALSE(form.FormLogo.Visible);
  form.SetLogoMode(true);
  EXPECT_TRUE(form.FormLogo.Visible);
  EXPECT_FALSE(form.FormIcon.Visible);
  EXPECT_FALSE(form.FormCaption.Visible);
  // The icon's panel stays: an empty strip after the logo.
  EXPECT_TRUE(form.scPanel1.Visible);
  EXPECT_EQ(form.scPanel1.Bounds.left, form.FormLogo.Bounds.right);
  form.FormLogo.Visible = false;  // a second true must not switch again
  form.SetLogoMode(true);
  EXPECT_FALSE(form.FormLogo.Visible);
  form.SetLogoMode(false);
  EXPECT_FALSE(form.FormLogo.Visible);
  EXPECT_TRUE(form.FormIcon.Visible);
  EXPECT_TRUE(form.FormCaption.Visible);
}

TEST(ZelvarForm, CaptionSetsTheTitleAndTheWindowTextAndEndsWithAnEllipsis) {
  TZelvarForm form;
  form.SetCaption("젤바 업데이트");
  EXPECT_EQ(form.Caption(), "젤바 업데이트");
  EXPECT_EQ(form.FormCaption.Text, L"\uC824\uBC14 \uC5C5\uB370\uC774\uD2B8");
  wchar_t text[64] = {};
  GetWindowTextW(form.Handle(), text, 64);
  EXPECT_STREQ(text, L"\uC824\uBC14 \uC5C5\uB370\uC774\uD2B8");
  EXPECT_EQ(form.ShownCaption(), form.FormCaption.Text);

  form.SetCaption(std::string(300, 'W'));
  const std::wstring shown = form.ShownCaption();
  ASSERT_GE(shown.size(), 3u);
  EXPECT_LT(shown.size(), 300u);
  EXPECT_EQ(shown.substr(shown.size() - 3), L"...");
}

TEST(ZelvarForm, CaptionHitTestingMovesFromTheBarLogoTitleAndIconOnly) {
  TZelvarForm form;
  Show(form);
  const RECT bar = form.FormCaptionBar.Bounds;
  EXPECT_EQ(HitTest(form, {bar.left + 300, bar.top + 3}), HTCAPTION);
  EXPECT_EQ(HitTest(form, Centre(form.FormCaption.Bounds)), HTCAPTION);
  EXPECT_EQ(HitTest(form, Centre(form.FormIcon.Bounds)), HTCAPTION);
  // The icon's panel around the icon is no drag area.
  EXPECT_EQ(HitTest(form, {form.scPanel1.Bounds.left, form.scPanel1.Bounds.bottom - 1}), HTCLIENT);
  for (const TGlyphButton* button :
       {&form.FormMinButton, &form.FormMaxButton, &form.FormCloseButton})
    EXPECT_EQ(HitTest(form, Centre(button->Bounds)), HTCLIENT);
  EXPECT_EQ(HitTest(form, {300, bar.bottom + 20}), HTCLIENT);

  form.SetLogoMode(true);
  EXPECT_EQ(HitTest(form, Centre(form.FormLogo.Bounds)), HTCAPTION);

  // A maximized window is dragged out by the frame itself.
  ClickAt(form, Centre(form.FormMaxButton.Bounds));
  ASSERT_TRUE(form.StyledForm.IsMaximized());
  EXPECT_EQ(HitTest(form, {bar.left + 300, bar.top + 3}), HTCLIENT);
}

TEST(ZelvarForm, EscIsTakenAndDoesNothing) {
  TTestForm form;
  Show(form);
  EXPECT_EQ(SendMessageW(form.Handle(), WM_KEYDOWN, VK_ESCAPE, 0), 0);
  Pump();
  EXPECT_NE(form.Handle(), nullptr);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(form.closes, 0);
}

TEST(ZelvarForm, CloseButtonTakesThePlatformsClosePath) {
  TTestForm form;
  Show(form);
  ClickAt(form, Centre(form.FormCloseButton.Bounds));
  EXPECT_EQ(form.systemCloses, 1);
  EXPECT_EQ(form.closes, 1);
  EXPECT_EQ(form.Handle(), nullptr) << "the default close destroys the window";

  // A press that leaves the button before it is released is no click.
  TTestForm other;
  Show(other);
  const RECT close = other.FormCloseButton.Bounds;
  SendMessageW(other.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(Centre(close)));
  SendMessageW(other.Handle(), WM_LBUTTONUP, 0, At({close.left - 40, close.top + 5}));
  EXPECT_EQ(other.closes, 0);
}

TEST(ZelvarForm, MaxButtonAndDoubleClickMaximizeIntoTheWorkAreaAndRestore) {
  TZelvarForm form;
  Show(form, 120, 80);
  const RECT normal = WindowRect(form.Handle());
  const RECT work = WorkArea(form.Handle());

  ClickAt(form, Centre(form.FormMaxButton.Bounds));
  EXPECT_TRUE(form.StyledForm.IsMaximized());
  EXPECT_TRUE(SameRect(WindowRect(form.Handle()), work));
  EXPECT_EQ(form.FormMaxButton.Glyph, TGlyphButton::gkRestore);
  // The buttons follow the new width.
  EXPECT_EQ(form.FormCloseButton.Bounds.right, (work.right - work.left) - 2);

  // A maximized bar is client area: its double-click comes as a client message.
  SendMessageW(form.Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, At(Centre(form.FormCaption.Bounds)));
  EXPECT_FALSE(form.StyledForm.IsMaximized());
  EXPECT_TRUE(SameRect(WindowRect(form.Handle()), normal));
  EXPECT_EQ(form.FormMaxButton.Glyph, TGlyphButton::gkMaximize);

  // A normal bar is the platform's caption: its double-click maximizes.
  SendMessageW(form.Handle(), WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
  EXPECT_TRUE(form.StyledForm.IsMaximized());
}

TEST(ZelvarForm, DraggingAMaximizedWindowRestoresItUnderThePointer) {
  TZelvarForm form;
  Show(form, 120, 80);
  const RECT normal = WindowRect(form.Handle());
  const int width = normal.right - normal.left, height = normal.bottom - normal.top;
  ClickAt(form, Centre(form.FormMaxButton.Bounds));
  ASSERT_TRUE(form.StyledForm.IsMaximized());
  const RECT maximized = WindowRect(form.Handle());

  // Pressed a quarter of the way across the bar, then moved 50 down.
  const int maxWidth = maximized.right - maximized.left;
  const POINT press{maxWidth / 4, form.FormCaptionBar.Bounds.top + 5};
  SendMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(press));
  SendMessageW(form.Handle(), WM_MOUSEMOVE, MK_LBUTTON, At(press));
  EXPECT_TRUE(form.StyledForm.IsMaximized()) << "the pointer has not moved yet";
  SendMessageW(form.Handle(), WM_MOUSEMOVE, MK_LBUTTON, At({press.x, press.y + 50}));
  EXPECT_FALSE(form.StyledForm.IsMaximized());
  const RECT restored = WindowRect(form.Handle());
  EXPECT_EQ(restored.right - restored.left, width);
  EXPECT_EQ(restored.bottom - restored.top, height);
  const int pointerX = maximized.left + press.x;
  const double across = double(press.x) / maxWidth;
  EXPECT_NEAR(restored.left, pointerX - across * width, 1);
  EXPECT_EQ(form.FormMaxButton.Glyph, TGlyphButton::gkMaximize);
  SendMessageW(form.Handle(), WM_LBUTTONUP, 0, At({press.x, press.y + 50}));
}

TEST(ZelvarForm, ShowOwnerPlacesBesideTheOwnerWithinItsWorkArea) {
  TZelvarForm owner;
  TZelvarForm form;
  const RECT work = WorkArea(owner.Handle());
  const RECT formRect = WindowRect(form.Handle());
  const int W = formRect.right - formRect.left;

  // At the right edge: no room on the right, so on the owner's left side.
  SetWindowPos(owner.Handle(), nullptr, work.right - 305, work.top + 50, 300, 200, SWP_NOZORDER);
  ShowWindow(owner.Handle(), SW_SHOW);
  form.ShowOwner(owner.Handle(), fdRight);
  Pump();
  RECT placed = WindowRect(form.Handle());
  RECT o = WindowRect(owner.Handle());
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_EQ(placed.left, o.left - W - 1);
  EXPECT_EQ(placed.top, o.top);

  // No room on the left either: centred in the work area.
  SetWindowPos(owner.Handle(), nullptr, work.right - 1505, work.top + 50, 1500, 200, SWP_NOZORDER);
  form.ShowOwner(owner.Handle(), fdRight);
  placed = WindowRect(form.Handle());
  EXPECT_EQ(placed.left, work.left + (work.right - work.left - W) / 2);

  // At the left edge: fdLeft goes to the owner's right side, 1 pixel apart.
  SetWindowPos(owner.Handle(), nullptr, work.left + 5, work.top + 50, 300, 200, SWP_NOZORDER);
  form.ShowOwner(owner.Handle(), fdLeft);
  placed = WindowRect(form.Handle());
  o = WindowRect(owner.Handle());
  EXPECT_EQ(placed.left, o.right + 1);

  // Below the work area: pulled up so that the bottom is inside it.
  SetWindowPos(owner.Handle(), nullptr, work.left + 5, work.bottom - 40, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  form.ShowOwner(owner.Handle(), fdRight);
  placed = WindowRect(form.Handle());
  EXPECT_EQ(placed.bottom, work.bottom);
  // ShowOwner runs ScaleCaptionBar: the scaled values replace the design ones.
  EXPECT_EQ(form.FormCloseButton.Width(), Scaled(28));
  EXPECT_EQ(form.FormCloseButton.GlyphSize, Scaled(11));
}

TEST(ZelvarForm, PostTopMostDropsOnlyTheTopMostState) {
  TZelvarForm form;
  Show(form, 200, 150);
  const RECT before = WindowRect(form.Handle());
  SetWindowPos(form.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  ASSERT_TRUE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  form.PostTopMost();
  EXPECT_FALSE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(SameRect(WindowRect(form.Handle()), before));
  form.PostTopMost();
  EXPECT_FALSE(GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
}

TEST(ZelvarForm, MinButtonMinimizesTheWholeApplication) {
  TZelvarForm first;
  TZelvarForm second;
  Show(first, 100, 100);
  Show(second, 300, 300);
  ClickAt(second, Centre(second.FormMinButton.Bounds));
  Pump();
  EXPECT_TRUE(IsIconic(first.Handle()));
  EXPECT_TRUE(IsIconic(second.Handle()));
}

TEST(ZelvarForm, ActivationChangesTheGlyphOpacity) {
  TZelvarForm form;
  EXPECT_EQ(form.FormCloseButton.GlyphOpacity, 255);
  EXPECT_EQ(form.FormMinButton.GlyphOpacity, 200);
  EXPECT_EQ(form.FormMaxButton.GlyphOpacity, 200);
  SendMessageW(form.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(form.FormCloseButton.GlyphOpacity, 150);
  EXPECT_EQ(form.FormMinButton.GlyphOpacity, 120);
  EXPECT_EQ(form.FormMaxButton.GlyphOpacity, 120);
  SendMessageW(form.Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_EQ(form.FormCloseButton.GlyphOpacity, 255);
  EXPECT_EQ(form.FormMinButton.GlyphOpacity, 190);
  EXPECT_EQ(form.FormMaxButton.GlyphOpacity, 190);
}

// The minimize glyph's line, in the middle of its button.
POINT MinGlyphPixel(const TZelvarForm& form) {
  const RECT& b = form.FormMinButton.Bounds;
  const int side = form.FormMinButton.GlyphSize * 5 / 8;
  const int top = b.top + ((b.bottom - b.top) - side) / 2;
  return {(b.left + b.right) / 2, top + side / 2};
}

TEST(ZelvarForm, ButtonsDarkenWhileHoveredOrPressed) {
  TZelvarForm form;
  Show(form);
  SendMessageW(form.Handle(), WM_ACTIVATE, WA_INACTIVE, 0);  // glyphs at 120 and 150
  const RECT& min = form.FormMinButton.Bounds;
  const POINT corner{min.left + 1, min.top + 1};
  const POINT glyph = MinGlyphPixel(form);
  const POINT outside{form.FormCaption.Bounds.left + 2, form.FormCaptionBar.Bounds.bottom - 2};

  // Black at 10 of 255 over the bar's 241: 231.5.
  auto shaded = [](int v) { return v >= 230 && v <= 233; };
  {
    Capture normal(form);
    EXPECT_EQ(normal.Rgb(corner.x, corner.y), (std::array<int, 3>{241, 241, 241}));
    // 163 at opacity 120 over 241: 204.3.
    EXPECT_NEAR(normal.Rgb(glyph.x, glyph.y)[0], 204, 2);
  }
  SendMessageW(form.Handle(), WM_MOUSEMOVE, 0, At(Centre(min)));
  EXPECT_TRUE(form.FormMinButton.Hovered);
  {
    Capture hovered(form);
    for (int v : hovered.Rgb(corner.x, corner.y)) EXPECT_TRUE(shaded(v)) << v;
    // The glyph is drawn fully opaque while hovered.
    EXPECT_NEAR(hovered.Rgb(glyph.x, glyph.y)[0], 163, 2);
    // The others keep their look.
    const RECT& close = form.FormCloseButton.Bounds;
    EXPECT_EQ(hovered.Rgb(close.left + 1, close.top + 1), (std::array<int, 3>{241, 241, 241}));
  }
  SendMessageW(form.Handle(), WM_MOUSELEAVE, 0, 0);
  {
    Capture left(form);
    EXPECT_EQ(left.Rgb(corner.x, corner.y), (std::array<int, 3>{241, 241, 241}));
  }
  // Pressed: the same shade, until the pointer leaves the button.
  SendMessageW(form.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(Centre(min)));
  SendMessageW(form.Handle(), WM_MOUSELEAVE, 0, 0);
  {
    Capture pressed(form);
    for (int v : pressed.Rgb(corner.x, corner.y)) EXPECT_TRUE(shaded(v)) << v;
  }
  SendMessageW(form.Handle(), WM_LBUTTONUP, 0, At(outside));
  EXPECT_FALSE(IsIconic(form.Handle()));
  {
    Capture released(form);
    EXPECT_EQ(released.Rgb(corner.x, corner.y), (std::array<int, 3>{241, 241, 241}));
    // The bar and the white content below it.
    EXPECT_EQ(released.Rgb(outside.x, outside.y), (std::array<int, 3>{241, 241, 241}));
    EXPECT_EQ(released.Rgb(300, form.FormCaptionBar.Bounds.bottom + 30),
              (std::array<int, 3>{255, 255, 255}));
  }
}

// Ink of `text` drawn in `font`: the dark pixels of a white picture.
std::vector<bool> Ink(HFONT font, const wchar_t* text) {
  TAlphaBitmap bitmap;
  InitAlphaBitmap(bitmap, 80, 40);
  std::memset(bitmap.Bits(), 255, 80 * 40 * 4);
  ui_win32::SelectedObject selected(bitmap.Canvas(), font);
  SetBkMode(bitmap.Canvas(), TRANSPARENT);
  SetTextColor(bitmap.Canvas(), RGB(0, 0, 0));
  TextOutW(bitmap.Canvas(), 2, 2, text, int(wcslen(text)));
  GdiFlush();
  std::vector<bool> ink;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) ink.push_back(bitmap.Pixel(x, y)[0] < 128);
  return ink;
}

TEST(Fonts, KoreanTextHasGlyphs) {
  // Under Wine NanumGothic stands in for "맑은 고딕": the test prefix
  // replaces the face (HKCU\Software\Wine\Fonts\Replacements) and links it to
  // Tahoma (FontLink\SystemLink).
  ui_win32::UniqueFont product = ProductFont(-15);
  TAlphaBitmap bitmap;
  InitAlphaBitmap(bitmap, 1, 1);
  ui_win32::SelectedObject selected(bitmap.Canvas(), product.get());
  WORD glyphs[2] = {};
  ASSERT_EQ(
      GetGlyphIndicesW(bitmap.Canvas(), L"\uC824\uBC14", 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS),
      2u);
  EXPECT_NE(glyphs[0], 0xFFFF);
  EXPECT_NE(glyphs[1], 0xFFFF);

  // The frame's Tahoma draws Korean through the linked font: not the boxes
  // of letters it has no glyph for.
  ui_win32::UniqueFont frame = FrameFont(-15);
  EXPECT_TRUE(Ink(frame.get(), L"\uC824\uBC14") != Ink(frame.get(), L"\uE000\uE001"))
      << "Korean letters drawn as missing-glyph boxes";
}

}  // namespace
