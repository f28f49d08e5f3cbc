// Comparing names without regard to case. The names and choice texts this
// program matches this way are ASCII, so other bytes (UTF-8 included) compare
// as they stand and no locale is consulted.
#pragma once

#include <cstddef>
#include <string_view>

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i]))
      return false;
  }
  return true;
}
