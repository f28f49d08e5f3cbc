#include "core/platform/codepage.h"

#include <windows.h>

namespace {

UINT WindowsCodePage(CodePage cp) { return cp == CodePage::CP932 ? 932 : 1252; }

// How many bytes at the front of the text make one UTF-8 sequence, or the
// start of one that is cut short, or a single byte that cannot start one.
std::size_t Utf8SequenceLength(std::string_view text) {
  const auto b = static_cast<unsigned char>(text[0]);
  const std::size_t n = b < 0xC2 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 1;
  std::size_t i = 1;
  while (i < n && i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
    ++i;
  return i;
}

} // namespace

std::string Utf8ToCodePage(std::string_view utf8, CodePage cp) {
  const UINT codePage = WindowsCodePage(cp);
  std::string out;
  out.reserve(utf8.size());
  // Character by character, so that each one the code page cannot carry (and
  // each stretch that is not UTF-8) becomes exactly one '?'. No best-fit
  // mapping: a character is sent as itself or not at all.
  while (!utf8.empty()) {
    if (static_cast<unsigned char>(utf8[0]) < 0x80) {
      out += utf8[0];
      utf8.remove_prefix(1);
      continue;
    }
    const std::size_t length = Utf8SequenceLength(utf8);
    wchar_t wide[2];
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(length),
                                          wide, 2);
    utf8.remove_prefix(length);
    char bytes[8];
    BOOL lossy = FALSE;
    const int n = units > 0 ? WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, units, bytes, sizeof bytes,
                                                  nullptr, &lossy)
                            : 0;
    if (n > 0 && !lossy)
      out.append(bytes, static_cast<std::size_t>(n));
    else
      out += '?';
  }
  return out;
}

std::string CodePageToUtf8(std::string_view bytes, CodePage cp) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  const UINT codePage = WindowsCodePage(cp);
  std::string out;
  out.reserve(bytes.size() * 2);
  while (!bytes.empty()) {
    const auto b = static_cast<unsigned char>(bytes[0]);
    if (b < 0x80) {
      out += bytes[0];
      bytes.remove_prefix(1);
      continue;
    }
    // Windows decodes the five holes of CP1252 as C1 controls; they are no
    // characters of the code page, and the program reads them as on Linux.
    if (cp == CodePage::CP1252 && (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)) {
      out += kReplacement;
      bytes.remove_prefix(1);
      continue;
    }
    std::size_t length = IsLeadByte(cp, b) && bytes.size() >= 2 ? 2 : 1;
    wchar_t wide[2];
    int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(length), wide, 2);
    if (units <= 0 && length == 2) {
      // A lead byte whose second byte is not a trail byte: only the lead byte is bad.
      length = 1;
    }
    if (units <= 0) {
      out += kReplacement;
      bytes.remove_prefix(1);
      continue;
    }
    bytes.remove_prefix(length);
    char utf8[8];
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, sizeof utf8, nullptr, nullptr);
    out.append(utf8, static_cast<std::size_t>(n > 0 ? n : 0));
  }
  return out;
}
