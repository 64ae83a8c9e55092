#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Placement.h"
#include "ui/win32/GdiHandles.h"
#include "ui/win32/GlyphButton.h"
#include "ui/win32/PngImage.h"
#include "ui/win32/QVGDIUtil.h"
#include "ui/win32/StyledForm.h"
#include "ui/win32/WinGdi.h"

// A part of the caption bar, drawn by the frame in its own window. Bounds are
// in the window's client coordinates.
struct TFramePart {
  RECT Bounds{};
  bool Visible = true;
  int Width() const { return Bounds.right - Bounds.left; }
  int Height() const { return Bounds.bottom - Bounds.top; }
  bool Contains(POINT p) const { return Visible && PtInRect(&Bounds, p); }
  void Resize(int width, int height) {
    Bounds.right = Bounds.left + width;
    Bounds.bottom = Bounds.top + height;
  }
};

// A picture; the icon sizes itself to it.
struct TFrameImage : TFramePart {
  std::optional<TPngImage> Picture;
  TGPImage Drawn;  // GDI+'s copy of the picture, made when it is set
  void SetPicture(TPngImage picture);
};

// A one-line text that ends with an ellipsis where it does not fit.
struct TFrameLabel : TFramePart {
  std::wstring Text;
  int FontHeight = 0;  // LOGFONT height: negative is the characters' height
};

// The product's borderless window: its own caption bar with a wide logo or
// an icon and title, glyph buttons, DPI scaling of every caption-bar length,
// and placement beside an owner. Windows derive from it.
//
// How to derive: use the protected constructor, set up your own members,
// then call CreateFormWindow() at the end of your constructor (the window's
// first messages then reach your WindowProc). Your FormCreate and
// FormDestroy replace these; call them yourself as the base constructor and
// destructor do. Paint your content in PaintContent, inside ClientRect();
// take your own messages in WindowProc and pass the rest to
// TZelvarForm::WindowProc. Set OnChangeScale to rescale your content when
// the DPI changes.
class TZelvarForm {
 public:
  TZelvarForm();
  virtual ~TZelvarForm();
  TZelvarForm(const TZelvarForm&) = delete;
  TZelvarForm& operator=(const TZelvarForm&) = delete;

  virtual void ShowOwner(HWND AOwner, TFormDirection Direction);
  // Drops the top-most state, keeping the window above ordinary ones, without
  // moving, sizing or activating it. A window that is not top-most is left alone.
  void PostTopMost();
  // A length designed at 96 DPI, scaled to the window's current DPI.
  int DPIVal(int Value) const;
  void SetFormIcon(const TPngImage& Icon);

  // UTF-8, as text is inside the program.
  std::string Caption() const;
  void SetCaption(const std::string& caption);
  bool LogoMode() const { return FLogoMode; }
  void SetLogoMode(bool value);

  HWND Handle() const { return window_; }
  // The title as drawn: cut with an ellipsis to the label's width.
  std::wstring ShownCaption() const;

  // Called with the window after the caption bar was rescaled for a new DPI.
  std::function<void(TZelvarForm* Sender)> OnChangeScale;

  // The icon last given to SetFormIcon, unscaled.
  std::optional<TPngImage> OrgFormIcon;

  TFramePart FormCaptionBar;
  TGlyphButton FormCloseButton;
  TGlyphButton FormMaxButton;
  TGlyphButton FormMinButton;
  TStyledForm StyledForm;
  TFrameImage FormLogo;
  TFrameLabel FormCaption;
  TFrameImage FormIcon;
  TFramePart scPanel1;
  // "1x", "1.5", "2x", "4x" (the source of the logo at every DPI) and
  // "Group 1000002634" (the default icon).
  std::vector<TPngImage> FormImageList;

 protected:
  struct TDerivedForm {};
  explicit TZelvarForm(TDerivedForm);
  // Makes the window, hidden, at the design size for its DPI.
  void CreateFormWindow();

  // The area below the caption bar, inside the border.
  RECT ClientRect() const;

  virtual void FormCreate();
  virtual void FormDestroy();
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Draws the window's own content; the frame has drawn the background.
  virtual void PaintContent(HDC dc, const RECT& client) {}
  // Draws the whole window into `dc` (painting and WM_PRINTCLIENT alike).
  void PaintTo(HDC dc);
  // Lays the caption bar out again after a part was shown, hidden or resized.
  void LayoutCaptionBar();

 private:
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void SetUpForm();
  HFONT CaptionFont();
  void ScaleCaptionBar();
  void PlaceFormIcon();
  LRESULT HitTest(POINT client) const;
  bool InDragArea(POINT client) const;
  TGlyphButton* ButtonAt(POINT client);
  void Hover(TGlyphButton* button);
  void Click(TGlyphButton& button);

  void FormCaptionBarDblClick();
  void FormCaptionBarMouseDown(POINT screen);
  void FormCaptionBarMouseMove(POINT screen);
  void FormCaptionBarMouseUp();
  void FormMinButtonClick();
  void FormMaxButtonClick();
  void FormCloseButtonClick();
  void StyledFormDWMClientMaximize();
  void StyledFormDWMClientRestore();
  void StyledFormChangeActive();
  void StyledFormChangeScale(double factor);
  void ActionEscExecute();

  HWND window_ = nullptr;
  bool FLogoMode = false;
  bool derived_;
  bool iconPlaced_ = false;  // FormIcon placed by scaling, not centred by design
  int logoMargin_;           // left margins of FormLogo and FormCaption
  int captionMargin_;
  POINT iconOffset_{};  // FormIcon's place inside scPanel1
  ui_win32::UniqueFont captionFont_;
  int captionFontHeight_ = 0;
  bool tracking_ = false;  // a WM_MOUSELEAVE is asked for
  TGlyphButton* pressed_ = nullptr;

  enum class TDrag { None, Move, DragOut };
  TDrag drag_ = TDrag::None;
  POINT dragStart_{};   // pointer position where the drag-out began
  POINT dragOffset_{};  // pointer position relative to the window while moving
};
