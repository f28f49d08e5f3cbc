#include "profile.h"

#include "codepage.h"

#include <atomic>
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

std::system_error SystemError(const char *what) {
  return std::system_error(errno, std::generic_category(), what);
}

// write() until everything is out; false with errno set on failure.
bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// A symbolic link keeps pointing where it did: its target is replaced, not the link.
std::string ResolveTarget(const std::string &path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char *resolved = ::realpath(path.c_str(), nullptr);
    if (resolved != nullptr) {
      std::string target = resolved;
      std::free(resolved);
      return target;
    }
  }
  return path;
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

void CProfileFile::Save(const std::string &path) const {
  const std::string bytes = ToBytes();
  const std::string target = ResolveTarget(path);

  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.size() > 100)
    base.resize(100);

  static std::atomic<unsigned> counter{0};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = folder + (slash == std::string::npos ? "/." : ".") + base + "." + std::to_string(::getpid()) +
                "." + std::to_string(counter++) + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
      throw SystemError(target.c_str());
  }
  if (fd < 0)
    throw SystemError(target.c_str());

  auto fail = [&](int error) {
    if (fd >= 0)
      ::close(fd);
    ::unlink(temporary.c_str());
    errno = error;
    return SystemError(target.c_str());
  };

  // A file that is replaced keeps its permissions.
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    ::fchmod(fd, st.st_mode & 07777);

  if (!WriteAll(fd, bytes) || ::fsync(fd) != 0)
    throw fail(errno);
  const int closed = ::close(fd);
  fd = -1;
  if (closed != 0)
    throw fail(errno);
  if (::rename(temporary.c_str(), target.c_str()) != 0)
    throw fail(errno);
}

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
