// Draws the product's pictures at their native sizes. Run by hand when the
// artwork changes; the PNG files it writes are checked in:
//   make_artwork <ui/artwork folder> <updater/artwork folder>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>

#include <cstdio>

namespace {

const QColor kBrandBlue(0x18, 0x8F, 0xCC);
const QColor kWordmark(0x30, 0x30, 0x30);

QImage Blank(int width, int height) {
  QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// The mark: a blue rounded square carrying a white "Z".
void DrawMark(QPainter& p, const QRectF& box) {
  const qreal s = box.width();
  p.setPen(Qt::NoPen);
  p.setBrush(kBrandBlue);
  p.drawRoundedRect(box, s * 0.22, s * 0.22);
  QPainterPath z;
  z.moveTo(box.left() + s * 0.30, box.top() + s * 0.31);
  z.lineTo(box.left() + s * 0.70, box.top() + s * 0.31);
  z.lineTo(box.left() + s * 0.30, box.top() + s * 0.69);
  z.lineTo(box.left() + s * 0.70, box.top() + s * 0.69);
  QPen pen(Qt::white, s * 0.12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  p.drawPath(z);
}

// The wide logo, laid out on a 188 x 76 design grid and drawn at any size.
QImage WideLogo(int width, int height) {
  QImage image = Blank(width, height);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(width / 188.0, height / 76.0);
  DrawMark(p, QRectF(10, 10, 56, 56));

  QFont font("NanumSquareRound");
  font.setWeight(QFont::Bold);
  font.setPixelSize(100);
  QPainterPath word;
  word.addText(0, 0, font, QString::fromUtf8("젤바"));
  const QRectF bounds = word.boundingRect();
  const QRectF target(76, 20, 100, 36);
  const qreal k = std::min(target.width() / bounds.width(), target.height() / bounds.height());
  QTransform t;
  t.translate(target.left(), target.center().y());
  t.scale(k, k);
  t.translate(-bounds.left(), -bounds.center().y());
  p.fillPath(t.map(word), kWordmark);
  return image;
}

QImage Icon(int width, int height, qreal margin) {
  QImage image = Blank(width, height);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal side = std::min(width, height) - 2 * margin;
  DrawMark(p, QRectF((width - side) / 2, (height - side) / 2, side, side));
  return image;
}

bool Save(const QImage& image, const QString& path) {
  if (image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_artwork <ui artwork folder> <updater artwork folder>\n");
    return 2;
  }
  const QString ui = QString::fromLocal8Bit(argv[1]) + "/";
  const QString updater = QString::fromLocal8Bit(argv[2]) + "/";
  bool ok = Save(WideLogo(48, 20), ui + "logo_1x.png");
  ok = Save(WideLogo(71, 29), ui + "logo_1.5x.png") && ok;
  ok = Save(WideLogo(95, 38), ui + "logo_2x.png") && ok;
  ok = Save(WideLogo(188, 76), ui + "logo_4x.png") && ok;
  ok = Save(Icon(56, 60, 4), ui + "icon.png") && ok;
  ok = Save(Icon(72, 73, 2), updater + "logo.png") && ok;
  return ok ? 0 : 1;
}
