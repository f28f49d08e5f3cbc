#include "kt5rs_simulator_impl.h"

#include <algorithm>

using namespace kt5rs;

namespace {

// Stray bytes of the garbage fault: no carriage return, and not a D first.
constexpr char kGarbage[] = "?#~*";

} // namespace

void CKT5RSSimulator::Impl::Dispatch(InLine line) {
  const auto now = Clock::now();
  std::string reply;
  SimFault applied = SimFault::None;
  bool dropReply = false;
  Clock::time_point start;
  Clock::duration gap{};
  unsigned timeout = 0, margin = 0;
  {
    std::lock_guard lock(mx);
    Record('>', line.overlong ? line.text + "..." : line.text);
    reply = line.overlong ? "E3" : engine.Execute(line.text, now);
    if (fault != SimFault::None) {
      if (faultAfter > 0) {
        --faultAfter;
      } else {
        applied = fault;
        if (faultCount > 0 && --faultCount == 0)
          fault = SimFault::None;
        if (applied == SimFault::HangUp)
          fault = SimFault::None;
        if (applied == SimFault::EndlessLine) {
          endless = true;
          fault = SimFault::None;
        }
      }
    }
    dropReply = endless || applied == SimFault::Silence;
    start = line.arrival + std::chrono::milliseconds(opt.turnaroundMs);
    timeout = opt.faultTimeoutMs;
    margin = opt.faultMarginMs;
    if (!dropReply)
      quiet = false;
  }
  if (dropReply)
    return;

  const std::size_t half = std::max<std::size_t>(1, reply.size() / 2);
  switch (applied) {
  case SimFault::LateReply:
    Enqueue(reply + "\r", line.arrival + std::chrono::milliseconds(timeout + margin), {}, false);
    break;
  case SimFault::CutShort:
    Enqueue(reply.substr(0, half), start, {}, false);
    break;
  case SimFault::Garbage:
    Enqueue(kGarbage + reply + "\r", start, {}, false);
    break;
  case SimFault::NulInside:
    Enqueue(reply.substr(0, half) + std::string(1, '\0') + reply.substr(half) + "\r", start, {}, false);
    break;
  case SimFault::SlowUnder:
  case SimFault::SlowOver:
    gap = std::chrono::milliseconds(applied == SimFault::SlowUnder ? (timeout > margin ? timeout - margin : 0)
                                                                   : timeout + margin);
    Enqueue(reply + "\r", start, gap, false);
    break;
  case SimFault::HangUp:
    Enqueue(reply.substr(0, half), start, {}, true);
    break;
  default:
    Enqueue(reply + "\r", start, {}, false);
    break;
  }
}
