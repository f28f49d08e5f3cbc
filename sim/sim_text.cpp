#include "kt5rs_engine_rules.h"

#include <charconv>
#include <cstdio>

namespace simtext {

using kt5rs::Trim;

std::string Scaled(std::int64_t value) {
  const bool negative = value < 0;
  const std::uint64_t a = negative ? static_cast<std::uint64_t>(-value) : static_cast<std::uint64_t>(value);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%s%llu.%04llu", negative ? "-" : "",
                static_cast<unsigned long long>(a / 10000), static_cast<unsigned long long>(a % 10000));
  return buf;
}

std::string Fixed4(double value) {
  if (!std::isfinite(value))
    return "0.0000";
  return Scaled(std::llround(value * 10000.0));
}

bool ParseScaled(std::string_view text, std::int32_t &value) {
  text = Trim(text);
  if (text.empty())
    return false;
  bool digit = false, point = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9')
      digit = true;
    else if ((c == '+' || c == '-') && i == 0)
      continue;
    else if (c == '.' && !point)
      point = true;
    else
      return false;
  }
  if (!digit)
    return false;
  std::string_view number = text;
  if (number.front() == '+')
    number.remove_prefix(1);
  double x = 0;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), x);
  if (ec != std::errc() || end != number.data() + number.size())
    return false;
  if (std::fabs(x) > 200000.0) // beyond every item's range, and beyond 32 bits once scaled
    return false;
  value = static_cast<std::int32_t>(x >= 0 ? (x + 0.00001) * 10000 : (x - 0.00001) * 10000);
  return true;
}

bool ParseInt(std::string_view text, int &value) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  if (text.empty())
    return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

std::string Escape(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

} // namespace simtext
