#include "core/instruments/meter_scale.h"

#include "core/instruments/nice_step.h"
#include "core/platform/number_text.h"

#include <cmath>

namespace {

// What an empty range is widened by.
constexpr double kMinimumWidth = 0.0001;

// Labels are taken from the marks' own values; a range far below or above
// the window, or a step too small to move a mark at the size of its ends,
// must neither overflow a pixel row nor loop for ever. A scale holds at most
// ten steps plus the mark rounded toward zero below it.
constexpr int kMaxMarks = 64;
constexpr double kPixelLimit = 1 << 24;

// Truncated toward zero, like the conversion of the original arithmetic,
// but kept within a range any int and any painter can take.
int ToPixel(double y) {
  if (!(y > -kPixelLimit))
    return static_cast<int>(-kPixelLimit);
  if (y > kPixelLimit)
    return static_cast<int>(kPixelLimit);
  return static_cast<int>(std::trunc(y));
}

int Row(const MeterRange &range, const MeterRect &scale, double v) {
  return ToPixel(scale.bottom - (v - range.low) / (range.high - range.low) * (scale.bottom - scale.top));
}

} // namespace

MeterRange MakeMeterRange(double a, double b) {
  MeterRange r;
  r.low = a > b ? b : a;
  r.high = a > b ? a : b;
  if (r.low == r.high) {
    r.high = r.low + kMinimumWidth;
    // The step of the width added, not of high - low: 5.0001 - 5 is just
    // under 0.0001 in binary and would give half the step.
    r.step = NiceStep(kMinimumWidth);
  } else {
    r.step = NiceStep(r.high - r.low);
  }
  return r;
}

MeterPicture LayoutMeter(const MeterRange &range, double value, int width, int height, int textHeight) {
  MeterPicture p;
  p.client = {0, 0, width, height};
  p.scale.left = p.client.left;
  p.scale.top = p.client.top + textHeight + 2;
  p.scale.right = p.client.right - width / 2;
  p.scale.bottom = p.client.bottom - 1;
  p.hasRange = range.IsSet() && std::isfinite(range.low) && std::isfinite(range.high);
  if (!p.hasRange)
    return p;

  int y = Row(range, p.scale, value);
  if (y <= p.client.top)
    y = p.client.top;
  p.level = y;
  if (y <= p.client.bottom && p.scale.bottom > y)
    p.bar = {p.scale.left, y, p.scale.right, p.scale.bottom};
  if (y > p.client.top)
    p.empty = {p.scale.left, p.client.top, p.scale.right, y};

  if (!(range.step > 0.0))
    return p;
  double m = std::trunc(range.low / range.step) * range.step;
  for (int n = 0; m <= range.high && n < kMaxMarks; ++n) {
    // -0.0 (a low end just below zero rounds to it) would read "-0.0000".
    const double shown = m + 0.0;
    p.marks.push_back({shown, FormatFixed4(shown), Row(range, p.scale, shown)});
    const double next = m + range.step;
    if (next == m)
      break;
    m = next;
  }
  return p;
}
