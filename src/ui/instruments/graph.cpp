#include "ui/instruments/graph.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace {

const QColor kBackground(0, 0, 0);
const QColor kLabel(50, 200, 255);
const QColor kGrid(100, 100, 100);
const QColor kTrace(255, 50, 50);
const QColor kZoomBox(150, 150, 150);

// On paper the labels are the colour of the screen's darkened: the light
// blue meant for a black background all but vanishes on white.
const QColor kPrintedLabel(0, 90, 160);

// Six points suit a window; a printed page is read at arm's length.
constexpr int kLabelPoints = 6;
constexpr int kPrintedLabelPoints = 10;
constexpr int kHeaderPoints = 10;
constexpr int kTitlePoints = 14;

// One notch of the wheel shows the view at four fifths of its size.
constexpr double kWheelZoom = 0.8;

QFont GraphFont(bool printing) {
  QFont font(QStringLiteral("Small Fonts"));
  font.setPointSize(printing ? kPrintedLabelPoints : kLabelPoints);
  return font;
}

// The header's lines from the top of the page down; returns where they end.
int DrawHeader(QPainter &painter, int width, const QStringList &lines) {
  int y = 0;
  int gap = 0;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QFont font;
    font.setPointSize(i == 0 ? kTitlePoints : kHeaderPoints);
    font.setBold(i == 0);
    painter.setFont(font);
    const QFontMetrics fm(font, painter.device());
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, y, width, fm.height()), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     lines[i]);
    y += fm.lineSpacing();
    gap = fm.lineSpacing();
  }
  return y + gap;
}

QPoint ToQPoint(GraphPoint p) { return {p.x, p.y}; }

// One text at its top-left corner.
void DrawLabel(QPainter &painter, const QFontMetrics &fm, const GraphMark &mark) {
  painter.drawText(mark.textAt.x, mark.textAt.y + fm.ascent(), QString::fromStdString(mark.text));
}

} // namespace

CGraph::CGraph(QWidget *parent) : QWidget(parent) {
  // Every pixel is painted from the cache, so nothing needs erasing first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CGraph::SetView(double xLow, double xHigh, double yLow, double yHigh) {
  m_logic.SetView(xLow, xHigh, yLow, yHigh);
}

void CGraph::AddSample(float x, float y) { m_logic.AddSample(x, y); }

void CGraph::Clear() { m_logic.Clear(); }

void CGraph::SetMode(int mode) {
  m_logic.SetMode(mode == ReviewMode ? CGraphLogic::ReviewMode : CGraphLogic::RecordingMode);
  m_drag = DragNone;
  m_wholeView = m_logic.View();
  update();
}

void CGraph::Render(QPainter &painter, const GraphRect &o, bool printing) {
  const QFont font = GraphFont(printing);
  painter.setFont(font);
  // Metrics at the device's own resolution: the same 6 points are a few
  // pixels on screen and dozens on a printer page.
  const QFontMetrics fm(painter.font(), painter.device());
  const GraphPicture pic = m_logic.Draw(o, o, fm.height(), [&fm](const std::string &text) {
    return fm.horizontalAdvance(QString::fromStdString(text));
  });
  if (!printing)
    painter.fillRect(QRect(o.left, o.top, o.Width(), o.Height()), kBackground);

  const QPen labelPen(printing ? kPrintedLabel : kLabel);
  const QPen gridPen(kGrid, pic.gridPenWidth, Qt::SolidLine, Qt::FlatCap);
  for (const std::vector<GraphMark> *marks : {&pic.yMarks, &pic.xMarks}) {
    for (const GraphMark &mark : *marks) {
      painter.setPen(labelPen);
      DrawLabel(painter, fm, mark);
      painter.setPen(gridPen);
      painter.drawLine(ToQPoint(mark.from), ToQPoint(mark.to));
    }
  }

  if (pic.trace.size() >= 2) {
    // Separate segments, not one polyline: a wide pen on a path that runs up
    // and down every column costs the stroker a hundred times as much. On
    // screen square ends close the joints; on paper, where the pen is thick
    // and time does not matter, round ends make them look drawn in one stroke.
    QList<QLine> segments;
    segments.reserve(static_cast<qsizetype>(pic.trace.size()) - 1);
    for (std::size_t i = 1; i < pic.trace.size(); ++i)
      segments.append(QLine(ToQPoint(pic.trace[i - 1]), ToQPoint(pic.trace[i])));
    painter.setPen(QPen(kTrace, pic.tracePenWidth, Qt::SolidLine, printing ? Qt::RoundCap : Qt::SquareCap));
    painter.drawLines(segments);
  }
  m_plot = pic.plot;
}

void CGraph::UpdateSurface() {
  const qreal dpr = devicePixelRatioF();
  const QSize pixels = size() * dpr;
  if (m_surface.isNull() || m_surface.size() != pixels) {
    m_surface = QPixmap(pixels);
    m_surface.setDevicePixelRatio(dpr);
    m_logic.SetDirty();
  }
  if (!m_logic.Dirty())
    return;
  QPainter painter(&m_surface);
  Render(painter, GraphRect{0, 0, width(), height()}, false);
  m_logic.ClearDirty();
}

QImage CGraph::Picture() {
  UpdateSurface();
  return m_surface.toImage();
}

QRect CGraph::ZoomBoxRect() const {
  // Not QRect::normalized(): it moves the edges of a box dragged up or left by a pixel.
  return QRect(QPoint(std::min(m_boxStart.x(), m_boxCurrent.x()), std::min(m_boxStart.y(), m_boxCurrent.y())),
               QPoint(std::max(m_boxStart.x(), m_boxCurrent.x()), std::max(m_boxStart.y(), m_boxCurrent.y())));
}

void CGraph::paintEvent(QPaintEvent *) {
  UpdateSurface();
  QPainter painter(this);
  painter.drawPixmap(0, 0, m_surface);
  if (m_drag == DragZoomBox) {
    // A frame one pixel wide, on the window only: moving it never redraws the chart.
    const QRect r = ZoomBoxRect();
    const QBrush hatch(kZoomBox, Qt::CrossPattern);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), hatch);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), hatch);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), hatch);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), hatch);
  }
}

void CGraph::resizeEvent(QResizeEvent *event) {
  m_logic.SetRecompute();
  m_logic.SetDirty();
  QWidget::resizeEvent(event);
}

void CGraph::mousePressEvent(QMouseEvent *event) {
  if (GetMode() == ReviewMode) {
    const QPoint pos = event->position().toPoint();
    if (m_drag != DragNone) {
      // A second button during a drag changes nothing.
    } else if (event->button() == Qt::LeftButton) {
      m_drag = DragPan;
      m_anchorX = GraphDataX(m_logic.View(), m_plot, pos.x());
      m_anchorY = GraphDataY(m_logic.View(), m_plot, pos.y());
    } else if (event->button() == Qt::RightButton) {
      m_drag = DragZoomBox;
      m_boxStart = m_boxCurrent = pos;
    }
    // Taken, so the moves and the release of this button come here.
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void CGraph::mouseMoveEvent(QMouseEvent *event) {
  if (GetMode() == ReviewMode) {
    const QPoint pos = event->position().toPoint();
    if (m_drag == DragPan) {
      m_logic.PanTo(m_plot, m_anchorX, m_anchorY, {pos.x(), pos.y()});
      update();
    } else if (m_drag == DragZoomBox) {
      m_boxCurrent = QPoint(std::clamp(pos.x(), 0, width()), std::clamp(pos.y(), 0, height()));
      update();
    }
    event->accept();
    return;
  }
  QWidget::mouseMoveEvent(event);
}

void CGraph::mouseReleaseEvent(QMouseEvent *event) {
  if (GetMode() == ReviewMode) {
    const QPoint pos = event->position().toPoint();
    if (m_drag == DragPan && event->button() == Qt::LeftButton) {
      m_drag = DragNone;
      m_logic.PanTo(m_plot, m_anchorX, m_anchorY, {pos.x(), pos.y()});
      update();
    } else if (m_drag == DragZoomBox && event->button() == Qt::RightButton) {
      m_drag = DragNone;
      if (auto view = ZoomBoxView(m_logic.View(), m_plot, {m_boxStart.x(), m_boxStart.y()},
                                  {m_boxCurrent.x(), m_boxCurrent.y()}))
        m_logic.SetView(*view);
      update();
    }
    event->accept();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

void CGraph::mouseDoubleClickEvent(QMouseEvent *event) {
  // Not handed on: the default would take the second click for a new press.
  if (GetMode() != ReviewMode || m_drag != DragNone)
    return;
  if (event->button() == Qt::LeftButton) {
    m_logic.SetView(ZoomInView(m_logic.View()));
    update();
  } else if (event->button() == Qt::RightButton) {
    m_logic.SetView(ZoomOutView(m_logic.View()));
    update();
  }
}

void CGraph::wheelEvent(QWheelEvent *event) {
  if (GetMode() != ReviewMode || m_drag != DragNone) {
    QWidget::wheelEvent(event);
    return;
  }
  const int delta = event->angleDelta().y();
  if (delta != 0) {
    // The data under the pointer stays under it.
    const QPoint pos = event->position().toPoint();
    const double x = GraphDataX(m_logic.View(), m_plot, pos.x());
    const double y = GraphDataY(m_logic.View(), m_plot, pos.y());
    m_logic.SetView(ZoomAtView(m_logic.View(), x, y, std::pow(kWheelZoom, delta / 120.0)));
    update();
  }
  event->accept();
}

bool CGraph::ShowWholeTrace() {
  if (GetMode() != ReviewMode)
    return false;
  m_drag = DragNone;
  m_logic.SetView(m_wholeView);
  update();
  return true;
}

void CGraph::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape && ShowWholeTrace()) {
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool CGraph::Print(QPrinter &printer, const QStringList &header) {
  printer.setDocName(QStringLiteral("Graph"));
  return PrintPage(printer, header);
}

bool CGraph::PrintPage(QPagedPaintDevice &device, const QStringList &header) {
  QPainter painter;
  if (!painter.begin(&device))
    return false;
  const int W = device.width();
  // The chart takes the page below the header.
  const int top = header.isEmpty() ? 0 : std::min(DrawHeader(painter, W, header), device.height() / 2);
  const int H = device.height() - top;
  const int w = std::max(1, width()), h = std::max(1, height());
  GraphRect o;
  if (double(W) / H < double(w) / h) {
    // Under a header the chart follows it; alone it is centred on the page.
    const int fitted = static_cast<int>(double(W) / w * h);
    const int y = header.isEmpty() ? (H - fitted) / 2 : 0;
    o = {0, top + y, W, top + y + fitted};
  } else {
    const int fitted = static_cast<int>(double(H) / h * w);
    o = {(W - fitted) / 2, top, (W - fitted) / 2 + fitted, top + H};
  }
  const GraphRect screenPlot = m_plot;
  m_logic.SetRecompute();
  Render(painter, o, true);
  const bool ended = painter.end();
  // The page's plot and units per pixel are no use to the mouse on screen.
  m_plot = screenPlot;
  m_logic.SetDirty();
  m_logic.SetRecompute();
  update();
  return ended;
}
