#include "core/workers/live_poll.h"

#include "core/link/comm_interface.h"
#include "core/platform/number_text.h"
#include "core/resources/string_ids.h"

LiveReading ReadLiveReply(const std::string &reply) {
  LiveReading reading;
  const std::string_view text = reply.empty() ? std::string_view() : std::string_view(reply).substr(1);
  const auto first = text.find_first_not_of(" \t");
  if (first != std::string_view::npos)
    reading.text = text.substr(first);
  reading.value = ReadLiveNumber(text);
  if (!reply.empty() && reply.front() == 'D') {
    const std::string_view trimmed = TrimBlanks(text);
    std::string_view rest = trimmed;
    double value = 0;
    if (ScanDouble(rest, value) && rest.empty())
      reading.number = trimmed;
  }
  return reading;
}

double ReadLiveNumber(std::string_view text) {
  // "inf" or "nan" from a garbled line would poison every scale computed
  // from the value, so they count as no number.
  double value = 0.0;
  return ScanDouble(text, value) ? value : 0.0;
}

int PollLiveValues(CCommInterface &comm, unsigned timeoutMs,
                   const std::function<void(int index, const LiveReading &reading)> &take) {
  int fault = 0;
  auto check = [&](bool wellFormed, int id) {
    if (!wellFormed && fault == 0)
      fault = id;
  };
  std::string reply;
  comm.Transact("G01\r", reply, timeoutMs);
  check(reply.starts_with("Denter item"), IDS_INVALID_G_RESPONSE);
  for (int i = 0; i < kLiveCount; ++i) {
    comm.Transact(kLiveItems[i].command, reply, timeoutMs);
    check(reply.starts_with('D'), IDS_INVALID_I_RESPONSE);
    comm.Transact("D\r", reply, timeoutMs);
    check(reply.starts_with('D'), IDS_INVALID_D_RESPONSE);
    take(i, ReadLiveReply(reply));
  }
  return fault;
}
