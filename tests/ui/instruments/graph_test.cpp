// The chart window on Qt's offscreen platform: the printed page, and the
// mouse once recording has stopped.
#include "instruments/graph.h"

#include "pdf_page.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void Mouse(QWidget &w, QEvent::Type type, Qt::MouseButton button, QPoint at) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, at, w.mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                    Qt::NoModifier);
  QApplication::sendEvent(&w, &event);
}

void Drag(QWidget &w, Qt::MouseButton button, QPoint from, QPoint to) {
  Mouse(w, QEvent::MouseButtonPress, button, from);
  Mouse(w, QEvent::MouseMove, button, (from + to) / 2);
  Mouse(w, QEvent::MouseMove, button, to);
  Mouse(w, QEvent::MouseButtonRelease, button, to);
}

double Width(const GraphView &v) { return v.xHigh - v.xLow; }

} // namespace

TEST(Graph, PrintedPageKeepsTheWindowsProportions) {
  CGraph graph;
  graph.resize(800, 400);
  graph.SetAxes(0, 10, 0, 10); // grid lines on all four edges
  for (int i = 0; i <= 10; ++i)
    graph.AddSample(float(i), float(i % 3));
  graph.Picture();
  const GraphRect screenPlot = graph.PlotRect();

  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath("graph.pdf"));
  ASSERT_TRUE(graph.Print(printer));

  const QImage page = RenderPdfPage(dir.filePath("graph.pdf"));
  ASSERT_FALSE(page.isNull());
  const QRect ink = InkBox(page);
  ASSERT_TRUE(ink.isValid()) << "the page is blank";
  // Portrait paper: the full width, the window's proportions, centred.
  EXPECT_GT(ink.width(), page.width() * 0.9);
  EXPECT_NEAR(double(ink.width()) / ink.height(), 2.0, 0.1);
  EXPECT_NEAR(ink.center().y(), page.height() / 2, page.height() * 0.02);
  EXPECT_EQ(page.pixelColor(ink.center() + QPoint(0, 1)).rgb() | 0xff000000, QColor(Qt::white).rgb())
      << "no background on paper";

  // The screen is drawn afresh afterwards, with its own plot and scale.
  EXPECT_TRUE(graph.Logic().Dirty());
  EXPECT_TRUE(graph.Logic().RecomputePending());
  graph.Picture();
  EXPECT_EQ(graph.PlotRect(), screenPlot);
  EXPECT_FALSE(graph.Logic().RecomputePending());
}

TEST(Graph, MouseMovesTheViewOnlyInReviewMode) {
  CGraph graph;
  graph.resize(600, 300);
  graph.SetAxes(0, 100, 0, 10);
  graph.Picture();
  const GraphView first = graph.Logic().View();
  const GraphRect p = graph.PlotRect();
  const QPoint mid((p.left + p.right) / 2, (p.top + p.bottom) / 2);

  Drag(graph, Qt::LeftButton, mid, mid - QPoint(100, 0));
  Mouse(graph, QEvent::MouseButtonDblClick, Qt::LeftButton, mid);
  EXPECT_EQ(graph.Logic().View(), first) << "recording mode ignores the mouse";

  graph.SetMode(CGraph::ReviewMode);
  Drag(graph, Qt::LeftButton, {p.right - 1, mid.y()}, {p.left - 1, mid.y()});
  EXPECT_NEAR(graph.Logic().View().xLow, 100, 1e-9);
  EXPECT_NEAR(graph.Logic().View().yLow, 0, 1e-9);
  graph.SetAxes(0, 100, 0, 10);
  graph.Picture();

  Mouse(graph, QEvent::MouseButtonDblClick, Qt::LeftButton, mid);
  EXPECT_DOUBLE_EQ(Width(graph.Logic().View()), 50);
  Mouse(graph, QEvent::MouseButtonDblClick, Qt::RightButton, mid);
  EXPECT_DOUBLE_EQ(Width(graph.Logic().View()), 75);

  graph.SetAxes(0, 100, 0, 10);
  graph.Picture();
  // A box with no height is no zoom; one over the left half of the plot is.
  Drag(graph, Qt::RightButton, {p.left, mid.y()}, {mid.x(), mid.y()});
  EXPECT_EQ(graph.Logic().View(), (GraphView{0, 100, 0, 10}));
  Drag(graph, Qt::RightButton, {p.left, p.top}, {mid.x(), p.bottom});
  EXPECT_NEAR(graph.Logic().View().xLow, 0, 1e-9);
  EXPECT_NEAR(graph.Logic().View().xHigh, 50, 1);
  EXPECT_NEAR(graph.Logic().View().yHigh, 10, 1e-9);
}
