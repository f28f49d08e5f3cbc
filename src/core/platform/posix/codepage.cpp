#include "core/platform/codepage.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One converter per direction, code page and thread: an iconv descriptor
// carries state and must not be shared between threads.
class Converter {
public:
  Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
  ~Converter() {
    if (m_cd != reinterpret_cast<iconv_t>(-1))
      iconv_close(m_cd);
  }
  Converter(const Converter &) = delete;
  Converter &operator=(const Converter &) = delete;

  bool Valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as it can. Returns the errno that stopped it (0 when the
  // whole input went through); `in` advances past what was taken.
  int Run(std::string_view &in, std::string &out) {
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    char buffer[256];
    while (!in.empty()) {
      char *src = const_cast<char *>(in.data());
      std::size_t srcLeft = in.size();
      char *dst = buffer;
      std::size_t dstLeft = sizeof buffer;
      std::size_t r = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
      int error = r == static_cast<std::size_t>(-1) ? errno : 0;
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      in.remove_prefix(in.size() - srcLeft);
      if (error != 0 && error != E2BIG)
        return error;
    }
    // Flush any shift state (none for these code pages, but cheap).
    char *dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    iconv(m_cd, nullptr, nullptr, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    return 0;
  }

private:
  iconv_t m_cd;
};

// glibc knows the Windows code page as CP932; its SHIFT_JIS lacks the
// Windows extensions (NEC and IBM rows) and maps 0x5C and 0x7E differently.
Converter &ToCodePage(CodePage cp) {
  thread_local Converter cp1252("CP1252", "UTF-8");
  thread_local Converter cp932("CP932", "UTF-8");
  return cp == CodePage::CP932 ? cp932 : cp1252;
}

Converter &FromCodePage(CodePage cp) {
  thread_local Converter cp1252("UTF-8", "CP1252");
  thread_local Converter cp932("UTF-8", "CP932");
  return cp == CodePage::CP932 ? cp932 : cp1252;
}

// How many bytes at the front of the text make one unconvertible character:
// a whole sequence, or the start of one that is cut short, or a single byte
// that cannot start a sequence. Each becomes one '?'.
std::size_t Utf8SequenceLength(std::string_view text) {
  auto b = static_cast<unsigned char>(text[0]);
  std::size_t n = b < 0xC2 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : b < 0xF5 ? 4 : 1;
  std::size_t i = 1;
  while (i < n && i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
    ++i;
  return i;
}

} // namespace

std::string Utf8ToCodePage(std::string_view utf8, CodePage cp) {
  std::string out;
  out.reserve(utf8.size());
  Converter &conv = ToCodePage(cp);
  if (!conv.Valid()) {
    // Without the converter only ASCII is certain to be right.
    for (char c : utf8)
      out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
    return out;
  }
  while (!utf8.empty()) {
    int error = conv.Run(utf8, out);
    if (error == 0)
      break;
    // The character at the front cannot be carried (or is not UTF-8):
    // send it as '?' and go on with the next one.
    out += '?';
    utf8.remove_prefix(Utf8SequenceLength(utf8));
  }
  return out;
}

std::string CodePageToUtf8(std::string_view bytes, CodePage cp) {
  static constexpr char kReplacement[] = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(bytes.size() * 2);
  Converter &conv = FromCodePage(cp);
  if (!conv.Valid()) {
    for (char c : bytes) {
      if (static_cast<unsigned char>(c) < 0x80)
        out += c;
      else
        out += kReplacement;
    }
    return out;
  }
  while (!bytes.empty()) {
    int error = conv.Run(bytes, out);
    if (error == 0)
      break;
    out += kReplacement;
    bytes.remove_prefix(1);
  }
  return out;
}
