// The chart window on Qt's offscreen platform: the mouse once recording has
// stopped. (Printing is tested through the panel's print dialog.)
#include "ui/instruments/graph.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
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

// Notches of the wheel turned away from the user (positive) or towards.
void Wheel(QWidget &w, QPoint at, double notches) {
  QWheelEvent event(at, w.mapToGlobal(at), QPoint(), QPoint(0, static_cast<int>(notches * 120)), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&w, &event);
}

double Width(const GraphView &v) { return v.xHigh - v.xLow; }

} // namespace

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

TEST(Graph, TheWheelZoomsAboutThePointerWhileReviewingAndEscapeShowsTheWhole) {
  CGraph graph;
  graph.resize(600, 300);
  graph.SetAxes(0, 100, 0, 10);
  graph.Picture();
  const GraphRect p = graph.PlotRect();
  const QPoint at(p.left + (p.right - p.left) / 4, p.top + (p.bottom - p.top) / 3);
  const double x = GraphDataX(graph.Logic().View(), p, at.x()), y = GraphDataY(graph.Logic().View(), p, at.y());

  Wheel(graph, at, 1);
  QTest::keyClick(&graph, Qt::Key_Escape);
  EXPECT_EQ(graph.Logic().View(), (GraphView{0, 100, 0, 10})) << "recording mode ignores the wheel and the key";

  graph.SetMode(CGraph::ReviewMode);
  Wheel(graph, at, 2);
  EXPECT_NEAR(Width(graph.Logic().View()), 100 * 0.8 * 0.8, 1e-9);
  // The data under the pointer is still under it (until wider labels move the plot's edge).
  EXPECT_NEAR(GraphDataX(graph.Logic().View(), p, at.x()), x, 1e-9);
  EXPECT_NEAR(GraphDataY(graph.Logic().View(), p, at.y()), y, 1e-9);
  Wheel(graph, at, -1);
  EXPECT_NEAR(Width(graph.Logic().View()), 80, 1e-9);

  QTest::keyClick(&graph, Qt::Key_Escape);
  EXPECT_EQ(graph.Logic().View(), (GraphView{0, 100, 0, 10}));
}
