#include "core/tools/loop_test.h"

#include "core/platform/number_text.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

LoopLimits LoopTestLimits(int lowest, int highest) {
  const double margin = (static_cast<double>(highest) - lowest) * 0.15;
  return {static_cast<int>(lowest - margin), static_cast<int>(highest + margin)};
}

LoopValue ParseLoopValue(const std::string &text, const LoopLimits &limits, int &value) {
  std::string_view rest = text;
  double x = 0;
  if (!ScanDouble(rest, x))
    return LoopValue::NotANumber;
  value = ScaleToStored(x);
  return value < limits.low || value > limits.high ? LoopValue::OutOfRange : LoopValue::Accepted;
}

std::string LoopRangeMessage(const LoopLimits &limits) {
  return FormatMessageId(IDS_RANGE_ERROR,
                         {LoadString(IDS_OUTPUT_VALUE), FormatScaled(limits.low), FormatScaled(limits.high)});
}
