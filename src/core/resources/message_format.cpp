#include "core/resources/message_format.h"

#include "core/resources/strings.h"

#include <cstdio>

namespace {

std::string ArgText(const MessageArg &arg, std::string_view spec) {
  if (const auto *s = std::get_if<std::string>(&arg)) {
    if (spec.empty() || spec == "s")
      return *s;
    return *s;
  }
  long long v = std::get<long long>(arg);
  char buf[64];
  // Only integer conversions make sense for a number insert; anything else
  // falls back to plain decimal.
  if (spec == "x" || spec == "X")
    std::snprintf(buf, sizeof buf, spec == "x" ? "%llx" : "%llX", v);
  else
    std::snprintf(buf, sizeof buf, "%lld", v);
  return buf;
}

} // namespace

std::string FormatMessageText(std::string_view format, const std::vector<MessageArg> &args) {
  std::string out;
  out.reserve(format.size() + 32);
  for (std::size_t i = 0; i < format.size(); ++i) {
    char c = format[i];
    if (c != '%' || i + 1 >= format.size()) {
      out += c;
      continue;
    }
    char n = format[i + 1];
    if (n == '%') {
      out += '%';
      ++i;
      continue;
    }
    if (n < '1' || n > '9') {
      out += c;
      continue;
    }
    std::size_t index = static_cast<std::size_t>(n - '1');
    std::size_t next = i + 2;
    std::string_view spec;
    if (next < format.size() && format[next] == '!') {
      std::size_t close = format.find('!', next + 1);
      if (close != std::string_view::npos) {
        spec = format.substr(next + 1, close - next - 1);
        next = close + 1;
      }
    }
    if (index >= args.size()) {
      out.append(format.substr(i, next - i));
    } else {
      // Strip a length modifier such as "ld" down to its conversion letter.
      std::string_view conv = spec.empty() ? spec : spec.substr(spec.size() - 1);
      out += ArgText(args[index], conv);
    }
    i = next - 1;
  }
  return out;
}

std::string FormatString(std::string_view format, std::string_view text) {
  std::string out;
  bool done = false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      if (format[i + 1] == '%') {
        out += '%';
        ++i;
        continue;
      }
      if (format[i + 1] == 's' && !done) {
        out += text;
        done = true;
        ++i;
        continue;
      }
    }
    out += format[i];
  }
  return out;
}

std::string FormatMessageId(int id, const std::vector<MessageArg> &args) {
  return FormatMessageText(LoadString(id), args);
}
