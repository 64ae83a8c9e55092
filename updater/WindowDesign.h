#pragma once

#include <algorithm>
#include <cstdint>

#include "updater/UpdateRunHost.h"

// The update window's content in design pixels at 96 DPI, relative to its
// panel, and its texts (UTF-8). Both platforms' windows lay out from these.
namespace window_design {

constexpr int kWidth = 500;
constexpr int kHeight = 157;
constexpr int kPanelHeight = 133;

constexpr int kLogoLeft = 24, kLogoTop = 21, kLogoWidth = 36, kLogoHeight = 37;
constexpr int kTextLeft = 70;
constexpr int kTitleTop = 21, kWaitTop = 42;
constexpr int kStatusLeft = 24, kStatusTop = 97;
// The percentage ends this far from the panel's right edge; the track keeps
// it on both sides.
constexpr int kRightMargin = 21;
constexpr int kPercentWidth = 60;
constexpr int kTrackTop = 82, kTrackHeight = 6, kTrackRadius = 3;

constexpr int kFontHeight = 13, kTitleFontHeight = 14, kLineFontHeight = 12;

constexpr char kCaption[] = "젤바 업데이트";
constexpr char kTitle[] = "젤바 업데이트 중...";
constexpr char kWait[] = "잠시만 기다려 주세요.";

// What each stage shows; the first two start the bar and the percentage
// from nothing.
struct TStageDisplay {
  const char* Text;
  bool ResetsProgress;
};

constexpr TStageDisplay StageDisplay(TStatus status) {
  switch (status) {
    case stInit:
      return {"준비 중", true};
    case stDownload:
      return {"파일 다운로드 중", true};
    case stUnextract:
      return {"압축 해제 중", false};
    case stInstall:
      return {"설치 중", false};
    case stError:
      break;
  }
  return {"업데이트 오류", false};
}

// A line of text: its height is its font's, which only the platform knows.
struct TLinePlace {
  int Left, Top, Width;
};

// Where the content goes on the panel, in panel coordinates.
struct TContentPlaces {
  int LogoLeft, LogoTop;
  TLinePlace Title, Wait, Status, Percent;
  int TrackLeft, TrackTop, TrackWidth, TrackHeight;
};

// The places on a panel `panelWidth` wide; `dpiVal` scales a design value to
// the window's DPI, as the window's DPIVal does.
template <class DpiVal>
TContentPlaces PlaceContent(int panelWidth, DpiVal dpiVal) {
  const int right = panelWidth - dpiVal(kRightMargin);
  const int percentLeft = right - dpiVal(kPercentWidth);
  auto line = [](int left, int top, int lineRight) {
    return TLinePlace{left, top, std::max(0, lineRight - left)};
  };
  return {dpiVal(kLogoLeft),
          dpiVal(kLogoTop),
          line(dpiVal(kTextLeft), dpiVal(kTitleTop), right),
          line(dpiVal(kTextLeft), dpiVal(kWaitTop), right),
          line(dpiVal(kStatusLeft), dpiVal(kStatusTop), percentLeft),
          line(percentLeft, dpiVal(kStatusTop), right),
          dpiVal(kRightMargin),
          dpiVal(kTrackTop),
          std::max(0, panelWidth - 2 * dpiVal(kRightMargin)),
          dpiVal(kTrackHeight)};
}

// The bar keeps its share of the track when the track changes width.
constexpr int KeptBarWidth(int bar, int oldTrack, int track) {
  return oldTrack > 0 && oldTrack != track ? static_cast<int>(int64_t{bar} * track / oldTrack)
                                           : bar;
}

}  // namespace window_design
