// What a bar meter shows, worked out without drawing: the range rules, the
// level of the bar and the scale marks with their rows and labels. The
// window only fills and draws what this says, so the geometry is tested
// here, in whole pixels.
#pragma once

#include "core/instruments/pixel_rect.h"

#include <string>
#include <vector>

struct MeterRange {
  double low = 0.0;
  double high = 0.0;
  double step = 0.0;

  // A range ever set has low < high; the default one draws nothing.
  bool IsSet() const { return low < high; }
};

// The range of the ends a and b in either order; equal ends are widened by
// 0.0001 so the scale always has a step.
MeterRange MakeMeterRange(double a, double b);

using MeterRect = PixelRect;

struct MeterMark {
  double value = 0.0;
  std::string label; // "%.4lf" of value
  int y = 0;         // the mark's line; its label stands on it, right-aligned
};

struct MeterPicture {
  MeterRect client;
  // Scale area: the bar in the left half, labels in the right half, below a
  // margin of one text line at the top.
  MeterRect scale;
  // Without a range the meter shows only its background.
  bool hasRange = false;
  int level = 0;   // row of the bar's top
  MeterRect bar;   // in the bar colour; empty when the value is at or below the low end
  MeterRect empty; // in the empty colour, from the window's top down to the level
  std::vector<MeterMark> marks;
};

// The picture of a meter of width x height client pixels whose text is
// textHeight pixels high.
MeterPicture LayoutMeter(const MeterRange &range, double value, int width, int height, int textHeight);
