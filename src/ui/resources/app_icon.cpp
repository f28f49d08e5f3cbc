#include "ui/resources/app_icon.h"

#include <QPainter>
#include <QPixmap>

namespace {

// A bar meter with its scale on an instrument-grey face.
QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 16.0;
  p.setPen(QPen(QColor(40, 48, 60), s * 0.75));
  p.setBrush(QColor(222, 226, 232));
  p.drawRoundedRect(QRectF(s * 0.5, s * 0.5, s * 15, s * 15), s * 2, s * 2);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255));
  p.drawRect(QRectF(s * 6, s * 2.5, s * 4, s * 11));
  p.setBrush(QColor(0, 120, 215));
  p.drawRect(QRectF(s * 6, s * 7, s * 4, s * 6.5));
  p.setPen(QPen(QColor(40, 48, 60), s * 0.6));
  for (int i = 0; i <= 4; ++i) {
    const qreal y = s * (2.5 + i * 2.75);
    p.drawLine(QPointF(s * 3, y), QPointF(s * 5.2, y));
    p.drawLine(QPointF(s * 10.8, y), QPointF(s * 13, y));
  }
  return pixmap;
}

} // namespace

QIcon AppIcon() {
  static const QIcon icon = [] {
    QIcon i;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
      i.addPixmap(DrawIcon(size));
    return i;
  }();
  return icon;
}
