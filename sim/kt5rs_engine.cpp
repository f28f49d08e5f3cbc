#include "kt5rs_engine_rules.h"

#include <sstream>

using namespace kt5rs;

// ---------------------------------------------------------------- tables

SimRange CKT5RSEngine::InputRange(bool kt7w, int type) {
  static const SimRange kResistance[6] = {{0, 1000000, 100000}, {0, 1000000, 100000}, {0, 1000000, 10000},
                                          {0, 1000000, 16666},  {0, 1000000, 33333},  {0, 1000000, 50000}};
  static const SimRange kDirect[3] = {
      {0, 500000, 20000}, {-10000000, 10000000, 100000}, {-100000, 100000, 1000}};
  if (kt7w)
    return kDirect[std::clamp(type, 0, 2)];
  return kResistance[std::clamp(type, 0, 5)];
}

SimRange CKT5RSEngine::OutputRange(int type) {
  static const SimRange kOutput[3] = {{0, 200000, 10000}, {-25000, 25000, 2500}, {-100000, 100000, 1000}};
  return kOutput[std::clamp(type, 0, 2)];
}

SimState CKT5RSEngine::DefaultState(const std::string &model) {
  SimState s;
  const bool kt7w = model == "KT7W";
  const SimRange in = InputRange(kt7w, 0);
  s.input0 = in.lowest;
  s.input100 = in.highest;
  s.tableX.fill(0);
  s.tableY.fill(0);
  s.tableX[0] = s.tableY[0] = -150000;
  s.tableX[1] = s.tableY[1] = 500000;
  s.tableX[2] = s.tableY[2] = 1150000;
  s.model = model;
  s.firmware = model + " Ver 1.00";
  s.serial = "A0000001";
  return s;
}

SimCalibration CKT5RSEngine::DefaultCalibration(bool kt7w) {
  SimCalibration c;
  for (int t = 0; t < 6; ++t) {
    const SimRange r = InputRange(kt7w, t);
    c.inputLow[t] = {static_cast<int>(kCountsLow), r.lowest};
    c.inputHigh[t] = {static_cast<int>(kCountsHigh), r.highest};
  }
  for (int t = 0; t < 3; ++t) {
    const SimRange r = OutputRange(t);
    c.outputLow[t] = {static_cast<int>(kCountsLow), r.lowest};
    c.outputHigh[t] = {static_cast<int>(kCountsHigh), r.highest};
  }
  return c;
}

// ---------------------------------------------------------------- set-up

CKT5RSEngine::CKT5RSEngine(const SimOptions &options, Clock::time_point now)
    : m_kt7w(options.model == "KT7W"), m_noise(options.noiseSeed), m_start(now), m_lastAdvance(now) {
  m_state = DefaultState(options.model);
  if (!options.firmware.empty())
    m_state.firmware = options.firmware;
  m_state.serial = options.serial;
  m_state.tag = options.tag;
  m_state.sw28 = options.sw28;
  m_cal = DefaultCalibration(m_kt7w);
  SetState(m_state);
  if (options.inputPercent)
    SetInputPercent(*options.inputPercent);
  m_openCircuit = options.openCircuit;
}

void CKT5RSEngine::SetState(const SimState &state) {
  m_state = state;
  m_bufPoints = state.points;
  m_bufX = state.tableX;
  m_bufY = state.tableY;
}

void CKT5RSEngine::SetInputPercent(double percent) {
  m_wave = false;
  m_inputPercent = percent;
}

void CKT5RSEngine::SetInputWave() { m_wave = true; }

void CKT5RSEngine::SetOpenCircuit(bool open) { m_openCircuit = open; }

// ---------------------------------------------------------------- writes

bool CKT5RSEngine::WriteAllowed() {
  if (m_state.sw28)
    return true;
  ++m_counts.refused;
  return false;
}

std::string CKT5RSEngine::Accepted(std::string reply) {
  ++m_counts.accepted;
  return reply;
}

std::string CKT5RSEngine::Refused() {
  ++m_counts.refused;
  return kBadValue;
}

// ---------------------------------------------------------------- dump

std::string CKT5RSEngine::Dump(Clock::time_point now) {
  const SimState &s = m_state;
  const SimLiveValues live = Live(now);
  std::ostringstream o;
  o << "model " << s.model << " | firmware " << s.firmware << " | serial " << s.serial << " | tag "
    << simtext::Escape(s.tag) << " | SW2-8 " << (s.sw28 ? "on" : "off") << "\n";
  o << "input type " << s.inputType << (m_kt7w ? "" : " | burnout " + std::to_string(s.burnout))
    << " | filter " << Scaled(s.filter) << " | fine zero X " << Scaled(s.fineZeroX) << " Y "
    << Scaled(s.fineZeroY) << " span " << Scaled(s.fineSpan) << "\n";
  o << "input range " << Scaled(s.input0) << " " << Scaled(s.input100) << " | linearization "
    << s.linearization << " | points " << s.points << "\n";
  o << "table";
  for (int k = 0; k < std::clamp(s.points, 0, 101); ++k)
    o << " (" << Scaled(s.tableX[k]) << ", " << Scaled(s.tableY[k]) << ")";
  o << "\n";
  o << "output type " << s.outputType << " | range " << Scaled(s.output0) << " " << Scaled(s.output100)
    << " | fine zero " << Scaled(s.outFineZero) << " span " << Scaled(s.outFineSpan) << "\n";
  o << "input "
    << (m_openCircuit ? "open circuit"
        : m_wave      ? "wave"
                      : "fixed " + Fixed4(m_inputPercent) + " %")
    << " | fixed output " << (m_fixedOutput ? "on " + Fixed4(m_fixedValue) : "off") << " | adjust mode "
    << m_adjustMode << (m_driveActive ? " | DA drive " + std::to_string(static_cast<int>(m_driveCounts)) : "")
    << "\n";
  o << "live: raw " << Fixed4(live.rawInput) << " | input " << Fixed4(live.inputValue) << " | input % "
    << Fixed4(live.inputPercent) << " | output % " << Fixed4(live.outputPercent) << " | output "
    << Fixed4(live.outputValue) << "\n";
  o << "writes accepted " << m_counts.accepted << " refused " << m_counts.refused << "\n";
  return o.str();
}
