#include "ui/win32/Fonts.h"

#include <cwchar>

namespace {

ui_win32::UniqueFont MakeFont(const wchar_t* face, int height, int weight) {
  LOGFONTW font{};
  font.lfHeight = height;
  font.lfWeight = weight;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfOutPrecision = OUT_TT_PRECIS;
  font.lfQuality = CLEARTYPE_QUALITY;
  std::wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  return ui_win32::UniqueFont(CreateFontIndirectW(&font));
}

}  // namespace

ui_win32::UniqueFont FrameFont(int height, int weight) {
  return MakeFont(L"Tahoma", height, weight);
}

ui_win32::UniqueFont ProductFont(int height, int weight) {
  return MakeFont(L"\uB9D1\uC740 \uACE0\uB515", height, weight);
}
