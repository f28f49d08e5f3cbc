#include "core/platform/profile.h"

#include "core/platform/ascii_case.h"
#include "core/platform/codepage.h"
#include "core/platform/read_file.h"
#include "core/platform/replace_file.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

// The text without white space around it; an empty result still points into
// the text, so its place is kept.
std::string_view Trim(std::string_view text) {
  std::size_t first = 0;
  std::size_t last = text.size();
  while (first < last && IsSpace(text[first]))
    ++first;
  while (last > first && IsSpace(text[last - 1]))
    --last;
  return text.substr(first, last - first);
}

// Both code pages agree with UTF-8 on these, and a configuration file holds
// little else.
bool IsAscii(std::string_view bytes) {
  unsigned char any = 0;
  for (char c : bytes)
    any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

// The profile functions compare section and key names without regard to case.
bool SameName(std::string_view a, std::string_view b) { return EqualsIgnoringAsciiCase(a, b); }

// The first `count` characters (code points) of UTF-8 text.
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
  std::size_t pos = 0;
  while (pos < text.size() && count > 0) {
    ++pos;
    while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
      ++pos;
    --count;
  }
  return text.substr(0, pos);
}

// Text saved as "Unicode" by a Windows editor: UTF-16 behind its byte order
// mark, read as the profile functions read it. A lone surrogate becomes
// U+FFFD and an odd last byte is dropped.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2 * 3 / 2);
  auto unit = [&](std::size_t at) {
    const auto hi = static_cast<unsigned char>(bytes[bigEndian ? at : at + 1]);
    const auto lo = static_cast<unsigned char>(bytes[bigEndian ? at + 1 : at]);
    return static_cast<char32_t>(hi << 8 | lo);
  };
  auto put = [&](char32_t c) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  };
  const std::size_t end = bytes.size() & ~std::size_t{1};
  for (std::size_t at = 0; at < end; at += 2) {
    const char32_t c = unit(at);
    if (c >= 0xD800 && c < 0xDC00 && at + 2 < end) {
      const char32_t low = unit(at + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        put(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
        at += 2;
        continue;
      }
    }
    put(c >= 0xD800 && c < 0xE000 ? char32_t{0xFFFD} : c);
  }
  return out;
}

} // namespace

bool CProfileFile::Load(const std::string &path) {
  Clear();
  std::string bytes;
  if (!ReadFileContents(path, kMaxFileSize, bytes))
    return false;
  Parse(bytes);
  return true;
}

void CProfileFile::Clear() {
  m_text.clear();
  m_lines.clear();
  m_sections.clear();
  m_sectionIndex.clear();
  m_entryIndex.clear();
  m_indexed = false;
}

CProfileFile::Span CProfileFile::SpanOf(std::string_view inText) const {
  return Span{static_cast<std::uint32_t>(inText.data() - m_text.data()), static_cast<std::uint32_t>(inText.size())};
}

CProfileFile::Span CProfileFile::Append(std::string_view text) {
  Span span{static_cast<std::uint32_t>(m_text.size()), static_cast<std::uint32_t>(text.size())};
  m_text.append(text);
  return span;
}

std::size_t CProfileFile::LinesEnd(std::size_t section) const {
  return section + 1 < m_sections.size() ? m_sections[section + 1].firstLine : m_lines.size();
}

void CProfileFile::Parse(std::string_view bytes) {
  Clear();
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
  constexpr std::string_view kUtf16BeBom = "\xFE\xFF";
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom)
    m_text.assign(bytes.substr(kUtf8Bom.size()));
  else if (bytes.substr(0, 2) == kUtf16LeBom || bytes.substr(0, 2) == kUtf16BeBom)
    m_text = Utf16ToUtf8(bytes.substr(2), bytes[0] == kUtf16BeBom[0]);
  else if (IsAscii(bytes))
    m_text.assign(bytes);
  else
    m_text = CodePageToUtf8(bytes, GetLinkCodePage());

  const std::string_view text = m_text;
  // Room for the lines that start with text, counted first: growing the list
  // line by line would copy it over and over, and blank lines need no room.
  std::size_t lineStarts = 0;
  for (std::size_t at = 0; at < text.size();) {
    if (!IsSpace(text[at]) && text[at] != '\n' && text[at] != '[')
      ++lineStarts;
    const auto newline = text.find('\n', at);
    at = newline == std::string_view::npos ? text.size() : newline + 1;
  }
  m_lines.reserve(lineStarts);
  bool blankRun = false; // the last record is a run of blank lines that may grow
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto newline = text.find('\n', pos);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
    std::string_view line = text.substr(pos, end - pos);
    pos = newline == std::string_view::npos ? text.size() : newline + 1;
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);

    const std::string_view trimmed = Trim(line);
    if (trimmed.empty()) {
      if (blankRun) {
        Line &run = m_lines.back();
        run.keyLength = static_cast<std::uint32_t>(line.data() + line.size() - (m_text.data() + run.keyOffset));
      } else {
        const Span span = SpanOf(line);
        m_lines.push_back(Line{span.offset, span.length, kBlank, {}});
        blankRun = true;
      }
      continue;
    }
    blankRun = false;
    if (trimmed.front() == '[') {
      const auto close = trimmed.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        m_sections.push_back(Section{SpanOf(Trim(trimmed.substr(1, close - 1))),
                                     static_cast<std::uint32_t>(m_lines.size())});
        continue;
      }
    }
    const auto equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
      const Span key = SpanOf(trimmed);
      m_lines.push_back(Line{key.offset, key.length, kKeyOnly, {}});
    } else {
      const Span key = SpanOf(Trim(trimmed.substr(0, equals)));
      m_lines.push_back(Line{key.offset, key.length, kEntry, SpanOf(Trim(trimmed.substr(equals + 1)))});
    }
  }
}

namespace {

// FNV-1a over the names as they compare: ASCII letters folded.
std::uint32_t HashName(std::string_view name, std::uint32_t seed) {
  std::uint32_t h = 2166136261u ^ seed;
  for (char c : name) {
    h ^= static_cast<unsigned char>(FoldAscii(c));
    h *= 16777619u;
  }
  return h;
}

std::size_t TableSize(std::size_t count) {
  std::size_t size = 8;
  while (size < 2 * count)
    size *= 2;
  return size;
}

} // namespace

void CProfileFile::BuildIndex() const {
  // Only the first of equal names goes in: it is the one the profile rules find.
  m_sectionIndex.assign(TableSize(m_sections.size()), 0);
  const std::size_t sectionMask = m_sectionIndex.size() - 1;
  for (std::size_t s = 0; s < m_sections.size(); ++s) {
    const std::string_view name = Text(m_sections[s].name);
    for (std::size_t slot = HashName(name, 0) & sectionMask;; slot = (slot + 1) & sectionMask) {
      const std::uint32_t held = m_sectionIndex[slot];
      if (held == 0) {
        m_sectionIndex[slot] = static_cast<std::uint32_t>(s + 1);
        break;
      }
      if (SameName(Text(m_sections[held - 1].name), name))
        break;
    }
  }

  m_entryIndex.assign(TableSize(m_lines.size()), 0);
  const std::size_t entryMask = m_entryIndex.size() - 1;
  for (std::size_t s = 0; s < m_sections.size(); ++s) {
    const std::size_t end = LinesEnd(s);
    for (std::size_t l = m_sections[s].firstLine; l < end; ++l) {
      if (m_lines[l].kind == kBlank)
        continue;
      const std::string_view key = KeyOf(m_lines[l]);
      for (std::size_t slot = HashName(key, static_cast<std::uint32_t>(s)) & entryMask;;
           slot = (slot + 1) & entryMask) {
        const std::uint32_t held = m_entryIndex[slot];
        if (held == 0) {
          m_entryIndex[slot] = static_cast<std::uint32_t>(l + 1);
          break;
        }
        // Lines of one section are contiguous and go in in order.
        if (held - 1 >= m_sections[s].firstLine && SameName(KeyOf(m_lines[held - 1]), key))
          break;
      }
    }
  }
  m_indexed = true;
}

long CProfileFile::FindSection(std::string_view name) const {
  if (!m_indexed)
    BuildIndex();
  const std::size_t mask = m_sectionIndex.size() - 1;
  for (std::size_t slot = HashName(name, 0) & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t held = m_sectionIndex[slot];
    if (held == 0)
      return -1;
    if (SameName(Text(m_sections[held - 1].name), name))
      return static_cast<long>(held - 1);
  }
}

const CProfileFile::Line *CProfileFile::FindEntry(long section, std::string_view key) const {
  if (section < 0)
    return nullptr;
  if (!m_indexed)
    BuildIndex();
  const auto s = static_cast<std::size_t>(section);
  const std::size_t first = m_sections[s].firstLine;
  const std::size_t end = LinesEnd(s);
  const std::size_t mask = m_entryIndex.size() - 1;
  for (std::size_t slot = HashName(key, static_cast<std::uint32_t>(s)) & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t held = m_entryIndex[slot];
    if (held == 0)
      return nullptr;
    const std::size_t l = held - 1;
    if (l >= first && l < end && SameName(KeyOf(m_lines[l]), key))
      return &m_lines[l];
  }
}

std::string CProfileFile::GetString(std::string_view section, std::string_view key, std::string_view def,
                                    std::size_t size) const {
  if (size == 0)
    return {};
  std::string_view value = def;
  if (const Line *line = FindEntry(FindSection(section), key); line != nullptr && line->kind == kEntry) {
    value = Text(line->value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
  }
  return std::string(FirstCharacters(value, size - 1));
}

void CProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  m_indexed = false;
  std::size_t s = 0;
  while (s < m_sections.size() && !SameName(Text(m_sections[s].name), section))
    ++s;
  if (s == m_sections.size())
    m_sections.push_back(Section{Append(section), static_cast<std::uint32_t>(m_lines.size())});
  const std::size_t first = m_sections[s].firstLine;
  const std::size_t end = LinesEnd(s);
  for (std::size_t l = first; l < end; ++l) {
    Line &line = m_lines[l];
    if (line.kind != kBlank && SameName(KeyOf(line), key)) {
      line.value = Append(value);
      line.kind = kEntry;
      return;
    }
  }
  // After the last line that holds anything, so blank lines that separate
  // this section from the next stay where they are.
  std::size_t at = end;
  while (at > first && m_lines[at - 1].kind == kBlank)
    --at;
  const Span keySpan = Append(key);
  const Span valueSpan = Append(value);
  m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at),
                 Line{keySpan.offset, keySpan.length, kEntry, valueSpan});
  for (std::size_t later = s + 1; later < m_sections.size(); ++later)
    ++m_sections[later].firstLine;
}

std::string CProfileFile::ToBytes() const {
  std::string text;
  auto put = [&](const Line &line) {
    if (line.kind == kBlank) {
      // Each blank line of the run as it was, with its own line end.
      std::string_view run = KeyOf(line);
      for (;;) {
        const auto newline = run.find('\n');
        std::string_view one = run.substr(0, newline);
        if (!one.empty() && one.back() == '\r')
          one.remove_suffix(1);
        text += one;
        text += "\r\n";
        if (newline == std::string_view::npos)
          break;
        run.remove_prefix(newline + 1);
      }
      return;
    }
    text += KeyOf(line);
    if (line.kind == kEntry) {
      text += '=';
      text += Text(line.value);
    }
    text += "\r\n";
  };
  const std::size_t preambleEnd = m_sections.empty() ? m_lines.size() : m_sections.front().firstLine;
  for (std::size_t l = 0; l < preambleEnd; ++l)
    put(m_lines[l]);
  for (std::size_t s = 0; s < m_sections.size(); ++s) {
    text += '[';
    text += Text(m_sections[s].name);
    text += "]\r\n";
    for (std::size_t l = m_sections[s].firstLine; l < LinesEnd(s); ++l)
      put(m_lines[l]);
  }
  return Utf8ToCodePage(text, GetLinkCodePage());
}

void CProfileFile::Save(const std::string &path) const { ReplaceFileContents(path, ToBytes()); }

std::string ReadProfileValue(std::string_view section, std::string_view key, std::string_view def,
                             std::size_t size, const std::string &path) {
  CProfileFile file;
  file.Load(path);
  return file.GetString(section, key, def, size);
}

bool WriteProfileValue(std::string_view section, std::string_view key, std::string_view value,
                       const std::string &path) {
  CProfileFile file;
  // A file that exists but cannot be read is not replaced by a nearly empty one.
  std::error_code ec;
  if (!file.Load(path) && std::filesystem::exists(path, ec))
    return false;
  file.WriteString(section, key, value);
  try {
    file.Save(path);
  } catch (const std::system_error &) {
    return false;
  }
  return true;
}
