#include "core/instruments/meter_alarm.h"

#include "core/platform/number_text.h"

#include <algorithm>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

} // namespace

MeterAlarm ClassifyReading(std::string_view text, double low, double high) {
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  if (text.empty())
    return MeterAlarm::None;
  double value = 0.0;
  std::string_view rest = text;
  // "12.5xyz" is a garbled reply, not 12.5.
  if (!ScanDouble(rest, value) || !rest.empty())
    return MeterAlarm::NotANumber;
  if (value < std::min(low, high))
    return MeterAlarm::Below;
  if (value > std::max(low, high))
    return MeterAlarm::Above;
  return MeterAlarm::None;
}
