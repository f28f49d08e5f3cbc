#include "core/instruments/graph_scale.h"

#include <charconv>
#include <cmath>

GraphStepResult GraphStep(double range) {
  double d = range / 5;
  double s = 1;
  if (d > 2147483647.0 || !(d > 0)) // NaN fails the second test too
    return {0, GraphMaxDigits + 1};
  int digits = 0;
  if (d >= 1) {
    digits = 1;
    while (std::trunc(d) >= 10) {
      ++digits;
      s *= 10;
      d /= 10;
      if (digits > GraphMaxDigits)
        break;
    }
  } else {
    while (std::trunc(d) == 0) {
      ++digits;
      s /= 10;
      d *= 10;
      if (digits > GraphMaxDigits)
        break;
    }
  }
  static constexpr int kMultiplier[10] = {1, 1, 2, 5, 5, 5, 10, 10, 10, 10};
  const int k = static_cast<int>(std::trunc(d));
  const int m = k >= 0 && k <= 9 ? kMultiplier[k] : 1;
  return {s * m, digits};
}

CGraphLabelFormat CGraphLabelFormat::ForStep(double step, int digits) {
  CGraphLabelFormat f;
  f.m_set = true;
  if (step >= 1) {
    f.m_width = digits;
    f.m_decimals = 0;
  } else {
    f.m_width = 0;
    f.m_decimals = digits;
  }
  return f;
}

std::string CGraphLabelFormat::Text() const {
  if (!m_set)
    return {};
  if (m_decimals == 0)
    return "%" + std::to_string(m_width) + ".0lf";
  return "%." + std::to_string(m_decimals) + "lf";
}

std::string CGraphLabelFormat::Format(double value) const {
  if (!std::isfinite(value))
    return std::isnan(value) ? "nan" : (value < 0 ? "-inf" : "inf");
  char buffer[400]; // the widest double in fixed notation with 15 decimals
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, m_decimals);
  std::string text = ec == std::errc() ? std::string(buffer, end) : std::string();
  // Grid values are sums of steps, so zero often arrives as -1e-16; an axis
  // labelled "-0.0" would only puzzle.
  if (!text.empty() && text[0] == '-' && text.find_first_not_of("0.", 1) == std::string::npos)
    text.erase(0, 1);
  if (static_cast<int>(text.size()) < m_width)
    text.insert(0, m_width - text.size(), ' ');
  return text;
}
