// Private profile (INI) files with the rules of the Windows profile functions:
// section and key names match without regard to case, the first of two equal
// keys (and of two equal sections) wins, new sections and keys are added in
// the order of their first write, entries are written as key=value with CRLF
// line ends, and lines are read with LF or CRLF ends. The file holds 8-bit
// text in the link code page; the document holds UTF-8. A file that begins
// with a byte order mark is read in its encoding (UTF-8, UTF-16LE or
// UTF-16BE), as a Windows editor's "Unicode" save is; writing always gives
// 8-bit text, as the profile functions do when they create a file.
//
// The document is read once, changed in memory and written once, so saving a
// whole parameter set does not rewrite the file for every entry. Writing goes
// to a temporary file beside the target, which is then renamed over it.
//
// The document keeps the file's text in one string and describes each line by
// offsets into it; a run of blank lines is one record. Looking up an entry
// goes through a hash index built at the first look-up, so reading every
// entry of a file costs one pass, and a hostile file costs little more memory
// than its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CProfileFile {
public:
  // Files larger than this are not read: a configuration file is a few
  // kilobytes, and reading a huge one would only eat memory and time.
  static constexpr std::size_t kMaxFileSize = 1u << 20;

  CProfileFile() = default;

  // Replaces the document with the file's content. False (and an empty
  // document) when the file cannot be read or is too large, with errno
  // saying which (EFBIG for a file too large).
  bool Load(const std::string &path);
  // The document from file bytes in the link code page.
  void Parse(std::string_view bytes);

  // As GetPrivateProfileString: the value, or def when the section or key is
  // missing, cut to size - 1 characters. A value in matching quotes loses them.
  std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                        std::size_t size) const;
  // As WritePrivateProfileString: replaces the first matching entry, or adds
  // the key at the end of the section, or the section at the end of the file.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // The file bytes: CRLF line ends, link code page.
  std::string ToBytes() const;
  // Writes the document over path through a temporary file beside it. On any
  // failure the previous file stays as it was; throws std::system_error with
  // the system's reason.
  void Save(const std::string &path) const;

private:
  // A piece of m_text.
  struct Span {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };
  enum Kind : std::uint32_t {
    kBlank,   // one or more blank lines: `key` holds them as they were
    kKeyOnly, // a key without '='; it has no value
    kEntry,   // key=value
  };
  struct Line {
    std::uint32_t keyOffset;
    std::uint32_t keyLength : 30;
    std::uint32_t kind : 2;
    Span value;
  };
  struct Section {
    Span name;
    std::uint32_t firstLine; // its lines run to the next section's first
  };

  std::string_view Text(Span span) const { return std::string_view(m_text).substr(span.offset, span.length); }
  std::string_view KeyOf(const Line &line) const {
    return std::string_view(m_text).substr(line.keyOffset, line.keyLength);
  }
  Span SpanOf(std::string_view inText) const;
  Span Append(std::string_view text);
  std::size_t LinesEnd(std::size_t section) const;
  // Index of the first section of that name, or -1.
  long FindSection(std::string_view name) const;
  // The first entry of the key in the section, or null.
  const Line *FindEntry(long section, std::string_view key) const;
  void BuildIndex() const;
  void Clear();

  std::string m_text;
  std::vector<Line> m_lines;       // the lines before the first section, then each section's
  std::vector<Section> m_sections; // in file order
  // Open-addressing hash tables of 1 + section index and 1 + line index;
  // built at the first look-up after a change.
  mutable std::vector<std::uint32_t> m_sectionIndex;
  mutable std::vector<std::uint32_t> m_entryIndex;
  mutable bool m_indexed = false;
};

// The single-entry Windows calls over a whole file (named apart from them,
// which are macros in the Windows headers): each reads the file, and the
// write saves it again.
std::string ReadProfileValue(std::string_view section, std::string_view key, std::string_view def,
                             std::size_t size, const std::string &path);
// False when the file could not be written (the previous file then stays).
bool WriteProfileValue(std::string_view section, std::string_view key, std::string_view value,
                       const std::string &path);
