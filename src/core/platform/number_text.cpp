#include "core/platform/number_text.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

std::string FormatInt(long long value) { return std::to_string(value); }

std::string FormatFixed4(double value) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
  if (result.ec != std::errc())
    return "0.0000";
  return std::string(buffer, result.ptr);
}

std::string FormatScaled(long long stored) { return FormatFixed4(static_cast<double>(stored) / 10000.0); }

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Skips leading white space and one sign, as scanf does before a number;
// returns the position after them.
std::size_t SkipBlanksAndSign(std::string_view text, bool &negative) {
  std::size_t pos = 0;
  while (pos < text.size() && IsSpace(text[pos]))
    ++pos;
  negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  return pos;
}

} // namespace

bool ScanDouble(std::string_view &text, double &value) {
  bool negative = false;
  std::size_t pos = SkipBlanksAndSign(text, negative);
  // from_chars takes neither a leading '+' nor a second sign after the first.
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
    return false;
  double x = 0;
  const char *first = text.data() + pos;
  const char *last = text.data() + text.size();
  const auto result = std::from_chars(first, last, x, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    // Like strtod: huge magnitudes become infinite, tiny ones zero; an
    // infinite value is refused below.
    return false;
  }
  if (result.ec != std::errc() || !std::isfinite(x))
    return false;
  value = negative ? -x : x;
  text.remove_prefix(static_cast<std::size_t>(result.ptr - text.data()));
  return true;
}

bool ScanInt(std::string_view &text, int &value) {
  bool negative = false;
  std::size_t pos = SkipBlanksAndSign(text, negative);
  if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
    return false;
  long long magnitude = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    if (magnitude <= static_cast<long long>(INT_MAX) + 1)
      magnitude = magnitude * 10 + (text[pos] - '0');
    ++pos;
  }
  long long signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT_MAX)
    signedValue = INT_MAX;
  if (signedValue < INT_MIN)
    signedValue = INT_MIN;
  value = static_cast<int>(signedValue);
  text.remove_prefix(pos);
  return true;
}

int LeadingInt(std::string_view text) {
  text = TrimBlanks(text);
  int value = 0;
  return ScanInt(text, value) ? value : 0;
}

std::string_view TrimBlanks(std::string_view text) {
  constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  for (;;) {
    if (!text.empty() && IsSpace(text.front()))
      text.remove_prefix(1);
    else if (text.starts_with(kIdeographicSpace))
      text.remove_prefix(kIdeographicSpace.size());
    else
      break;
  }
  for (;;) {
    if (!text.empty() && IsSpace(text.back()))
      text.remove_suffix(1);
    else if (text.ends_with(kIdeographicSpace))
      text.remove_suffix(kIdeographicSpace.size());
    else
      break;
  }
  return text;
}

int ScaleToStored(double value) {
  const double scaled = value >= 0 ? (value + 0.00001) * 10000.0 : (value - 0.00001) * 10000.0;
  if (std::isnan(scaled))
    return 0;
  if (scaled >= static_cast<double>(INT_MAX))
    return INT_MAX;
  if (scaled <= static_cast<double>(INT_MIN))
    return INT_MIN;
  return static_cast<int>(scaled);
}
