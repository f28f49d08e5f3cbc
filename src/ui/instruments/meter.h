// The vertical bar meter of a function-block panel: a bar from the bottom of
// the scale up to the value, over a scale whose step it picks itself. It
// paints from a cached picture that is redrawn only after the range or the
// value changed, so the 100 ms refresh of the main window costs one copy.
#pragma once

#include "core/instruments/meter_scale.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QWidget>

class CMeter : public QWidget {
  Q_OBJECT
public:
  explicit CMeter(QWidget *parent = nullptr);

  // Neither repaints by itself: the panel invalidates the window.
  void SetRange(double a, double b);
  void SetValue(double x);

  const MeterRange &Range() const { return m_range; }
  double Value() const { return m_value; }

  // What the next redraw draws, at the widget's current size.
  MeterPicture Picture() const;
  // Redraws the cached picture now if it is out of date; painting calls it.
  void RedrawIfDirty();
  bool IsDirty() const { return m_dirty; }
  const QPixmap &Surface() const { return m_surface; }

  static QColor BarColor() { return QColor(50, 220, 110); }
  static QColor EmptyColor() { return QColor(150, 150, 150); }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  void Draw();

  MeterRange m_range;
  double m_value = 0.0;
  bool m_dirty = true;
  QPixmap m_surface;
  QFont m_font;
  QColor m_background;
  QColor m_text;
};
