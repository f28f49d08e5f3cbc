#include "core/model/compare_csv.h"

#include "core/model/parameter_exception.h"
#include "core/platform/replace_file.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

namespace {

// A field with a separator, a quote or a line break is quoted, its quotes doubled.
void AppendField(std::string &out, const std::string &field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) {
    out += field;
    return;
  }
  out += '"';
  for (char c : field) {
    if (c == '"')
      out += '"';
    out += c;
  }
  out += '"';
}

void AppendLine(std::string &out, std::initializer_list<std::string> fields) {
  bool first = true;
  for (const std::string &field : fields) {
    if (!first)
      out += ',';
    AppendField(out, field);
    first = false;
  }
  out += "\r\n";
}

} // namespace

std::string CompareRowsToCsv(const CompareRows &rows) {
  std::string out;
  AppendLine(out, {LoadString(IDS_COL_FUNCTION_BLOCK), LoadString(IDS_COL_PARAMETER_NAME),
                   LoadString(IDS_COL_EDITED_VALUE), LoadString(IDS_COL_DEVICE_VALUE),
                   LoadString(IDS_COMPARE_CSV_NOT_MATCHING)});
  for (const CompareRow &row : rows.rows)
    AppendLine(out, {row.blockName, row.parameterName, row.editedText, row.deviceText,
                     row.differs ? kCompareCsvMark : ""});
  return out;
}

void SaveCompareCsv(const CompareRows &rows, const std::string &path) {
  // UTF-8 with a byte order mark: spreadsheet programs on every platform
  // then read the Japanese names and choice texts without being asked.
  const std::string bytes = "\xEF\xBB\xBF" + CompareRowsToCsv(rows);
  try {
    ReplaceFileContents(path, bytes);
  } catch (const std::system_error &error) {
    throw CParameterException(IDS_COMPARE_CSV_FAILED,
                              LoadString(IDS_COMPARE_CSV_FAILED) + "\n" + error.code().message());
  }
}
