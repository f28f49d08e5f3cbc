#include "sim_control.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

const std::map<std::string, SimFault> kFaults = {
    {"silence", SimFault::Silence},      {"late", SimFault::LateReply},
    {"cut", SimFault::CutShort},         {"garbage", SimFault::Garbage},
    {"nul", SimFault::NulInside},        {"endless", SimFault::EndlessLine},
    {"slow-under", SimFault::SlowUnder}, {"slow-over", SimFault::SlowOver},
    {"hangup", SimFault::HangUp}};

} // namespace

bool SimParseOnOff(const std::string &s, bool &v) {
  if (s == "on" || s == "1") {
    v = true;
    return true;
  }
  if (s == "off" || s == "0") {
    v = false;
    return true;
  }
  return false;
}

bool SimParseNumber(const std::string &s, long &v) {
  char *end = nullptr;
  errno = 0;
  v = std::strtol(s.c_str(), &end, 10);
  return !s.empty() && *end == '\0' && errno == 0;
}

bool SimControlLine(CKT5RSSimulator &sim, const std::string &line, std::ostream &out) {
  std::istringstream in(line);
  std::string cmd, a, b, c;
  in >> cmd >> a >> b >> c;
  if (cmd.empty())
    return true;
  long n = 0, m = 0;
  bool on = false;
  if (cmd == "quit" || cmd == "exit")
    return false;
  if (cmd == "input") {
    char *end = nullptr;
    const double v = std::strtod(a.c_str(), &end);
    if (a.empty() || *end != '\0') {
      out << "error: input PERCENT" << std::endl;
      return true;
    }
    sim.SetInputPercent(v);
    sim.SetOpenCircuit(false);
  } else if (cmd == "wave") {
    sim.SetInputWave();
  } else if (cmd == "open") {
    sim.SetOpenCircuit(true);
  } else if (cmd == "close-circuit" || cmd == "close") {
    sim.SetOpenCircuit(false);
  } else if (cmd == "sw28" && SimParseOnOff(a, on)) {
    sim.SetSw28(on);
  } else if (cmd == "pace" && SimParseOnOff(a, on)) {
    sim.SetPace(on);
  } else if (cmd == "turnaround" && SimParseNumber(a, n) && n >= 0) {
    sim.SetTurnaround(static_cast<unsigned>(n));
  } else if (cmd == "fault" && a == "clear") {
    sim.ClearFault();
  } else if (cmd == "fault" && kFaults.count(a)) {
    n = 0;
    m = -1;
    if ((!b.empty() && !SimParseNumber(b, n)) || (!c.empty() && !SimParseNumber(c, m))) {
      out << "error: fault KIND [AFTER [COUNT]]" << std::endl;
      return true;
    }
    sim.SetFault(kFaults.at(a), static_cast<int>(n), static_cast<int>(m));
  } else if (cmd == "dump") {
    out << sim.DumpState() << std::flush;
    return true;
  } else if (cmd == "transcript") {
    if (a.empty() || !SimParseNumber(a, n))
      n = 20;
    const auto t = sim.Transcript();
    for (std::size_t i = t.size() > static_cast<std::size_t>(n) ? t.size() - n : 0; i < t.size(); ++i)
      out << t[i] << "\n";
    out << std::flush;
    return true;
  } else {
    out << "error: unknown command (help lists them)" << std::endl;
    return true;
  }
  out << "ok" << std::endl;
  return true;
}

