// The trend graph window: paints the chart that CGraphLogic lays out into a
// cached pixmap, lets the mouse pan and zoom it once recording has stopped,
// and draws the same picture on a printer page.
//
// Mouse, review mode only: drag with the left button to pan, drag a box with
// the right button to zoom into it, double-click left to zoom in and right
// to zoom out, turn the wheel to zoom about the pointer. Escape returns to
// the whole recording.
#pragma once

#include "core/instruments/graph_logic.h"

#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QStringList>
#include <QWidget>

class QPainter;
class QPagedPaintDevice;
class QPrinter;

class CGraph : public QWidget {
  Q_OBJECT
public:
  enum { RecordingMode = CGraphLogic::RecordingMode, ReviewMode = CGraphLogic::ReviewMode };

  explicit CGraph(QWidget *parent = nullptr);

  // The visible ranges; a range the chart cannot show leaves the view as it
  // was. Neither call repaints: the owner updates when it is done.
  void SetAxes(double xLow, double xHigh, double yLow, double yHigh) { SetView(xLow, xHigh, yLow, yHigh); }
  void SetView(double xLow, double xHigh, double yLow, double yHigh);
  void AddSample(float x, float y);
  void Clear();
  // Recording mode draws from the summary and ignores the mouse; review mode
  // draws every sample. Repaints.
  void SetMode(int mode);
  int GetMode() const { return m_logic.GetMode(); }

  // The view the review began with, the whole recording; false outside
  // review mode.
  bool ShowWholeTrace();

  // One page with the header's lines at the top (the first as a title) and
  // the chart below them, centred and with the window's proportions, on
  // white, in a document named "Graph". The labels are printed at a size
  // paper needs. False when the printer could not be started (a PDF file
  // that cannot be written, for one).
  bool Print(QPrinter &printer, const QStringList &header = {});
  // The same page on any paged device (a PDF writer).
  bool PrintPage(QPagedPaintDevice &device, const QStringList &header = {});
  // The chart as the window shows it.
  QImage Picture();

  const CGraphLogic &Logic() const { return m_logic; }
  // The data area of the last screen drawing.
  const GraphRect &PlotRect() const { return m_plot; }

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  enum Drag { DragNone, DragPan, DragZoomBox };

  void UpdateSurface();
  void Render(QPainter &painter, const GraphRect &o, bool printing);
  QRect ZoomBoxRect() const;

  CGraphLogic m_logic;
  QPixmap m_surface;
  GraphRect m_plot;
  Drag m_drag = DragNone;
  double m_anchorX = 0;
  double m_anchorY = 0;
  QPoint m_boxStart;
  QPoint m_boxCurrent;
  GraphView m_wholeView;
};
