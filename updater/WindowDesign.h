#pragma once

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
constexpr char kPreparing[] = "준비 중";
constexpr char kDownloading[] = "파일 다운로드 중";
constexpr char kUnpacking[] = "압축 해제 중";
constexpr char kInstalling[] = "설치 중";
constexpr char kError[] = "업데이트 오류";

}  // namespace window_design
