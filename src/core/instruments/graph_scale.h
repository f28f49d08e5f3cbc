// Grid steps and label formats of the trend graph's axes.
#pragma once

#include <string>

// A grid step for an axis range and the digit count that goes with it:
// the number of integer digits of range / 5 when that is 1 or more, else the
// decimal place of its first non-zero digit. Digits above 14 mark a range
// the chart cannot show (wider than 5 * 2147483647, narrower than a unit in
// the fourteenth decimal place, empty, reversed or not a number).
struct GraphStepResult {
  double step = 0;
  int digits = 0;
};

inline constexpr int GraphMaxDigits = 14;

GraphStepResult GraphStep(double range);

// The printf format of an axis's labels ("%2.0lf", "%.3lf"), kept as its two
// numbers so labels are written with a '.' decimal point whatever the locale.
class CGraphLabelFormat {
public:
  CGraphLabelFormat() = default;
  // No decimals and at least digits characters for a step of 1 or more;
  // digits decimals for a finer step.
  static CGraphLabelFormat ForStep(double step, int digits);

  // The format as printf would take it; empty before one is set.
  std::string Text() const;
  // value written as printf would write it with Text().
  std::string Format(double value) const;

private:
  int m_width = 0;
  int m_decimals = 0;
  bool m_set = false;
};
