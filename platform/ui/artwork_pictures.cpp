#include "platform/ui/artwork.h"

#include "base/product.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace tessivar::artwork {

namespace {

QFont boldFont(int pixelSize, bool italic = false)
{
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setBold(true);
  font.setItalic(italic);
  return font;
}

// A mast with three arcs of waves on each side, centred on (x, y).
void drawMast(QPainter &p, QPointF top, const QColor &colour)
{
  p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(top, top + QPointF(-14, 56));
  p.drawLine(top, top + QPointF(14, 56));
  p.drawLine(top + QPointF(-7, 28), top + QPointF(7, 28));
  p.setBrush(colour);
  p.drawEllipse(top, 4, 4);
  p.setBrush(Qt::NoBrush);
  for (int ring = 1; ring <= 3; ++ring) {
    const double r = 8.0 * ring + 4;
    QColor wave = colour;
    wave.setAlphaF(1.0 - 0.25 * ring);
    p.setPen(QPen(wave, 2.5, Qt::SolidLine, Qt::RoundCap));
    const QRectF box(top.x() - r, top.y() - r, 2 * r, 2 * r);
    p.drawArc(box, -40 * 16, 80 * 16);
    p.drawArc(box, 140 * 16, 80 * 16);
  }
}

}  // namespace

QPixmap splashPicture()
{
  QPixmap picture(splashWidth, splashHeight);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  QLinearGradient sky(0, 0, splashWidth, splashHeight);
  sky.setColorAt(0.0, QColor(0x0b, 0x1f, 0x4d));
  sky.setColorAt(0.6, QColor(0x23, 0x2f, 0x8a));
  sky.setColorAt(1.0, QColor(0x6a, 0x1b, 0x7a));
  p.fillRect(picture.rect(), sky);

  // A soft glow behind the mast.
  QRadialGradient glow(QPointF(52, 58), 60);
  glow.setColorAt(0.0, QColor(255, 200, 80, 110));
  glow.setColorAt(1.0, QColor(255, 200, 80, 0));
  p.fillRect(picture.rect(), glow);
  drawMast(p, QPointF(52, 38), QColor(0xff, 0xd2, 0x5a));

  // A thin band of "signal" along the bottom.
  QPainterPath signal;
  signal.moveTo(0, 118);
  for (int x = 0; x <= splashWidth; x += 10) signal.lineTo(x, 118 + ((x / 10) % 2 ? -4 : 4));
  p.setPen(QPen(QColor(255, 255, 255, 70), 1.5));
  p.drawPath(signal);

  p.setPen(Qt::white);
  p.setFont(boldFont(34, true));
  p.drawText(QRectF(104, 16, 240, 44), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tessivar!"));
  p.setPen(QColor(0xff, 0xd2, 0x5a));
  p.setFont(boldFont(22));
  p.drawText(QRectF(106, 56, 240, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Broadcast"));
  p.setPen(QColor(220, 225, 255));
  p.setFont(boldFont(11));
  p.drawText(QRectF(106, 86, 236, 20), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Internet radio, TV and clips"));
  p.drawText(QRectF(104, 86, 238, 20), Qt::AlignRight | Qt::AlignVCenter,
             QStringLiteral("v") + product::version());
  p.end();
  return picture;
}

QPixmap productLogo()
{
  constexpr int width = 150;
  constexpr int height = 48;
  QPixmap logo(width, height);
  QPainter p(&logo);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  QLinearGradient sky(0, 0, width, height);
  sky.setColorAt(0.0, QColor(0x0b, 0x1f, 0x4d));
  sky.setColorAt(1.0, QColor(0x23, 0x2f, 0x8a));
  p.fillRect(logo.rect(), sky);
  p.save();
  p.translate(4, 2);
  p.scale(0.5, 0.5);
  drawMast(p, QPointF(32, 28), QColor(0xff, 0xd2, 0x5a));
  p.restore();
  p.setPen(Qt::white);
  p.setFont(boldFont(20, true));
  p.drawText(QRectF(40, 2, width - 42, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tessivar!"));
  p.setPen(QColor(0xff, 0xd2, 0x5a));
  p.setFont(boldFont(11));
  p.drawText(QRectF(42, 28, width - 44, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Broadcast"));
  p.end();
  return logo;
}

QPixmap playerLogo(PlayerLogo player)
{
  constexpr int width = 176;
  constexpr int height = 64;
  QPixmap logo(width, height);
  logo.fill(Qt::transparent);
  QPainter p(&logo);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  QColor base;
  QColor accent;
  QString name;
  switch (player) {
    case PlayerLogo::Real:
      base = QColor(0x1d, 0x4f, 0xa8);
      accent = QColor(0x8c, 0xc8, 0xff);
      name = QStringLiteral("RealPlayer");
      break;
    case PlayerLogo::Media:
      base = QColor(0x1b, 0x7a, 0x3a);
      accent = QColor(0xb4, 0xf0, 0x8c);
      name = QStringLiteral("Media Player");
      break;
    case PlayerLogo::StreamWorks:
      base = QColor(0x9a, 0x2a, 0x1a);
      accent = QColor(0xff, 0xc0, 0x70);
      name = QStringLiteral("StreamWorks");
      break;
  }

  QLinearGradient fill(0, 0, 0, height);
  fill.setColorAt(0.0, base.lighter(140));
  fill.setColorAt(1.0, base);
  p.setPen(QPen(base.darker(150), 1.5));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(1, 1, width - 2, height - 2), 10, 10);

  // A play button on the left.
  p.setPen(Qt::NoPen);
  p.setBrush(accent);
  p.drawEllipse(QPointF(30, height / 2.0), 19, 19);
  QPainterPath triangle;
  triangle.moveTo(24, height / 2.0 - 10);
  triangle.lineTo(40, height / 2.0);
  triangle.lineTo(24, height / 2.0 + 10);
  triangle.closeSubpath();
  p.setBrush(base);
  p.drawPath(triangle);

  p.setPen(Qt::white);
  p.setFont(boldFont(14));
  p.drawText(QRectF(54, 8, width - 58, height - 16), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap,
             name);
  p.end();
  return logo;
}

}  // namespace tessivar::artwork
