#include "ui/qt/Fonts.h"

#include <QStringList>

namespace {

const QStringList kProductFamilies = {QString::fromUtf8("맑은 고딕"), "Malgun Gothic",
                                      "NanumGothic", "Noto Sans CJK KR"};

QFont WithFamilies(const QStringList& families, int pixelSize, bool bold) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferFullHinting);
  return font;
}

}  // namespace

QFont ProductFont(int pixelSize, bool bold) {
  return WithFamilies(kProductFamilies, pixelSize, bold);
}

QFont FrameFont(int pixelSize) {
  return WithFamilies(QStringList{"Tahoma"} + kProductFamilies, pixelSize, false);
}
