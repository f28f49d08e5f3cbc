// The trend graph's logic: grid steps, the view it accepts, the summary of a
// long recording, the laid-out picture, and the mouse's view changes (the
// zoom box is tested on the window).
#include "core/instruments/graph_logic.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kTextHeight = 10;

// Labels 6 pixels a character, like a small fixed-pitch font.
int Width(const std::string &text) { return 6 * static_cast<int>(text.size()); }

GraphPicture DrawOn(CGraphLogic &g, const GraphRect &o) { return g.Draw(o, o, kTextHeight, Width); }

std::vector<std::string> Texts(const std::vector<GraphMark> &marks) {
  std::vector<std::string> texts;
  for (const GraphMark &m : marks)
    texts.push_back(m.text);
  return texts;
}

} // namespace

TEST(GraphStep, StepsAndLabelFormats) {
  struct {
    double range, step;
    const char *format;
  } cases[] = {{1, 0.2, "%.1lf"},         {2, 0.5, "%.1lf"},       {10, 2, "%1.0lf"},
               {100, 20, "%2.0lf"},       {0.0002, 0.00005, "%.5lf"}, {0.35, 0.1, "%.2lf"}};
  for (const auto &c : cases) {
    const GraphStepResult r = GraphStep(c.range);
    EXPECT_DOUBLE_EQ(r.step, c.step) << c.range;
    EXPECT_EQ(CGraphLabelFormat::ForStep(r.step, r.digits).Text(), c.format) << c.range;
  }
  EXPECT_EQ(CGraphLabelFormat::ForStep(20, 2).Format(5), " 5");
  EXPECT_EQ(CGraphLabelFormat::ForStep(0.2, 1).Format(0.6000000000000001), "0.6");
  EXPECT_EQ(CGraphLabelFormat::ForStep(0.2, 1).Format(-1.1e-16), "0.0");
}

TEST(GraphView, AbsurdRangesLeaveTheViewAsItWas) {
  CGraphLogic g;
  g.SetView(0, 1, -0.1, 0.1);
  const GraphView before = g.View();
  for (GraphView bad : {GraphView{0, 1e12, 0, 1}, GraphView{0, 1, 0, 1e-15}, GraphView{0, 0, 0, 1},
                        GraphView{1, 0, 0, 1}, GraphView{0, 1, 0, std::nan("")}}) {
    g.ClearDirty();
    g.SetView(bad);
    EXPECT_EQ(g.View(), before);
    EXPECT_TRUE(g.Dirty());
    EXPECT_TRUE(g.RecomputePending());
  }
  EXPECT_DOUBLE_EQ(g.XStep(), 0.2);
}

TEST(GraphSamples, TheSample10001CompactsTheSummary) {
  CGraphSamples s;
  for (int i = 1; i <= 10000; ++i)
    s.Add(float(i), float(i % 7));
  EXPECT_EQ(s.CurrentBucket(), 9999);
  EXPECT_EQ(s.Capacity(), 1);
  s.Add(10001, 3);
  EXPECT_EQ(s.Size(), 10001u);
  EXPECT_EQ(s.Capacity(), 2);
  EXPECT_EQ(s.CurrentBucket(), 5000);
  for (int i = 0; i < 5000; ++i)
    ASSERT_EQ(s.Bucket(i).count, 2) << i;
  EXPECT_FLOAT_EQ(s.Bucket(0).meanX, 1.5f);
  EXPECT_EQ(s.Bucket(0).minY, 1);
  EXPECT_EQ(s.Bucket(0).maxY, 2);
  EXPECT_EQ(s.Bucket(5000).count, 1);
  EXPECT_EQ(s.Bucket(5001).count, 0);
  EXPECT_EQ(s.At(10000).x, 10001);
}

TEST(GraphPicture, GridLinesAndLabels) {
  CGraphLogic g;
  g.SetView(0, 1, -0.7, 0.7);
  GraphPicture pic = DrawOn(g, {0, 0, 400, 150});
  EXPECT_EQ(Texts(pic.xMarks), (std::vector<std::string>{"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}));
  EXPECT_EQ(pic.plot.bottom, 150 - kTextHeight - 2);
  EXPECT_EQ(pic.plot.left, Width("-0.8") + 2);
  EXPECT_EQ(pic.xMarks.front().from.x, pic.plot.left);
  // The first y line is the step multiple below the low end: under the plot,
  // and drawn because it still falls on the surface.
  ASSERT_FALSE(pic.yMarks.empty());
  EXPECT_EQ(pic.yMarks.front().text, "-0.8");
  EXPECT_GT(pic.yMarks.front().from.y, pic.plot.bottom);
  // On a taller surface it falls off the bottom and is left out.
  pic = DrawOn(g, {0, 0, 400, 600});
  EXPECT_EQ(pic.yMarks.front().text, "-0.6");
  EXPECT_EQ(pic.yMarks.back().text, "0.6");
}

TEST(GraphPicture, TraceOfTheSummaryWhileRecording) {
  CGraphLogic g;
  g.SetView(0, 2, 0, 10);
  g.AddSample(1, 5);
  EXPECT_TRUE(DrawOn(g, {0, 0, 1000, 600}).trace.empty()) << "one bucket draws nothing";
  g.Clear();
  g.SetView(0, 100001, 0, 10);
  for (int i = 1; i <= 100000; ++i)
    g.AddSample(float(i), float(i % 10));
  const GraphPicture pic = DrawOn(g, {0, 0, 1000, 600});
  // One stroke per column from 0 to 9, over the plot's width.
  ASSERT_GE(pic.trace.size(), 2u);
  EXPECT_LE(pic.trace.size(), 2u * (pic.plot.Width() + 1));
  for (const GraphPoint &p : pic.trace) {
    EXPECT_GE(p.y, GraphY(g.View(), pic.plot, 9));
    EXPECT_LE(p.y, GraphY(g.View(), pic.plot, 0));
  }
}

TEST(GraphPicture, ReviewTraceEndsPastTheRightEdge) {
  CGraphLogic g;
  g.SetMode(CGraphLogic::ReviewMode);
  for (int i = 1; i <= 10000; ++i)
    g.AddSample(float(i), float(i % 2));
  g.SetView(2000, 3000, 0, 1); // samples on both sides of the view
  const GraphRect o{0, 0, 1000, 600};
  const GraphPicture pic = DrawOn(g, o);
  ASSERT_GE(pic.trace.size(), 2u);
  EXPECT_LT(pic.trace.front().x, pic.plot.left);
  EXPECT_GT(pic.trace.back().x, o.right);
  EXPECT_LT(pic.trace.back().x, o.right + 5);
  for (std::size_t i = 1; i < pic.trace.size(); ++i)
    EXPECT_GE(pic.trace[i].x, pic.trace[i - 1].x);
}

TEST(GraphMouse, ZoomingInThriceAndOutThriceEndsAtAboutFourTenths) {
  CGraphLogic g;
  g.SetView(0, 100, -10, 10);
  for (int i = 0; i < 3; ++i)
    g.SetView(ZoomInView(g.View()));
  for (int i = 0; i < 3; ++i)
    g.SetView(ZoomOutView(g.View()));
  EXPECT_NEAR(g.View().xHigh - g.View().xLow, 100 * 0.421875, 1e-9);
  EXPECT_NEAR(g.View().yHigh - g.View().yLow, 20 * 0.421875, 1e-9);
  EXPECT_NEAR(g.View().xLow + g.View().xHigh, 100, 1e-9);
}

TEST(GraphMouse, PanByThePlotWidthMovesTheViewByItsWidth) {
  CGraphLogic g;
  g.SetView(0, 50, 0, 1);
  const GraphRect plot = DrawOn(g, {0, 0, 1000, 600}).plot;
  const int px = plot.right - 10, py = 100;
  const double ax = GraphDataX(g.View(), plot, px), ay = GraphDataY(g.View(), plot, py);
  g.PanTo(plot, ax, ay, {px - plot.Width(), py});
  EXPECT_DOUBLE_EQ(g.View().xLow, 50);
  EXPECT_DOUBLE_EQ(g.View().xHigh, 100);
  EXPECT_NEAR(g.View().yLow, 0, 1e-12);
  // The drag goes on with the units per pixel it began with.
  EXPECT_FALSE(g.RecomputePending());
}

TEST(GraphPicture, LabelsStayOnTheSurfaceAndNeverCoverEachOther) {
  struct Box {
    int left, top, right, bottom;
  };
  const auto boxes = [](const GraphPicture &pic) {
    std::vector<Box> all;
    for (const auto *marks : {&pic.yMarks, &pic.xMarks})
      for (const GraphMark &m : *marks)
        if (!m.text.empty())
          all.push_back({m.textAt.x, m.textAt.y, m.textAt.x + Width(m.text), m.textAt.y + kTextHeight});
    return all;
  };
  CGraphLogic g;
  // The recording of a value near 20 seen from the origin: "20" beside the
  // bottom line and "0" under the left one share the corner.
  g.SetView(0, 100, 20, 30);
  GraphPicture pic = DrawOn(g, {0, 0, 400, 200});
  ASSERT_FALSE(pic.xMarks.empty());
  ASSERT_FALSE(pic.yMarks.empty());
  EXPECT_EQ(pic.xMarks.front().text, " 0");
  EXPECT_EQ(pic.yMarks.front().text, "20");
  EXPECT_EQ(pic.xMarks.front().from.x, pic.plot.left) << "the line stays where the value is";

  for (const GraphView view : {GraphView{0, 100, 20, 30}, GraphView{0, 1, -0.7, 0.7}, GraphView{0, 12345, -1000, 1000},
                               GraphView{3.3, 4.1, 0.001, 0.0012}})
    for (const GraphRect o : {GraphRect{0, 0, 400, 200}, GraphRect{0, 0, 120, 40}, GraphRect{50, 30, 1000, 600}}) {
      g.SetView(view);
      const std::vector<Box> all = boxes(DrawOn(g, o));
      EXPECT_GE(all.size(), 2u);
      for (std::size_t i = 0; i < all.size(); ++i) {
        const Box &a = all[i];
        EXPECT_TRUE(a.left >= o.left && a.right <= o.right && a.top >= o.top && a.bottom <= o.bottom)
            << "label " << i << " of " << view.xHigh << " on " << o.right;
        for (std::size_t j = 0; j < i; ++j) {
          const Box &b = all[j];
          EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
              << "labels " << j << " and " << i << " of " << view.xHigh << " on " << o.right;
        }
      }
    }
}
