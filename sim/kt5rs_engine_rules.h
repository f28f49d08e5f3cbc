// What the parts of the simulated instrument share: its reply codes, the
// converter scale, the text limits of its identity items and the small
// readers of command arguments.
#pragma once

#include "kt5rs_engine.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kt5rs {

// Reply lines that do not begin with D: the program treats them as refusals.
inline constexpr const char *kUnknownGroup = "E1";
inline constexpr const char *kUnknownItem = "E2";
inline constexpr const char *kUnknownCommand = "E3";
inline constexpr const char *kBadValue = "E4";
inline constexpr const char *kWriteProtected = "E5";

// Both converters: 0 % of the type's range at 2000 counts, 100 % at 14000,
// 14 bits in all.
inline constexpr double kCountsLow = 2000;
inline constexpr double kCountsHigh = 14000;
inline constexpr double kCountsMax = 16383;

inline constexpr std::size_t kMaxModel = 16;
inline constexpr std::size_t kMaxSerial = 16;
inline constexpr std::size_t kMaxTag = 32;

inline bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

inline std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

// "12 34" -> two texts; exactly two are required.
inline bool SplitPair(std::string_view s, std::string_view &a, std::string_view &b) {
  s = Trim(s);
  auto blank = s.find_first_of(" \t");
  if (blank == std::string_view::npos)
    return false;
  a = s.substr(0, blank);
  b = Trim(s.substr(blank));
  return !a.empty() && !b.empty() && b.find_first_of(" \t") == std::string_view::npos;
}

inline bool Printable(std::string_view s) {
  return std::none_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

inline double Real(std::int32_t scaled) { return scaled / 10000.0; }

using simtext::Fixed4;
using simtext::ParseInt;
using simtext::ParseScaled;
using simtext::Scaled;

} // namespace kt5rs
