#include "core/tools/calibration.h"

#include "core/platform/number_text.h"
#include "core/resources/string_ids.h"
#include "core/resources/ui_host.h"

std::optional<CalReading> ParseCalReply(const std::string &reply) {
  if (reply.empty())
    return std::nullopt;
  std::string_view rest(reply);
  rest.remove_prefix(1);
  CalReading reading;
  if (!ScanInt(rest, reading.counts) || !ScanDouble(rest, reading.value))
    return std::nullopt;
  return reading;
}

bool CheckTypedValue(const std::string &text) {
  if (text.find_first_of("\r\n") == std::string::npos)
    return true;
  AfxMessageBox(IDS_VALUE_LINE_BREAK, MB_ICONERROR);
  return false;
}
