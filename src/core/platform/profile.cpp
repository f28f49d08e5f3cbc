#include "profile.h"

#include "codepage.h"
#include "replace_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

constexpr std::string_view kSpaces = " \t\v\f\r";

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(kSpaces);
  if (first == std::string_view::npos)
    return {};
  const auto last = text.find_last_not_of(kSpaces);
  return text.substr(first, last - first + 1);
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// The profile functions compare names without regard to case; the names this
// program uses are ASCII, so other characters compare as they stand.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i]))
      return false;
  }
  return true;
}

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

} // namespace

bool CProfileFile::Load(const std::string &path) {
  m_preamble.clear();
  m_sections.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  std::string bytes;
  bool ok = true;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      ok = false;
      break;
    }
    if (n == 0)
      break;
    if (bytes.size() + static_cast<std::size_t>(n) > kMaxFileSize) {
      ok = false;
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (!ok)
    return false;
  Parse(bytes);
  return true;
}

void CProfileFile::Parse(std::string_view bytes) {
  m_preamble.clear();
  m_sections.clear();

  std::string text;
  constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom)
    text = std::string(bytes.substr(kUtf8Bom.size()));
  else
    text = CodePageToUtf8(bytes, GetLinkCodePage());

  std::string_view rest = text;
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r')
      line.remove_suffix(1);

    const std::string_view trimmed = Trim(line);
    if (!trimmed.empty() && trimmed.front() == '[') {
      const auto close = trimmed.rfind(']');
      if (close != std::string_view::npos && close > 0) {
        m_sections.push_back(Section{std::string(Trim(trimmed.substr(1, close - 1))), {}});
        continue;
      }
    }

    Line parsed;
    if (trimmed.empty()) {
      parsed.raw = std::string(line);
    } else {
      parsed.isEntry = true;
      const auto equals = trimmed.find('=');
      if (equals == std::string_view::npos) {
        parsed.key = std::string(trimmed);
      } else {
        parsed.key = std::string(Trim(trimmed.substr(0, equals)));
        parsed.value = std::string(Trim(trimmed.substr(equals + 1)));
        parsed.hasValue = true;
      }
    }
    (m_sections.empty() ? m_preamble : m_sections.back().lines).push_back(std::move(parsed));
  }
}

const CProfileFile::Section *CProfileFile::FindSection(std::string_view name) const {
  for (const Section &section : m_sections) {
    if (SameName(section.name, name))
      return &section;
  }
  return nullptr;
}

CProfileFile::Section *CProfileFile::FindSection(std::string_view name) {
  return const_cast<Section *>(static_cast<const CProfileFile *>(this)->FindSection(name));
}

std::string CProfileFile::GetString(std::string_view section, std::string_view key, std::string_view def,
                                    std::size_t size) const {
  if (size == 0)
    return {};
  std::string_view value = def;
  if (const Section *found = FindSection(section)) {
    for (const Line &line : found->lines) {
      if (line.isEntry && SameName(line.key, key)) {
        if (line.hasValue) {
          value = line.value;
          if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
              value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        }
        break;
      }
    }
  }
  return std::string(FirstCharacters(value, size - 1));
}

void CProfileFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section *target = FindSection(section);
  if (target == nullptr) {
    m_sections.push_back(Section{std::string(section), {}});
    target = &m_sections.back();
  }
  for (Line &line : target->lines) {
    if (line.isEntry && SameName(line.key, key)) {
      line.value = std::string(value);
      line.hasValue = true;
      return;
    }
  }
  // After the last line that holds anything, so blank lines that separate
  // this section from the next stay where they are.
  std::size_t at = target->lines.size();
  while (at > 0 && !target->lines[at - 1].isEntry && Trim(target->lines[at - 1].raw).empty())
    --at;
  Line line;
  line.isEntry = true;
  line.hasValue = true;
  line.key = std::string(key);
  line.value = std::string(value);
  target->lines.insert(target->lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

std::string CProfileFile::ToBytes() const {
  std::string text;
  auto put = [&text](const Line &line) {
    if (line.isEntry) {
      text += line.key;
      if (line.hasValue) {
        text += '=';
        text += line.value;
      }
    } else {
      text += line.raw;
    }
    text += "\r\n";
  };
  for (const Line &line : m_preamble)
    put(line);
  for (const Section &section : m_sections) {
    text += '[';
    text += section.name;
    text += "]\r\n";
    for (const Line &line : section.lines)
      put(line);
  }
  return Utf8ToCodePage(text, GetLinkCodePage());
}

void CProfileFile::Save(const std::string &path) const { ReplaceFileContents(path, ToBytes()); }

std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                                    std::size_t size, const std::string &path) {
  CProfileFile file;
  file.Load(path);
  return file.GetString(section, key, def, size);
}

bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string &path) {
  CProfileFile file;
  // A file that exists but cannot be read is not replaced by a nearly empty one.
  if (!file.Load(path) && ::access(path.c_str(), F_OK) == 0)
    return false;
  file.WriteString(section, key, value);
  try {
    file.Save(path);
  } catch (const std::system_error &) {
    return false;
  }
  return true;
}
