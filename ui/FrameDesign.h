#pragma once

#include <cstdint>

// The frame's look as designed at 96 DPI, in device pixels. Both window
// systems draw from these.
namespace FrameDesign {

struct TRgb {
  uint8_t R, G, B;
};

inline constexpr int kClientWidth = 651;
inline constexpr int kClientHeight = 338;
inline constexpr int kTextFontHeight = 11;  // Tahoma, the window's default text

inline constexpr TRgb kBackground{255, 255, 255};
// The thin line that stands in for the platform's frame.
inline constexpr int kBorder = 1;
inline constexpr TRgb kActiveBorder{180, 180, 180};
inline constexpr TRgb kInactiveBorder{210, 210, 210};
inline constexpr TRgb kCaptionBarColour{241, 241, 241};
inline constexpr TRgb kCaptionTextColour{48, 48, 48};
inline constexpr TRgb kGlyphColour{163, 163, 163};
inline constexpr TRgb kDisabledGlyphColour{190, 190, 190};
inline constexpr uint8_t kDisabledGlyphOpacity = 125;
// Hovered or pressed, a button darkens to black at this opacity.
inline constexpr uint8_t kHoverShadeOpacity = 10;

inline constexpr int kCaptionBarHeight = 26;
inline constexpr int kCaptionFontHeight = 15;
inline constexpr int kTopMargin = 2;  // of the logo and the title
inline constexpr int kLogoWidth = 48;
inline constexpr int kLogoHeight = 24;
inline constexpr int kLogoMargin = 12;
inline constexpr int kIconPanelWidth = 26;
inline constexpr int kIconWidth = 24;  // the design picture of the icon
inline constexpr int kIconHeight = 25;
inline constexpr int kCaptionMargin = 2;

inline constexpr int kCloseWidth = 32;
inline constexpr int kCloseRightMargin = 1;
inline constexpr int kCloseGlyph = 9;
inline constexpr int kMaxWidth = 28;
inline constexpr int kMaxHeight = 25;
inline constexpr int kMaxTop = 1;
inline constexpr int kMaxLeftMargin = 2;
inline constexpr int kMaxGlyph = 14;
inline constexpr int kMinWidth = 28;
inline constexpr int kMinGlyph = 16;

// Glyph opacity in the normal state: until the first activation change, then
// while active and while inactive.
inline constexpr uint8_t kCloseOpacityAtStart = 255;
inline constexpr uint8_t kOtherOpacityAtStart = 200;
inline constexpr uint8_t kCloseOpacityActive = 255;
inline constexpr uint8_t kOtherOpacityActive = 190;
inline constexpr uint8_t kCloseOpacityInactive = 150;
inline constexpr uint8_t kOtherOpacityInactive = 120;

// The pictures of the image collection: the 4x logo is the source of the
// logo at every DPI, the last one the default icon.
inline constexpr int kLogoSourceIndex = 3;
inline constexpr int kDefaultIconIndex = 4;

}  // namespace FrameDesign
