// Private profile (INI) files with the rules of the Windows profile functions:
// section and key names match without regard to case, the first of two equal
// keys (and of two equal sections) wins, new sections and keys are added in
// the order of their first write, entries are written as key=value with CRLF
// line ends, and lines are read with LF or CRLF ends. The file holds 8-bit
// text in the link code page; the document holds UTF-8.
//
// The document is read once, changed in memory and written once, so saving a
// whole parameter set does not rewrite the file for every entry. Writing goes
// to a temporary file beside the target, which is then renamed over it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class CProfileFile {
public:
  // Files larger than this are not read: nothing a profile file holds comes
  // near it, and reading it would only eat memory.
  static constexpr std::size_t kMaxFileSize = 16u << 20;

  CProfileFile() = default;

  // Replaces the document with the file's content. False (and an empty
  // document) when the file cannot be read or is too large.
  bool Load(const std::string &path);
  // The document from file bytes in the link code page.
  void Parse(std::string_view bytes);

  // GetPrivateProfileString: the value, or def when the section or key is
  // missing, cut to size - 1 characters. A value in matching quotes loses them.
  std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                        std::size_t size) const;
  // WritePrivateProfileString: replaces the first matching entry, or adds
  // the key at the end of the section, or the section at the end of the file.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // The file bytes: CRLF line ends, link code page.
  std::string ToBytes() const;
  // Writes the document over path through a temporary file beside it. On any
  // failure the previous file stays as it was; throws std::system_error with
  // the system's reason.
  void Save(const std::string &path) const;

private:
  struct Line {
    std::string key;   // trimmed; empty for a line that is not an entry
    std::string value; // trimmed
    bool isEntry = false;
    bool hasValue = false; // an entry line without '=' has no value
    std::string raw;       // the text of a line that is not an entry
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };

  const Section *FindSection(std::string_view name) const;
  Section *FindSection(std::string_view name);

  std::vector<Line> m_preamble; // lines before the first section
  std::vector<Section> m_sections;
};

// The single-entry Windows calls over a whole file: each reads the file, and
// the write saves it again.
std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                                    std::size_t size, const std::string &path);
// False when the file could not be written (the previous file then stays).
bool WritePrivateProfileString(std::string_view section, std::string_view key, std::string_view value,
                               const std::string &path);
