// The loop test's arithmetic: the limits offered for a fixed output value and
// the reading of a typed value, in stored units (value x 10000).
#pragma once

#include <string>

// What the loop test dialog answers: mode 0 cancelled, 1 hold the output at
// the present input, 2 drive it to value, 3 back to normal operation.
struct LoopChoice {
  int mode = 0;
  int value = 0;
};

struct LoopLimits {
  int low = 0;
  int high = 0;
};

// An output type's 0 % and 100 % widened by 15 % of the span, each truncated
// toward zero.
LoopLimits LoopTestLimits(int lowest, int highest);

enum class LoopValue { Accepted, NotANumber, OutOfRange };

// Reads the leading number of text (what follows it is ignored) into value;
// NotANumber when there is none, OutOfRange outside the limits.
LoopValue ParseLoopValue(const std::string &text, const LoopLimits &limits, int &value);

// Message 205 about the output value and the limits.
std::string LoopRangeMessage(const LoopLimits &limits);
