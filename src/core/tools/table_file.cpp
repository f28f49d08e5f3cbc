#include "core/tools/table_file.h"

#include "core/platform/number_text.h"
#include "core/platform/replace_file.h"
#include "core/resources/string_ids.h"

#include <fstream>
#include <string_view>

namespace {

// Whatever follows the second number of a point is ignored, so a line is
// kept only this far: a file without line ends cannot fill the memory.
constexpr std::size_t kMaxLine = 4096;

// One line without its end (LF or CRLF); false at the end of the file.
bool ReadLine(std::istream &in, std::string &line) {
  line.clear();
  bool any = false;
  for (char c; in.get(c);) {
    any = true;
    if (c == '\n')
      break;
    if (line.size() < kMaxLine)
      line += c;
  }
  if (!line.empty() && line.back() == '\r')
    line.pop_back();
  return any;
}

// "%lf,%lf": the comma must follow the first number directly.
bool ParsePoint(std::string_view text, double &x, double &y) {
  if (!ScanDouble(text, x) || text.empty() || text.front() != ',')
    return false;
  text.remove_prefix(1);
  return ScanDouble(text, y);
}

} // namespace

void CTableFile::Clear() {
  X.clear();
  Y.clear();
}

void CTableFile::Add(double x, double y) {
  X.push_back(x);
  Y.push_back(y);
}

void CTableFile::Read(const std::string &path) {
  Clear();
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw CTableFileException(IDS_TABLE_OPEN_FAILED);

  bool open = false;
  std::string raw;
  while (ReadLine(in, raw)) {
    const std::string_view line = TrimBlanks(raw);
    if (line.empty() || line.front() == '/')
      continue;
    if (!open) {
      open = line.front() == '{';
      continue;
    }
    if (line.front() == '}') {
      if (Size() == 0)
        break;
      return;
    }
    double x = 0, y = 0;
    if (!ParsePoint(line, x, y))
      continue;
    if (Size() >= kMaxPoints) {
      Clear();
      throw CTableFileException(IDS_TABLE_TOO_MANY);
    }
    Add(x, y);
  }
  Clear();
  throw CTableFileException(IDS_TABLE_BAD_STRUCTURE);
}

void CTableFile::Write(const std::string &path) const {
  std::string text = "{\r\n";
  for (std::size_t i = 0; i < Size(); ++i)
    text += FormatFixed4(X[i]) + ", " + FormatFixed4(Y[i]) + "\r\n";
  text += "}\r\n";
  try {
    ReplaceFileContents(path, text);
  } catch (const CReplaceFileError &e) {
    throw CTableFileException(e.Created() ? IDS_TABLE_WRITE_FAILED : IDS_TABLE_OPEN_FAILED);
  }
}
