// What the calibration procedures share: the instrument's report of one
// stored calibration point, and the guard on values the user types for the
// instrument.
#pragma once

#include <optional>
#include <string>

// A calibration point as the instrument reports it: the converter counts and
// the true value stored with them.
struct CalReading {
  int counts = 0;
  double value = 0;
};

// Reads a reply "D<counts> <value>"; nothing when it does not hold both.
std::optional<CalReading> ParseCalReply(const std::string &reply);

// A typed value travels inside one command line, so a line break in it would
// end that command early and start another. True for a value without one;
// otherwise tells the user and returns false.
bool CheckTypedValue(const std::string &text);
