#include "ui/win32/untZelvarForm.h"

#include <windowsx.h>
// windowsx.h names a macro after the styled form's own question.
#undef IsMaximized

#include "platform/Text.h"
#include "ui/CaptionLayout.h"
#include "ui/DpiMath.h"
#include "ui/FrameDesign.h"
#include "ui/win32/Artwork.h"

using namespace FrameDesign;
using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

constexpr wchar_t kWindowClass[] = L"TZelvarForm";

TScreenRect ScreenRect(const RECT& r) {
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

RECT WorkAreaAt(POINT p) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromPoint(p, MONITOR_DEFAULTTONEAREST), &monitor);
  return monitor.rcWork;
}

// A callback of the system's: its calling convention, not a lambda's.
BOOL CALLBACK MinimizeOwnWindow(HWND window, LPARAM process) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(process) && IsWindowVisible(window) && !GetParent(window))
    ShowWindow(window, SW_MINIMIZE);
  return TRUE;
}

}  // namespace

void TFrameImage::SetPicture(TPngImage picture) {
  Drawn = PngToGPImage(&picture);
  Picture = std::move(picture);
}

TZelvarForm::TZelvarForm() : derived_(false) {
  SetUpForm();
  CreateFormWindow();
  FormCreate();
}

TZelvarForm::TZelvarForm(TDerivedForm) : derived_(true) {
  SetUpForm();
}

TZelvarForm::~TZelvarForm() {
  if (!derived_) FormDestroy();
  if (window_) {
    // The object is going: its last messages take the default path.
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
  }
}

void TZelvarForm::SetUpForm() {
  for (const TEmbeddedFile& file : kFrameArtwork) {
    auto image = TPngImage::LoadFromMemory(file.Data, file.Size);
    FormImageList.push_back(image ? std::move(*image) : TPngImage(1, 1));
  }

  StyledForm.OnChangeActive = [this] { StyledFormChangeActive(); };
  StyledForm.OnChangeScale = [this](double factor) { StyledFormChangeScale(factor); };
  StyledForm.OnDWMClientMaximize = [this] { StyledFormDWMClientMaximize(); };
  StyledForm.OnDWMClientRestore = [this] { StyledFormDWMClientRestore(); };

  FormCaptionBar.Resize(kClientWidth - 2 * kBorder, kCaptionBarHeight);
  // Design values of the buttons; the close glyph starts fully opaque, the
  // others dimmed until the first activation change.
  FormMinButton.Glyph = TGlyphButton::gkMinimize;
  FormMinButton.GlyphSize = kMinGlyph;
  FormMinButton.GlyphOpacity = kOtherOpacityAtStart;
  FormMinButton.Resize(kMinWidth, kCaptionBarHeight);
  FormMaxButton.Glyph = TGlyphButton::gkMaximize;
  FormMaxButton.GlyphSize = kMaxGlyph;
  FormMaxButton.GlyphOpacity = kOtherOpacityAtStart;
  FormMaxButton.Resize(kMaxWidth, kMaxHeight);
  FormCloseButton.Glyph = TGlyphButton::gkClose;
  FormCloseButton.GlyphSize = kCloseGlyph;
  FormCloseButton.GlyphOpacity = kCloseOpacityAtStart;
  FormCloseButton.Resize(kCloseWidth, kCaptionBarHeight);

  // Design pictures: the 1x logo, and the default icon at 24 x 25.
  FormLogo.Visible = false;
  FormLogo.Resize(kLogoWidth, kLogoHeight);
  FormLogo.SetPicture(FormImageList[0]);
  if (auto icon = ScalePng(&FormImageList[kDefaultIconIndex], kIconWidth, kIconHeight)) {
    FormIcon.Resize(icon->Width(), icon->Height());
    FormIcon.SetPicture(std::move(*icon));
  }
  scPanel1.Resize(kIconPanelWidth, kCaptionBarHeight);
  FormCaption.Text = L"\uC824\uBC14";  // "젤바"
  FormCaption.FontHeight = -kCaptionFontHeight;
  logoMargin_ = kLogoMargin;
  captionMargin_ = kCaptionMargin;
}

void TZelvarForm::CreateFormWindow() {
  static const bool registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    // Double-clicks on the caption bar of a maximized window come as client
    // messages.
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &WindowProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClass;
    return RegisterClassExW(&windowClass) != 0;
  }();
  (void)registered;
  // A frame of the platform's own kind, so that the window manager gives it
  // its shadow, snapping and minimize animation; WM_NCCALCSIZE makes all of
  // it client area.
  const DWORD style = WS_POPUP | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  CreateWindowExW(0, kWindowClass, FormCaption.Text.c_str(), style, 0, 0, kClientWidth,
                  kClientHeight, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) return;
  // Made on a monitor of another DPI, the window starts at that DPI's size.
  if (StyledForm.CurrentPPI() != 96)
    SetWindowPos(window_, nullptr, 0, 0, DPIVal(kClientWidth), DPIVal(kClientHeight),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  LayoutCaptionBar();
}

LRESULT CALLBACK TZelvarForm::WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    // The form comes with the window's first message; from here on every
    // message reaches it.
    auto* form =
        static_cast<TZelvarForm*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    form->window_ = window;
    form->StyledForm.Attach(window);
  }
  auto* form = reinterpret_cast<TZelvarForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  // No exception leaves a window procedure; the message is dropped.
  try {
    return form->WindowProc(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

void TZelvarForm::FormCreate() {
  SetLogoMode(false);
  OrgFormIcon.reset();
}

void TZelvarForm::FormDestroy() {
  OrgFormIcon.reset();
}

int TZelvarForm::DPIVal(int Value) const {
  return ScaleFrom96(Value, StyledForm.CurrentPPI());
}

RECT TZelvarForm::ClientRect() const {
  RECT client{0, 0, kClientWidth, kClientHeight};
  if (window_) GetClientRect(window_, &client);
  const int top = kBorder + FormCaptionBar.Height();
  return {kBorder, top, client.right - kBorder, client.bottom - kBorder};
}

std::string TZelvarForm::Caption() const {
  if (!window_) return platform::WideToUtf8(FormCaption.Text);
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window_)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window_, text.data(), int(text.size()))));
  return platform::WideToUtf8(text);
}

void TZelvarForm::SetCaption(const std::string& caption) {
  FormCaption.Text = platform::Utf8ToWide(caption);
  if (window_) {
    SetWindowTextW(window_, FormCaption.Text.c_str());
    InvalidateRect(window_, nullptr, FALSE);
  }
}

void TZelvarForm::SetLogoMode(bool value) {
  if (value == FLogoMode) return;
  FLogoMode = value;
  FormLogo.Visible = value;
  FormIcon.Visible = !value;
  FormCaption.Visible = !value;
  LayoutCaptionBar();
}

void TZelvarForm::SetFormIcon(const TPngImage& Icon) {
  OrgFormIcon = Icon;
  if (auto icon = ScalePng(&*OrgFormIcon, DPIVal(16), DPIVal(16))) {
    FormIcon.Resize(icon->Width(), icon->Height());
    FormIcon.SetPicture(std::move(*icon));
  }
  PlaceFormIcon();
  LayoutCaptionBar();
}

// scPanel1 follows its icon; the icon sits a pixel below the panel's middle.
void TZelvarForm::PlaceFormIcon() {
  iconPlaced_ = true;
  scPanel1.Resize(IconPanelWidth(DPIVal(5), FormIcon.Width()), FormCaptionBar.Height());
  iconOffset_ = {DPIVal(5), IconTop(scPanel1.Height(), FormIcon.Height())};
}

void TZelvarForm::ScaleCaptionBar() {
  const TCaptionMetrics m = ScaledCaptionMetrics(StyledForm.CurrentPPI());
  FormCaptionBar.Resize(FormCaptionBar.Width(), m.BarHeight);
  FormMinButton.GlyphSize = m.MinGlyph;
  FormMaxButton.GlyphSize = m.MaxGlyph;
  FormCloseButton.GlyphSize = m.CloseGlyph;
  for (TGlyphButton* button : {&FormMinButton, &FormMaxButton, &FormCloseButton})
    button->Resize(m.ButtonWidth, button->Height());

  // Always from the unscaled sources, never from a picture scaled before.
  if (auto logo = ScalePng(&FormImageList[kLogoSourceIndex], m.LogoWidth, m.LogoHeight)) {
    FormLogo.Resize(logo->Width(), FormLogo.Height());
    FormLogo.SetPicture(std::move(*logo));
  }
  const TPngImage* iconSource = OrgFormIcon ? &*OrgFormIcon : &FormImageList[kDefaultIconIndex];
  if (auto icon = ScalePng(iconSource, m.IconSize, m.IconSize)) {
    FormIcon.Resize(icon->Width(), icon->Height());
    FormIcon.SetPicture(std::move(*icon));
  }
  PlaceFormIcon();
  logoMargin_ = m.LogoMargin;
  captionMargin_ = m.CaptionMargin;
  FormCaption.FontHeight = m.FontHeight;
  LayoutCaptionBar();
}

void TZelvarForm::LayoutCaptionBar() {
  RECT client{0, 0, kClientWidth, kClientHeight};
  if (window_) GetClientRect(window_, &client);
  const int barHeight = FormCaptionBar.Height();
  FormCaptionBar.Bounds = {kBorder, kBorder, client.right - kBorder, kBorder + barHeight};

  const TCaptionLayout layout = LayoutCaption({
      .BarWidth = FormCaptionBar.Width(),
      .BarHeight = barHeight,
      .TopMargin = DPIVal(kTopMargin),
      .LogoVisible = FormLogo.Visible,
      .LogoWidth = FormLogo.Width(),
      .LogoMargin = logoMargin_,
      .PanelWidth = scPanel1.Width(),
      .CaptionVisible = FormCaption.Visible,
      .CaptionMargin = captionMargin_,
      .CloseVisible = FormCloseButton.Visible,
      .MaxVisible = FormMaxButton.Visible,
      .MinVisible = FormMinButton.Visible,
      .CloseWidth = FormCloseButton.Width(),
      .MaxWidth = FormMaxButton.Width(),
      .MinWidth = FormMinButton.Width(),
      .MaxTop = DPIVal(kMaxTop),
      .MaxGap = DPIVal(kMaxLeftMargin),
  });
  const POINT origin{FormCaptionBar.Bounds.left, FormCaptionBar.Bounds.top};
  auto place = [&origin](RECT& bounds, const TCaptionBox& box) {
    bounds = {origin.x + box.Left, origin.y + box.Top, origin.x + box.Left + box.Width,
              origin.y + box.Top + box.Height};
  };
  if (FormLogo.Visible) place(FormLogo.Bounds, layout.Logo);
  place(scPanel1.Bounds, layout.Panel);
  const POINT icon =
      iconPlaced_ ? iconOffset_ : POINT{(scPanel1.Width() - FormIcon.Width()) / 2, 0};
  const int iconWidth = FormIcon.Width();
  const int iconHeight = FormIcon.Height();
  FormIcon.Bounds = {scPanel1.Bounds.left + icon.x, scPanel1.Bounds.top + icon.y,
                     scPanel1.Bounds.left + icon.x + iconWidth,
                     scPanel1.Bounds.top + icon.y + iconHeight};
  if (FormCloseButton.Visible) place(FormCloseButton.Bounds, layout.Close);
  if (FormMaxButton.Visible) place(FormMaxButton.Bounds, layout.Max);
  if (FormMinButton.Visible) place(FormMinButton.Bounds, layout.Min);
  if (FormCaption.Visible) place(FormCaption.Bounds, layout.Caption);
  if (window_) InvalidateRect(window_, nullptr, FALSE);
}

TGlyphButton* TZelvarForm::ButtonAt(POINT client) {
  for (TGlyphButton* button : {&FormMinButton, &FormMaxButton, &FormCloseButton})
    if (button->Contains(client)) return button;
  return nullptr;
}

// The bar, the logo, the title and the icon move the window; the buttons
// and the icon's panel around the icon do not.
bool TZelvarForm::InDragArea(POINT client) const {
  for (const TGlyphButton* button : {&FormMinButton, &FormMaxButton, &FormCloseButton})
    if (button->Contains(client)) return false;
  if (scPanel1.Contains(client) && !FormIcon.Contains(client)) return false;
  return FormCaptionBar.Contains(client);
}

// A maximized window's bar is client area: dragging it out is ours to do.
LRESULT TZelvarForm::HitTest(POINT client) const {
  if (InDragArea(client) && !StyledForm.IsMaximized()) return HTCAPTION;
  return HTCLIENT;
}

void TZelvarForm::Hover(TGlyphButton* hovered) {
  bool changed = false;
  for (TGlyphButton* button : {&FormMinButton, &FormMaxButton, &FormCloseButton}) {
    const bool now = button == hovered;
    changed |= button->Hovered != now;
    button->Hovered = now;
  }
  if (hovered && !tracking_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window_, 0};
    tracking_ = TrackMouseEvent(&track) != FALSE;
  }
  if (changed) InvalidateRect(window_, nullptr, FALSE);
}

void TZelvarForm::Click(TGlyphButton& button) {
  if (!button.Enabled || !button.Visible) return;
  if (&button == &FormMinButton) FormMinButtonClick();
  if (&button == &FormMaxButton) FormMaxButtonClick();
  if (&button == &FormCloseButton) FormCloseButtonClick();
}

LRESULT TZelvarForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (StyledForm.HandleMessage(message, wParam, lParam, result)) return result;
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  auto screen = [this](POINT p) {
    ClientToScreen(window_, &p);
    return p;
  };

  switch (message) {
    case WM_NCHITTEST: {
      POINT client = at;
      ScreenToClient(window_, &client);
      return HitTest(client);
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(window_, &paint)) {
        PaintTo(dc);
        EndPaint(window_, &paint);
      }
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SIZE:
      LayoutCaptionBar();
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        POINT cursor;
        GetCursorPos(&cursor);
        ScreenToClient(window_, &cursor);
        if (ButtonAt(cursor)) {
          SetCursor(LoadCursorW(nullptr, IDC_HAND));
          return TRUE;
        }
      }
      break;
    case WM_MOUSEMOVE:
      if (drag_ != TDrag::None) {
        FormCaptionBarMouseMove(screen(at));
        return 0;
      }
      Hover(ButtonAt(at));
      if (pressed_) {
        const bool inside = pressed_->Contains(at);
        if (pressed_->Pressed != inside) {
          pressed_->Pressed = inside;
          InvalidateRect(window_, nullptr, FALSE);
        }
      }
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      Hover(nullptr);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (TGlyphButton* button = ButtonAt(at)) {
        pressed_ = button;
        button->Pressed = true;
        SetCapture(window_);
        InvalidateRect(window_, nullptr, FALSE);
        return 0;
      }
      if (InDragArea(at)) {
        if (message == WM_LBUTTONDBLCLK) {
          FormCaptionBarDblClick();
        } else {
          FormCaptionBarMouseDown(screen(at));
          SetCapture(window_);
        }
      }
      return 0;
    case WM_LBUTTONUP: {
      TGlyphButton* button = pressed_;
      const bool clicked = button && button->Contains(at);
      if (drag_ != TDrag::None) FormCaptionBarMouseUp();
      if (GetCapture() == window_) ReleaseCapture();
      if (button) {
        button->Pressed = false;
        pressed_ = nullptr;
        InvalidateRect(window_, nullptr, FALSE);
      }
      if (clicked) Click(*button);
      return 0;
    }
    case WM_CAPTURECHANGED:
      drag_ = TDrag::None;
      if (pressed_) {
        pressed_->Pressed = false;
        pressed_ = nullptr;
        InvalidateRect(window_, nullptr, FALSE);
      }
      return 0;
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTCAPTION) {
        FormCaptionBarDblClick();
        return 0;
      }
      break;
    case WM_MOVING: {
      // Near a work area's edge, a dragged window goes onto it.
      auto* rect = reinterpret_cast<RECT*>(lParam);
      POINT cursor;
      GetCursorPos(&cursor);
      const int width = rect->right - rect->left, height = rect->bottom - rect->top;
      const TScreenPoint snapped =
          SnapToEdges({rect->left, rect->top}, width, height, ScreenRect(WorkAreaAt(cursor)));
      *rect = {snapped.Left, snapped.Top, snapped.Left + width, snapped.Top + height};
      return TRUE;
    }
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        ActionEscExecute();
        return 0;
      }
      break;
    case WM_NCDESTROY:
      window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void TZelvarForm::FormCaptionBarDblClick() {
  drag_ = TDrag::None;
  if (StyledForm.IsMaximized())
    StyledForm.Restore();
  else
    StyledForm.Maximize();
}

void TZelvarForm::FormCaptionBarMouseDown(POINT screen) {
  if (StyledForm.IsMaximized()) {
    drag_ = TDrag::DragOut;
    dragStart_ = screen;
    return;
  }
  RECT bounds;
  GetWindowRect(window_, &bounds);
  drag_ = TDrag::Move;
  dragOffset_ = {screen.x - bounds.left, screen.y - bounds.top};
}

void TZelvarForm::FormCaptionBarMouseMove(POINT screen) {
  if (drag_ == TDrag::DragOut) {
    if (screen.x == dragStart_.x && screen.y == dragStart_.y) return;
    // Restore at the normal size under the pointer.
    RECT maximized;
    GetWindowRect(window_, &maximized);
    const RECT normal = StyledForm.NormalBounds();
    const int width = normal.right - normal.left, height = normal.bottom - normal.top;
    const TScreenPoint place = RestoredUnderPointer(
        ScreenRect(maximized), width, {dragStart_.x, dragStart_.y}, {screen.x, screen.y});
    const int left = place.Left, top = place.Top;
    const RECT restored{left, top, left + width, top + height};
    StyledForm.Restore(&restored);
    drag_ = TDrag::Move;
    dragOffset_ = {screen.x - left, screen.y - top};
    return;
  }
  if (drag_ == TDrag::Move) {
    RECT bounds;
    GetWindowRect(window_, &bounds);
    const TScreenPoint snapped = SnapToEdges({screen.x - dragOffset_.x, screen.y - dragOffset_.y},
                                             bounds.right - bounds.left, bounds.bottom - bounds.top,
                                             ScreenRect(WorkAreaAt(screen)));
    SetWindowPos(window_, nullptr, snapped.Left, snapped.Top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TZelvarForm::FormCaptionBarMouseUp() {
  drag_ = TDrag::None;
}

void TZelvarForm::FormMinButtonClick() {
  // The whole application goes, not only this window.
  EnumWindows(&MinimizeOwnWindow, static_cast<LPARAM>(GetCurrentProcessId()));
}

void TZelvarForm::FormMaxButtonClick() {
  FormCaptionBarDblClick();
}

// The same path as the platform's own close command.
void TZelvarForm::FormCloseButtonClick() {
  SendMessageW(window_, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void TZelvarForm::StyledFormDWMClientMaximize() {
  FormMaxButton.Glyph = TGlyphButton::gkRestore;
  InvalidateRect(window_, nullptr, FALSE);
}

void TZelvarForm::StyledFormDWMClientRestore() {
  FormMaxButton.Glyph = TGlyphButton::gkMaximize;
  InvalidateRect(window_, nullptr, FALSE);
}

void TZelvarForm::StyledFormChangeActive() {
  const bool active = StyledForm.Active();
  FormCloseButton.GlyphOpacity = active ? kCloseOpacityActive : kCloseOpacityInactive;
  FormMinButton.GlyphOpacity = active ? kOtherOpacityActive : kOtherOpacityInactive;
  FormMaxButton.GlyphOpacity = active ? kOtherOpacityActive : kOtherOpacityInactive;
  InvalidateRect(window_, nullptr, FALSE);
}

// The factor that comes with the report is not used: every size is taken
// from the window's current DPI.
void TZelvarForm::StyledFormChangeScale(double) {
  ScaleCaptionBar();
  if (OnChangeScale) OnChangeScale(this);
}

// Esc is taken so that it neither closes nor cancels the window.
void TZelvarForm::ActionEscExecute() {}

void TZelvarForm::ShowOwner(HWND AOwner, TFormDirection Direction) {
  RECT self;
  GetWindowRect(window_, &self);
  MONITORINFO primary{};
  primary.cbSize = sizeof(primary);
  GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);

  TOwnerPlacement placement;
  placement.Direction = Direction;
  placement.W = self.right - self.left;
  placement.H = self.bottom - self.top;
  placement.HasOwner = AOwner != nullptr;
  placement.WorkArea = ScreenRect(primary.rcWork);
  placement.Primary = ScreenRect(primary.rcMonitor);
  if (AOwner) {
    RECT owner, ownerClient;
    GetWindowRect(AOwner, &owner);
    GetClientRect(AOwner, &ownerClient);
    placement.Owner = ScreenRect(owner);
    placement.OwnerClientWidth = ownerClient.right;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(AOwner, MONITOR_DEFAULTTONEAREST), &monitor);
    placement.WorkArea = ScreenRect(monitor.rcWork);
  }

  const TScreenPoint position = PlaceBesideOwner(placement);
  SetWindowPos(window_, nullptr, position.Left, position.Top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window_, SW_SHOW);
  ScaleCaptionBar();
}

void TZelvarForm::PostTopMost() {
  SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
}
