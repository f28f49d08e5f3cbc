#include "ui/instruments/meter.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

namespace {

// A small face for the scale labels. The classic dialog platform asked for
// its bitmap "Small Fonts"; where that face is missing the application's own
// face stands in at the same size.
QFont ScaleFont() {
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("Small Fonts"), QApplication::font().family()});
  font.setPointSize(6);
  return font;
}

QRect ToQRect(const MeterRect &r) { return QRect(r.left, r.top, r.Width(), r.Height()); }

} // namespace

CMeter::CMeter(QWidget *parent) : QWidget(parent), m_font(ScaleFont()) {
  m_background = palette().color(QPalette::Button);
  m_text = palette().color(QPalette::ButtonText);
  // Every pixel comes from the cached picture: nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CMeter::SetRange(double a, double b) {
  m_range = MakeMeterRange(a, b);
  m_dirty = true;
}

void CMeter::SetValue(double x) {
  m_value = x;
  m_dirty = true;
}

MeterPicture CMeter::Picture() const {
  return LayoutMeter(m_range, m_value, width(), height(), QFontMetrics(m_font).height());
}

void CMeter::RedrawIfDirty() {
  // The surface follows the widget's size and the screen's pixel ratio, so
  // it stays sharp on a HiDPI screen and after a move to another screen.
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = size() * ratio;
  if (m_surface.isNull() || m_surface.size() != pixels || m_surface.devicePixelRatio() != ratio) {
    m_surface = QPixmap(pixels);
    m_surface.setDevicePixelRatio(ratio);
    m_dirty = true;
  }
  if (m_dirty) {
    Draw();
    m_dirty = false;
  }
}

void CMeter::Draw() {
  if (m_surface.isNull())
    return;
  QPainter p(&m_surface);
  p.setFont(m_font);
  const QFontMetrics fm(m_font);
  const MeterPicture pic = LayoutMeter(m_range, m_value, width(), height(), fm.height());

  p.fillRect(ToQRect(pic.client), m_background);
  if (!pic.hasRange)
    return;
  if (!pic.bar.IsEmpty())
    p.fillRect(ToQRect(pic.bar), BarColor());
  if (!pic.empty.IsEmpty())
    p.fillRect(ToQRect(pic.empty), EmptyColor());

  p.setPen(QPen(m_text, 1));
  const int h = fm.height();
  const int right = pic.client.right;
  for (const MeterMark &mark : pic.marks) {
    const QString text = QString::fromStdString(mark.label);
    const int w = fm.horizontalAdvance(text);
    // Top-left corner at (right - w - 1, y - h): the label stands on its line.
    p.drawText(QPoint(right - w - 1, mark.y - h + fm.ascent()), text);
    p.drawLine(pic.client.left, mark.y, right - 1, mark.y);
  }
}

void CMeter::paintEvent(QPaintEvent *event) {
  RedrawIfDirty();
  QPainter p(this);
  p.setClipRegion(event->region());
  p.drawPixmap(0, 0, m_surface);
}
