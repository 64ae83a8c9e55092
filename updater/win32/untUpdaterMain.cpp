#include "updater/win32/untUpdaterMain.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/Text.h"
#include "ui/win32/Fonts.h"
#include "updater/WindowDesign.h"
#include "updater/win32/Artwork.h"
#include "updater/win32/MessageBox.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;
namespace design = window_design;

namespace {

constexpr UINT_PTR kRunTimer = 1;

const COLORREF kTitleColour = RGB(0x1F, 0x1F, 0x1F);
const COLORREF kTextColour = RGB(0x3B, 0x3B, 0x3D);
const COLORREF kTrackColour = RGB(0xD9, 0xD9, 0xD9);
const COLORREF kBarColour = RGB(0x18, 0x8F, 0xCC);

ARGB Opaque(COLORREF colour) {
  return 0xFF000000u | (ARGB{GetRValue(colour)} << 16) | (ARGB{GetGValue(colour)} << 8) |
         GetBValue(colour);
}

void SetBounds(TFramePart& part, int left, int top, int width, int height) {
  part.Bounds = {left, top, left + std::max(0, width), top + std::max(0, height)};
}

// The rounded shape anti-aliased; a part narrower than its corners takes
// corners of half its size.
void FillRound(GpGraphics* graphics, const TRoundPanel& panel) {
  const int width = panel.Width(), height = panel.Height();
  if (!panel.Visible || width <= 0 || height <= 0) return;
  const REAL diameter = static_cast<REAL>(std::min({2 * panel.Radius, width, height}));
  const REAL x = static_cast<REAL>(panel.Bounds.left), y = static_cast<REAL>(panel.Bounds.top);
  const REAL w = static_cast<REAL>(width), h = static_cast<REAL>(height);
  GpPath* rawPath = nullptr;
  GdipCreatePath(FillModeAlternate, &rawPath);
  const ui_win32::UniqueGPPath path(rawPath);
  if (!path) return;
  if (diameter > 0) {
    GdipAddPathArc(rawPath, x, y, diameter, diameter, 180, 90);
    GdipAddPathArc(rawPath, x + w - diameter, y, diameter, diameter, 270, 90);
    GdipAddPathArc(rawPath, x + w - diameter, y + h - diameter, diameter, diameter, 0, 90);
    GdipAddPathArc(rawPath, x, y + h - diameter, diameter, diameter, 90, 90);
    GdipClosePathFigure(rawPath);
  } else {
    GdipAddPathRectangle(rawPath, x, y, w, h);
  }
  GpSolidFill* rawBrush = nullptr;
  GdipCreateSolidFill(Opaque(panel.Colour), &rawBrush);
  const ui_win32::UniqueGPBrush brush(rawBrush);
  if (brush) GdipFillPath(graphics, brush.get(), rawPath);
}

void DrawLabel(HDC dc, const TContentLabel& label) {
  if (!label.Visible || !label.Font) return;
  ui_win32::SelectedObject font(dc, label.Font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, label.Colour);
  RECT box = label.Bounds;
  DrawTextW(dc, label.Text.c_str(), -1, &box,
            DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | (label.RightAligned ? DT_RIGHT : 0));
}

// The height of a line in the label's font.
int LineHeight(const TContentLabel& label) {
  ui_win32::WindowDC screen(nullptr);
  ui_win32::SelectedObject font(screen.get(), label.Font.get());
  TEXTMETRICW metrics{};
  GetTextMetricsW(screen.get(), &metrics);
  return metrics.tmHeight;
}

void SetUpLabel(TContentLabel& label, const char* text, int fontHeight, int weight,
                COLORREF colour) {
  label.Text = platform::Utf8ToWide(text);
  label.FontHeight = fontHeight;
  label.Weight = weight;
  label.Colour = colour;
}

}  // namespace

TfmUpdaterMain::TfmUpdaterMain() : TfmUpdaterMain(std::nullopt) {}

TfmUpdaterMain::TfmUpdaterMain(const TUpdateRunSetup& setup)
    : TfmUpdaterMain(std::optional<TUpdateRunSetup>(setup)) {}

TfmUpdaterMain::TfmUpdaterMain(std::optional<TUpdateRunSetup> setup)
    : TZelvarForm(TDerivedForm{}), FSetup(std::move(setup)) {
  const TEmbeddedFile& logo = kUpdaterArtwork[0];
  auto image = TPngImage::LoadFromMemory(logo.Data, logo.Size);
  ImgList.push_back(image ? std::move(*image) : TPngImage(1, 1));

  SetUpLabel(lblTitle, design::kTitle, design::kTitleFontHeight, FW_BOLD, kTitleColour);
  SetUpLabel(lblWait, design::kWait, design::kLineFontHeight, FW_NORMAL, kTextColour);
  SetUpLabel(lblStatus, design::StageDisplay(stDownload).Text, design::kLineFontHeight, FW_NORMAL,
             kTextColour);
  SetUpLabel(lblPercent, "0%", design::kLineFontHeight, FW_NORMAL, kTextColour);
  lblPercent.RightAligned = true;
  scProgressMain.Colour = kTrackColour;
  scProgressBar.Colour = kBarColour;

  SetCaption(design::kCaption);
  CreateFormWindow();
  FormCreate();
}

TfmUpdaterMain::~TfmUpdaterMain() {
  FormDestroy();
}

void TfmUpdaterMain::FormCreate() {
  if (HWND window = Handle())
    SetWindowPos(window, nullptr, 0, 0, DPIVal(design::kWidth), DPIVal(design::kHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetLogoMode(true);
  FormMinButton.Visible = false;
  FormMaxButton.Visible = false;
  LayoutCaptionBar();
  SetStatus(stInit);
  OnChangeScale = [this](TZelvarForm* Sender) { ScaleChanged(Sender); };
  LayoutContent();
  LoadLogo();

  // Centred in its monitor's work area.
  if (HWND window = Handle()) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame{};
    GetWindowRect(window, &frame);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  if (FSetup) {
    FRun = std::make_unique<TUpdateRun>(static_cast<TUpdateRunHost&>(*this), *FSetup);
    FRun->Start();
  }
}

void TfmUpdaterMain::FormDestroy() {
  // Stops the transfer and leaves the installation as it was, unless the
  // update landed.
  FRun.reset();
}

LRESULT TfmUpdaterMain::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kRunTimer) {
        // A single shot: the run sets it again when it wants another.
        KillTimer(Handle(), kRunTimer);
        if (FRun) FRun->TimerFired();
        return 0;
      }
      break;
    case WM_CLOSE:
      if (FRun) FRun->WindowClosed();
      break;
    case WM_SIZE: {
      const LRESULT result = TZelvarForm::WindowProc(message, wParam, lParam);
      LayoutContent();
      return result;
    }
    case WM_DESTROY:
      // The application's one window: the message loop ends with it.
      PostQuitMessage(0);
      break;
    default:
      break;
  }
  return TZelvarForm::WindowProc(message, wParam, lParam);
}

void TfmUpdaterMain::SetStatus(TStatus status) {
  if (status == FStatus) return;
  FStatus = status;
  const design::TStageDisplay stage = design::StageDisplay(status);
  if (stage.ResetsProgress) {
    scProgressBar.Resize(0, scProgressBar.Height());
    lblPercent.Text = L"0%";
  }
  lblStatus.Text = platform::Utf8ToWide(stage.Text);
  Invalidate();
}

void TfmUpdaterMain::LoadLogo() {
  if (auto logo = ScalePng(&ImgList[0], DPIVal(design::kLogoWidth), DPIVal(design::kLogoHeight))) {
    ImgLogo.Resize(logo->Width(), logo->Height());
    ImgLogo.SetPicture(std::move(*logo));
  }
  Invalidate();
}

void TfmUpdaterMain::ScaleChanged(TZelvarForm*) {
  LayoutContent();
  LoadLogo();
}

// Design positions on Panel1, scaled to the current DPI.
void TfmUpdaterMain::LayoutContent() {
  const RECT client = ClientRect();
  SetBounds(Panel1, client.left, client.top, client.right - client.left,
            DPIVal(design::kPanelHeight));
  const int x = Panel1.Bounds.left, y = Panel1.Bounds.top;
  const int panelWidth = Panel1.Width();

  for (TContentLabel* label : {&lblTitle, &lblWait, &lblStatus, &lblPercent})
    label->Font = ProductFont(-DPIVal(label->FontHeight), label->Weight);
  const design::TContentPlaces places =
      design::PlaceContent(panelWidth, [this](int value) { return DPIVal(value); });
  auto placeLine = [&](TContentLabel& label, const design::TLinePlace& place) {
    SetBounds(label, x + place.Left, y + place.Top, place.Width, LineHeight(label));
  };
  SetBounds(ImgLogo, x + places.LogoLeft, y + places.LogoTop, ImgLogo.Width(), ImgLogo.Height());
  placeLine(lblTitle, places.Title);
  placeLine(lblWait, places.Wait);
  placeLine(lblStatus, places.Status);
  placeLine(lblPercent, places.Percent);

  const int height = places.TrackHeight;
  const int radius = DPIVal(design::kTrackRadius);
  const int bar =
      design::KeptBarWidth(scProgressBar.Width(), scProgressMain.Width(), places.TrackWidth);
  SetBounds(scProgressMain, x + places.TrackLeft, y + places.TrackTop, places.TrackWidth, height);
  scProgressMain.Radius = radius;
  SetBounds(scProgressBar, scProgressMain.Bounds.left, scProgressMain.Bounds.top, bar, height);
  scProgressBar.Radius = radius;
  Invalidate();
}

void TfmUpdaterMain::PaintContent(HDC dc, const RECT&) {
  {
    GpGraphics* raw = nullptr;
    GdipCreateFromHDC(dc, &raw);
    ui_win32::UniqueGPGraphics graphics(raw);
    if (graphics) {
      GdipSetSmoothingMode(raw, SmoothingModeAntiAlias);
      GdipSetPixelOffsetMode(raw, PixelOffsetModeHalf);
      FillRound(raw, scProgressMain);
      FillRound(raw, scProgressBar);
      // The logo is already scaled: pixel for pixel.
      GdipSetInterpolationMode(raw, InterpolationModeNearestNeighbor);
      if (ImgLogo.Drawn && ImgLogo.Picture)
        GdipDrawImageRectI(raw, ImgLogo.Drawn.get(), ImgLogo.Bounds.left, ImgLogo.Bounds.top,
                           ImgLogo.Picture->Width(), ImgLogo.Picture->Height());
    }
  }
  for (const TContentLabel* label : {&lblTitle, &lblWait, &lblStatus, &lblPercent})
    DrawLabel(dc, *label);
}

void TfmUpdaterMain::Invalidate() {
  if (HWND window = Handle()) InvalidateRect(window, nullptr, FALSE);
}

void TfmUpdaterMain::ShowStatusLine(const std::string& text) {
  lblStatus.Text = platform::Utf8ToWide(text);
  Invalidate();
}

void TfmUpdaterMain::ShowProgress(int percent, bool withPercentage) {
  scProgressBar.Resize(BarWidth(percent, scProgressMain.Width()), scProgressBar.Height());
  if (withPercentage) lblPercent.Text = std::to_wstring(percent) + L"%";
  Invalidate();
}

void TfmUpdaterMain::StartTimer(uint32_t milliseconds) {
  // Setting it again replaces the one that is set.
  if (HWND window = Handle()) SetTimer(window, kRunTimer, milliseconds, nullptr);
}

void TfmUpdaterMain::StopTimer() {
  if (HWND window = Handle()) KillTimer(window, kRunTimer);
}

void TfmUpdaterMain::ProcessMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Left for the message loop, which ends on it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void TfmUpdaterMain::Repaint() {
  if (HWND window = Handle()) UpdateWindow(window);
}

void TfmUpdaterMain::ShowMessage(const std::string& text) {
  ShowInformationMessage(Handle(), text.c_str());
}

void TfmUpdaterMain::CloseWindow() {
  if (HWND window = Handle()) SendMessageW(window, WM_CLOSE, 0, 0);
}

void TfmUpdaterMain::Terminate() {
  FTerminated = true;
  PostQuitMessage(0);
}

uint64_t TfmUpdaterMain::TickCount() {
  return platform::TickCount();
}

platform::LocalTime TfmUpdaterMain::LocalTime() {
  return platform::LocalTimeNow();
}

void TfmUpdaterMain::Sleep(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}
