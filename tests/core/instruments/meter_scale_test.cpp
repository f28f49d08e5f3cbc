// The meter's picture in pixels: scale step, range rules, bar and marks.
#include "core/instruments/meter_scale.h"
#include "core/instruments/nice_step.h"

#include <gtest/gtest.h>

namespace {

// A panel's meter on a 96 dpi screen: 58 x 335 pixels, text 10 pixels high.
constexpr int W = 58, H = 335, TextH = 10;

std::vector<std::string> Labels(const MeterPicture &p) {
  std::vector<std::string> labels;
  for (const MeterMark &m : p.marks)
    labels.push_back(m.label);
  return labels;
}

TEST(NiceStep, OneTwoOrFiveTimesAPowerOfTen) {
  EXPECT_DOUBLE_EQ(NiceStep(100), 20);
  EXPECT_DOUBLE_EQ(NiceStep(16), 5);
  EXPECT_DOUBLE_EQ(NiceStep(2000), 500);
  EXPECT_DOUBLE_EQ(NiceStep(0.0001), 0.00002);
  EXPECT_DOUBLE_EQ(NiceStep(35), 10); // d = 7
  EXPECT_EQ(NiceStep(0), 0);
  EXPECT_EQ(NiceStep(-5), 0);
}

TEST(MeterRange, EndsInEitherOrderAndEmptyRangesWidened) {
  MeterRange reversed = MakeMeterRange(100, 0);
  EXPECT_EQ(reversed.low, 0);
  EXPECT_EQ(reversed.high, 100);
  EXPECT_DOUBLE_EQ(reversed.step, 20);

  MeterRange empty = MakeMeterRange(5, 5);
  EXPECT_DOUBLE_EQ(empty.high, 5.0001);
  EXPECT_DOUBLE_EQ(empty.step, 0.00002);
  EXPECT_TRUE(empty.IsSet());
  EXPECT_FALSE(MeterRange{}.IsSet());
}

TEST(MeterLayout, FourToTwentyMilliampsAtTwelve) {
  MeterPicture p = LayoutMeter(MakeMeterRange(4, 20), 12, W, H, TextH);
  EXPECT_EQ(p.scale, (MeterRect{0, TextH + 2, W / 2, H - 1}));
  // The first mark is rounded toward zero, so 0 lies below the scale.
  EXPECT_EQ(Labels(p), (std::vector<std::string>{"0.0000", "5.0000", "10.0000", "15.0000", "20.0000"}));
  EXPECT_GT(p.marks.front().y, p.scale.bottom);
  EXPECT_EQ(p.marks.back().y, p.scale.top);
  EXPECT_EQ(p.marks[1].y, 313); // 334 - 322 / 16, truncated
  // Half the scale filled, the rest of the column empty up to the window's top.
  EXPECT_EQ(p.level, 173);
  EXPECT_EQ(p.bar, (MeterRect{0, p.level, W / 2, p.scale.bottom}));
  EXPECT_EQ(p.empty, (MeterRect{0, 0, W / 2, p.level}));
}

TEST(MeterLayout, RangeAcrossZero) {
  MeterPicture p = LayoutMeter(MakeMeterRange(-10, 10), 0, W, H, TextH);
  EXPECT_EQ(Labels(p), (std::vector<std::string>{"-10.0000", "-5.0000", "0.0000", "5.0000", "10.0000"}));
  EXPECT_EQ(p.marks.front().y, p.scale.bottom);
  // Near zero the first mark rounds to zero, and never reads "-0.0000".
  EXPECT_EQ(LayoutMeter(MakeMeterRange(-3, 20), 0, W, H, TextH).marks.front().label, "0.0000");
}

TEST(MeterLayout, ValuesOutsideTheRange) {
  MeterPicture above = LayoutMeter(MakeMeterRange(0, 100), 250, W, H, TextH);
  EXPECT_EQ(above.level, 0); // over the label margin, up to the window's top
  EXPECT_EQ(above.bar, (MeterRect{0, 0, W / 2, H - 1}));
  EXPECT_TRUE(above.empty.IsEmpty());

  MeterPicture below = LayoutMeter(MakeMeterRange(0, 100), -1e300, W, H, TextH);
  EXPECT_TRUE(below.bar.IsEmpty());
  EXPECT_EQ(below.empty.top, 0);
  EXPECT_GE(below.empty.bottom, H);
}

TEST(MeterLayout, NoRangeShowsOnlyTheBackground) {
  MeterPicture p = LayoutMeter(MeterRange{}, 50, W, H, TextH);
  EXPECT_FALSE(p.hasRange);
  EXPECT_TRUE(p.bar.IsEmpty());
  EXPECT_TRUE(p.empty.IsEmpty());
  EXPECT_TRUE(p.marks.empty());
}

TEST(MeterLayout, AStepTooSmallForTheEndsStillEnds) {
  // At 1e12 a step of 0.00002 does not move a double: the marks stop.
  MeterPicture p = LayoutMeter(MakeMeterRange(1e12, 1e12), 1e12, W, H, TextH);
  EXPECT_FALSE(p.marks.empty());
  EXPECT_LE(p.marks.size(), 64u);
}

} // namespace
