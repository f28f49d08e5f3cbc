#include "kt5rs_engine.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace {

// Reply lines that do not begin with D: the program treats them as refusals.
constexpr const char *kUnknownGroup = "E1";
constexpr const char *kUnknownItem = "E2";
constexpr const char *kUnknownCommand = "E3";
constexpr const char *kBadValue = "E4";
constexpr const char *kWriteProtected = "E5";

// Both converters: 0 % of the type's range at 2000 counts, 100 % at 14000,
// 14 bits in all.
constexpr double kCountsLow = 2000;
constexpr double kCountsHigh = 14000;
constexpr double kCountsMax = 16383;

constexpr std::size_t kMaxModel = 16;
constexpr std::size_t kMaxSerial = 16;
constexpr std::size_t kMaxTag = 32;

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

// "12 34" -> two texts; exactly two are required.
bool SplitPair(std::string_view s, std::string_view &a, std::string_view &b) {
  s = Trim(s);
  auto blank = s.find_first_of(" \t");
  if (blank == std::string_view::npos)
    return false;
  a = s.substr(0, blank);
  b = Trim(s.substr(blank));
  return !a.empty() && !b.empty() && b.find_first_of(" \t") == std::string_view::npos;
}

bool Printable(std::string_view s) {
  return std::none_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

double Real(std::int32_t scaled) { return scaled / 10000.0; }

} // namespace

// ---------------------------------------------------------------- numbers

namespace simtext {

std::string Scaled(std::int64_t value) {
  const bool negative = value < 0;
  const std::uint64_t a = negative ? static_cast<std::uint64_t>(-value) : static_cast<std::uint64_t>(value);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%s%llu.%04llu", negative ? "-" : "",
                static_cast<unsigned long long>(a / 10000), static_cast<unsigned long long>(a % 10000));
  return buf;
}

std::string Fixed4(double value) {
  if (!std::isfinite(value))
    return "0.0000";
  return Scaled(std::llround(value * 10000.0));
}

bool ParseScaled(std::string_view text, std::int32_t &value) {
  text = Trim(text);
  if (text.empty())
    return false;
  bool digit = false, point = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9')
      digit = true;
    else if ((c == '+' || c == '-') && i == 0)
      continue;
    else if (c == '.' && !point)
      point = true;
    else
      return false;
  }
  if (!digit)
    return false;
  std::string_view number = text;
  if (number.front() == '+')
    number.remove_prefix(1);
  double x = 0;
  auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), x);
  if (ec != std::errc() || end != number.data() + number.size())
    return false;
  if (std::fabs(x) > 200000.0) // beyond every item's range, and beyond 32 bits once scaled
    return false;
  value = static_cast<std::int32_t>(x >= 0 ? (x + 0.00001) * 10000 : (x - 0.00001) * 10000);
  return true;
}

bool ParseInt(std::string_view text, int &value) {
  text = Trim(text);
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  if (text.empty())
    return false;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

std::string Escape(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

} // namespace simtext

using simtext::Fixed4;
using simtext::ParseInt;
using simtext::ParseScaled;
using simtext::Scaled;

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

// ---------------------------------------------------------------- signal path

double CKT5RSEngine::InputPercentNow(Clock::time_point now) {
  if (!m_wave)
    return m_inputPercent;
  const double t = std::chrono::duration<double>(now - m_start).count();
  std::uniform_real_distribution<double> noise(-0.02, 0.02);
  return 50.0 + 30.0 * std::sin(2.0 * M_PI * t / 60.0) + noise(m_noise);
}

// The input converter's reading through the calibration of the selected type,
// before the filter.
double CKT5RSEngine::RawTarget(Clock::time_point now) {
  double counts =
      m_openCircuit ? kCountsMax : kCountsLow + InputPercentNow(now) * (kCountsHigh - kCountsLow) / 100.0;
  counts = std::clamp(counts, 0.0, kCountsMax);
  m_inputCounts = counts;
  const int type = std::clamp(m_state.inputType, 0, InputTypeCount(m_kt7w) - 1);
  const SimCalPoint lo = m_cal.inputLow[type], hi = m_cal.inputHigh[type];
  if (hi.counts == lo.counts)
    return Real(lo.value);
  return Real(lo.value) + (counts - lo.counts) * (Real(hi.value) - Real(lo.value)) / (hi.counts - lo.counts);
}

void CKT5RSEngine::Advance(Clock::time_point now) {
  const double target = RawTarget(now);
  const double tau = Real(m_state.filter);
  if (!m_filterSettled || tau <= 0.0 || now <= m_lastAdvance) {
    if (!m_filterSettled || tau <= 0.0)
      m_filtered = target;
    m_filterSettled = true;
    m_lastAdvance = std::max(m_lastAdvance, now);
    return;
  }
  const double dt = std::chrono::duration<double>(now - m_lastAdvance).count();
  m_filtered += (target - m_filtered) * (1.0 - std::exp(-dt / tau));
  m_lastAdvance = now;
}

double CKT5RSEngine::Linearize(double x) const {
  const int n = std::clamp(m_state.points, 2, 101);
  const auto &X = m_state.tableX;
  const auto &Y = m_state.tableY;
  auto along = [&](int i) {
    return Real(Y[i]) + (x - Real(X[i])) * (Real(Y[i + 1]) - Real(Y[i])) / (Real(X[i + 1]) - Real(X[i]));
  };
  int first = -1, last = -1;
  for (int i = 0; i + 1 < n; ++i) {
    if (X[i] == X[i + 1])
      continue;
    if (first < 0)
      first = i;
    last = i;
    const double a = Real(std::min(X[i], X[i + 1])), b = Real(std::max(X[i], X[i + 1]));
    if (x >= a && x <= b)
      return along(i);
  }
  if (first < 0)
    return x;
  // Outside the table: carry on along the end segment nearer to x.
  return std::fabs(x - Real(X[first])) <= std::fabs(x - Real(X[last + 1])) ? along(first) : along(last);
}

CKT5RSEngine::Signal CKT5RSEngine::Compute(Clock::time_point now) {
  Advance(now);
  Signal s;
  const SimState &st = m_state;
  s.raw = m_filtered;
  s.inputCounts = m_inputCounts;
  s.inputValue = Real(st.fineZeroY) + (s.raw - Real(st.fineZeroX)) * Real(st.fineSpan) / 100.0;
  const double inSpan = Real(st.input100) - Real(st.input0);
  s.inputPercent = inSpan != 0.0 ? (s.inputValue - Real(st.input0)) * 100.0 / inSpan : 0.0;

  double percent = st.linearization != 0 ? Linearize(s.inputPercent) : s.inputPercent;
  if (m_openCircuit && st.burnout == 1)
    percent = -10.0;
  else if (m_openCircuit && st.burnout == 2)
    percent = 110.0;

  const int otype = std::clamp(st.outputType, 0, 2);
  const SimRange orange = OutputRange(otype);
  const SimCalPoint lo = m_cal.outputLow[otype], hi = m_cal.outputHigh[otype];
  const double outSpan = Real(st.output100) - Real(st.output0);
  auto countsFor = [&](double value) {
    if (hi.value == lo.value)
      return static_cast<double>(lo.counts);
    return lo.counts + (value - Real(lo.value)) * (hi.counts - lo.counts) / (Real(hi.value) - Real(lo.value));
  };
  auto valueOfPercent = [&](double p) { return Real(st.output0) + p * outSpan / 100.0; };

  if (m_driveActive)
    s.outputCounts = m_driveCounts;
  else if (m_adjustMode == 1) // zero adjustment: 0 % without the fine adjustments
    s.outputCounts = countsFor(valueOfPercent(0.0));
  else if (m_adjustMode == 2) // span adjustment: 100 % with the fine zero only
    s.outputCounts = countsFor(valueOfPercent(Real(st.outFineZero) + 100.0));
  else if (m_fixedOutput)
    s.outputCounts = countsFor(m_fixedValue);
  else
    s.outputCounts = countsFor(valueOfPercent(Real(st.outFineZero) + percent * Real(st.outFineSpan) / 100.0));
  s.outputCounts = std::clamp(s.outputCounts, 0.0, kCountsMax);

  s.outputValue = Real(orange.lowest) + (s.outputCounts - kCountsLow) *
                                            (Real(orange.highest) - Real(orange.lowest)) /
                                            (kCountsHigh - kCountsLow);
  s.outputPercent = outSpan != 0.0 ? (s.outputValue - Real(st.output0)) * 100.0 / outSpan : 0.0;
  return s;
}

SimLiveValues CKT5RSEngine::Live(Clock::time_point now) {
  const Signal s = Compute(now);
  return {s.outputValue, s.outputPercent, s.inputValue, s.inputPercent, s.raw};
}

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

// ---------------------------------------------------------------- commands

std::string CKT5RSEngine::Execute(std::string_view line, Clock::time_point now) {
  if (line.empty())
    return kUnknownCommand;
  const char c = line.front();
  if (c == 'G') {
    int g = 0;
    m_item = 0;
    if (line.size() < 2 ||
        !std::all_of(line.begin() + 1, line.end(), [](char d) { return d >= '0' && d <= '9'; }) ||
        !ParseInt(line.substr(1), g) || (g != 1 && g != 99)) {
      m_group = 0;
      return kUnknownGroup;
    }
    m_group = g;
    return "Denter item";
  }
  if (c == 'I') {
    static const int kGroup1[] = {1,  2,  3,  4,  5,  6,  10, 11, 12, 14, 16,
                                  17, 18, 19, 20, 24, 25, 30, 31, 62, 90};
    static const int kGroup99[] = {4, 5, 7, 90};
    int i = 0;
    m_item = 0;
    if (m_group == 0 || line.size() < 2 ||
        !std::all_of(line.begin() + 1, line.end(), [](char d) { return d >= '0' && d <= '9'; }) ||
        !ParseInt(line.substr(1), i))
      return kUnknownItem;
    const bool known = m_group == 1
                           ? std::find(std::begin(kGroup1), std::end(kGroup1), i) != std::end(kGroup1)
                           : std::find(std::begin(kGroup99), std::end(kGroup99), i) != std::end(kGroup99);
    if (!known || (m_group == 1 && i == 24 && m_kt7w))
      return kUnknownItem;
    m_item = i;
    if (m_group == 1 && (i == 16 || i == 17))
      m_resetArmed[i - 16] = false;
    return "D";
  }
  if (c == 'D') {
    if (m_group == 0 || m_item == 0)
      return kUnknownItem;
    return m_group == 1 ? Group1(m_item, line.substr(1), now) : Group99(m_item, line.substr(1), now);
  }
  return kUnknownCommand;
}

std::string CKT5RSEngine::Group1(int item, std::string_view sub, Clock::time_point now) {
  SimState &st = m_state;
  std::int32_t v = 0;
  int code = 0;

  // Items with a plain read ("D") and, where allowed, a plain write ("D<value>").
  switch (item) {
  case 1: // fixed-output switch (loop test); not a parameter
    if (sub.empty())
      return m_fixedOutput ? "D1" : "D0";
    if (!ParseInt(sub, code) || (code != 0 && code != 1))
      return kBadValue;
    if (code == 1 && !m_fixedOutput)
      m_fixedValue = Compute(now).outputValue; // hold what the output is now
    if (code == 0)
      m_driveActive = false;
    m_fixedOutput = code == 1;
    return "D";
  case 2: { // output value; a write sets the fixed value
    if (sub.empty())
      return "D" + Fixed4(Compute(now).outputValue);
    const SimRange r = OutputRange(st.outputType);
    const std::int64_t margin = static_cast<std::int64_t>((r.highest - r.lowest) * 0.15);
    if (!ParseScaled(sub, v) || v < r.lowest - margin || v > r.highest + margin)
      return kBadValue;
    m_fixedValue = Real(v);
    return "D";
  }
  case 3:
  case 4:
  case 5:
  case 6: {
    if (!sub.empty())
      return kUnknownCommand;
    const Signal s = Compute(now);
    const double values[] = {s.outputPercent, s.inputValue, s.inputPercent, s.raw};
    return "D" + Fixed4(values[item - 3]);
  }
  case 10:
  case 11: {
    const bool output = item == 11;
    int &type = output ? st.outputType : st.inputType;
    if (sub.empty())
      return "D" + std::to_string(type);
    if (!WriteAllowed())
      return kWriteProtected;
    const int count = output ? 3 : InputTypeCount(m_kt7w);
    if (!ParseInt(sub, code) || code < 0 || code >= count)
      return Refused();
    if (code != type) {
      type = code;
      const SimRange r = output ? OutputRange(code) : InputRange(m_kt7w, code);
      (output ? st.output0 : st.input0) = r.lowest;
      (output ? st.output100 : st.input100) = r.highest;
    }
    return Accepted();
  }
  case 12:
  case 14:
    return RangePair(item == 12, sub);
  case 16:
  case 17: { // range calibration reset: DM arms, DC resets the range, DR ends
    bool &armed = m_resetArmed[item - 16];
    if (sub == "M") {
      armed = true;
      return "D";
    }
    if (sub == "R") {
      armed = false;
      return "D";
    }
    if (sub == "C") {
      if (!armed)
        return kUnknownCommand;
      if (!WriteAllowed())
        return kWriteProtected;
      const bool output = item == 17;
      const SimRange r = output ? OutputRange(st.outputType) : InputRange(m_kt7w, st.inputType);
      (output ? st.output0 : st.input0) = r.lowest;
      (output ? st.output100 : st.input100) = r.highest;
      return Accepted();
    }
    return kUnknownCommand;
  }
  case 18:
    if (sub.empty())
      return "D" + Scaled(st.filter);
    if (!WriteAllowed())
      return kWriteProtected;
    if (!ParseScaled(sub, v) || (v != 0 && (v < 5000 || v > 300000)))
      return Refused();
    Advance(now); // the lag so far ran with the old time constant
    st.filter = v;
    return Accepted();
  case 19:
    if (sub.empty())
      return "D" + Scaled(st.outFineZero);
    if (!WriteAllowed())
      return kWriteProtected;
    if (!ParseScaled(sub, v) || v < -150000 || v > 150000)
      return Refused();
    st.outFineZero = v;
    return Accepted();
  case 20: // DS reads and writes the span; D<value> sets it as a correction of 100 %
    if (sub.empty())
      return "D" + Scaled(st.outFineSpan);
    if (sub == "S")
      return "DS" + Scaled(st.outFineSpan);
    if (!WriteAllowed())
      return kWriteProtected;
    if (sub.front() == 'S') {
      if (!ParseScaled(sub.substr(1), v) || v < 850000 || v > 1150000)
        return Refused();
      st.outFineSpan = v;
      return Accepted();
    }
    if (!ParseScaled(sub, v) || v < -150000 || v > 150000)
      return Refused();
    st.outFineSpan = 1000000 + v;
    return Accepted();
  case 24:
  case 25: {
    int &target = item == 24 ? st.burnout : st.linearization;
    if (sub.empty())
      return "D" + std::to_string(target);
    if (!WriteAllowed())
      return kWriteProtected;
    if (!ParseInt(sub, code) || code < 0 || code > (item == 24 ? 2 : 1))
      return Refused();
    target = code;
    return Accepted();
  }
  case 30: // output fine adjustment mode
    if (sub.empty())
      return "D" + std::to_string(m_adjustMode);
    if (sub == "Z" || sub == "S" || sub == "R") {
      m_adjustMode = sub == "Z" ? 1 : sub == "S" ? 2 : 0;
      return "D";
    }
    return kUnknownCommand;
  case 31:
    return FineInput(sub, now);
  case 62:
    return UserTable(sub);
  case 90:
    return DeviceInfo(sub, false);
  default:
    return kUnknownItem;
  }
}

std::string CKT5RSEngine::RangePair(bool output, std::string_view sub) {
  SimState &st = m_state;
  std::int32_t &low = output ? st.output0 : st.input0;
  std::int32_t &high = output ? st.output100 : st.input100;
  if (sub.empty())
    return "D" + Scaled(low) + " " + Scaled(high);
  if (!WriteAllowed())
    return kWriteProtected;
  std::string_view a, b;
  std::int32_t lo = 0, hi = 0;
  if (!SplitPair(sub, a, b) || !ParseScaled(a, lo) || !ParseScaled(b, hi))
    return Refused();
  const SimRange r = output ? OutputRange(st.outputType) : InputRange(m_kt7w, st.inputType);
  if (lo < r.lowest || hi > r.highest || static_cast<std::int64_t>(lo) + r.minimumSpan > hi)
    return Refused();
  low = lo;
  high = hi;
  return Accepted();
}

std::string CKT5RSEngine::FineInput(std::string_view sub, Clock::time_point now) {
  SimState &st = m_state;
  constexpr std::int32_t kLimit = 100000000;
  std::int32_t v = 0;
  if (sub == "Z")
    return "DZ" + Scaled(st.fineZeroX) + " " + Scaled(st.fineZeroY) + " " + Scaled(st.fineSpan);
  if (sub == "C") {
    if (!WriteAllowed())
      return kWriteProtected;
    st.fineZeroX = 0;
    st.fineZeroY = 0;
    st.fineSpan = 1000000;
    return Accepted();
  }
  if (StartsWith(sub, "ZZ")) {
    if (!WriteAllowed())
      return kWriteProtected;
    std::string_view a, b;
    std::int32_t x = 0, y = 0;
    if (!SplitPair(sub.substr(2), a, b) || !ParseScaled(a, x) || !ParseScaled(b, y) || x < -kLimit ||
        x > kLimit || y < -kLimit || y > kLimit)
      return Refused();
    st.fineZeroX = x;
    st.fineZeroY = y;
    return Accepted();
  }
  if (StartsWith(sub, "Z")) { // zero against a true input value: the present reading becomes it
    if (!WriteAllowed())
      return kWriteProtected;
    if (!ParseScaled(sub.substr(1), v) || v < -kLimit || v > kLimit)
      return Refused();
    const double raw = Compute(now).raw;
    st.fineZeroX = static_cast<std::int32_t>(std::llround(raw * 10000.0));
    st.fineZeroY = v;
    return Accepted();
  }
  if (StartsWith(sub, "S") && sub.size() > 1) {
    if (!WriteAllowed())
      return kWriteProtected;
    if (!ParseScaled(sub.substr(1), v) || v < -kLimit || v > kLimit)
      return Refused();
    st.fineSpan = v;
    return Accepted();
  }
  return kUnknownCommand;
}

std::string CKT5RSEngine::UserTable(std::string_view sub) {
  SimState &st = m_state;
  if (sub == "R") { // start over from the stored table
    m_bufPoints = st.points;
    m_bufX = st.tableX;
    m_bufY = st.tableY;
    return "D";
  }
  if (sub == "Z")
    return "D" + std::to_string(m_bufPoints);
  if (sub == "W") {
    if (!WriteAllowed())
      return kWriteProtected;
    st.points = m_bufPoints;
    st.tableX = m_bufX;
    st.tableY = m_bufY;
    return Accepted();
  }
  if (StartsWith(sub, "Z")) {
    if (!WriteAllowed())
      return kWriteProtected;
    int n = 0;
    if (!ParseInt(sub.substr(1), n) || n < 2 || n > 101)
      return Refused();
    m_bufPoints = n;
    return Accepted();
  }
  if (StartsWith(sub, "X") || StartsWith(sub, "Y")) {
    auto &table = sub.front() == 'X' ? m_bufX : m_bufY;
    std::string_view rest = sub.substr(1);
    const auto d = rest.find('D');
    std::string_view index = rest.substr(0, d);
    int k = 0;
    const bool indexOk =
        !index.empty() &&
        std::all_of(index.begin(), index.end(), [](char c) { return c >= '0' && c <= '9'; }) &&
        ParseInt(index, k) && k >= 0 && k <= 100;
    if (d == std::string_view::npos) {
      if (!indexOk)
        return kUnknownCommand;
      return "D" + Scaled(table[k]);
    }
    if (!WriteAllowed())
      return kWriteProtected;
    std::int32_t v = 0;
    if (!indexOk || !ParseScaled(rest.substr(d + 1), v) || v < -150000 || v > 1150000)
      return Refused();
    table[k] = v;
    return Accepted();
  }
  return kUnknownCommand;
}

std::string CKT5RSEngine::DeviceInfo(std::string_view sub, bool service) {
  SimState &st = m_state;
  if (sub == "0")
    return "D" + st.model;
  if (sub == "2")
    return "D" + st.firmware;
  if (sub == "3")
    return "D" + st.serial;
  if (sub == "6")
    return st.tag.empty() ? "D " : "D" + st.tag;
  if (sub.empty())
    return kUnknownCommand;
  const char what = sub.front();
  std::string_view text = sub.substr(1);
  if (what == '6') {
    if (!WriteAllowed())
      return kWriteProtected;
    if (text.size() > kMaxTag || !Printable(text))
      return Refused();
    st.tag = text == " " ? std::string() : std::string(text);
    return Accepted();
  }
  if (what == '0' || what == '3') {
    if (!service) // model and serial are written only in the service group
      return Refused();
    if (!WriteAllowed())
      return kWriteProtected;
    if (text.size() > (what == '0' ? kMaxModel : kMaxSerial) || !Printable(text) || Trim(text).empty())
      return Refused();
    (what == '0' ? st.model : st.serial) = std::string(text);
    return Accepted();
  }
  return kUnknownCommand;
}

std::string CKT5RSEngine::Group99(int item, std::string_view sub, Clock::time_point now) {
  switch (item) {
  case 4:
  case 5:
    return CalibrationItem(item == 4, sub, now);
  case 7: { // the edit switch word
    if (!sub.empty() && sub != "W")
      return kUnknownCommand;
    return "D" + std::to_string(m_state.sw28 ? 0x80 : 0x00);
  }
  case 90:
    return DeviceInfo(sub, true);
  default:
    return kUnknownItem;
  }
}

std::string CKT5RSEngine::CalibrationItem(bool output, std::string_view sub, Clock::time_point now) {
  const int type = output ? std::clamp(m_state.outputType, 0, 2)
                          : std::clamp(m_state.inputType, 0, InputTypeCount(m_kt7w) - 1);
  SimCalPoint &low = output ? m_cal.outputLow[type] : m_cal.inputLow[type];
  SimCalPoint &high = output ? m_cal.outputHigh[type] : m_cal.inputHigh[type];
  auto reply = [](const SimCalPoint &p) { return "D" + std::to_string(p.counts) + " " + Scaled(p.value); };

  if (sub == "LR")
    return reply(low);
  if (sub == "HR")
    return reply(high);
  if (output && StartsWith(sub, "X")) { // drive the output converter directly
    int counts = 0;
    if (!ParseInt(sub.substr(1), counts) || counts < 0 || counts > static_cast<int>(kCountsMax))
      return kBadValue;
    m_driveActive = true;
    m_driveCounts = counts;
    return "D" + std::to_string(counts);
  }
  if (StartsWith(sub, "L") || StartsWith(sub, "H")) {
    const bool isLow = sub.front() == 'L';
    const SimRange r = output ? OutputRange(type) : InputRange(m_kt7w, type);
    std::int32_t value = isLow ? r.lowest : r.highest; // nothing typed: the nominal value
    std::string_view text = Trim(sub.substr(1));
    const std::int64_t margin = (static_cast<std::int64_t>(r.highest) - r.lowest) / 5;
    if (!text.empty() &&
        (!ParseScaled(text, value) || value < r.lowest - margin || value > r.highest + margin))
      return kBadValue;
    const Signal s = Compute(now);
    const int counts = static_cast<int>(std::lround(output ? s.outputCounts : s.inputCounts));
    SimCalPoint point{counts, value};
    const SimCalPoint &other = isLow ? high : low;
    if (point.counts == other.counts || point.value == other.value)
      return kBadValue; // a calibration through one point has no slope
    (isLow ? low : high) = point;
    return reply(point);
  }
  return kUnknownCommand;
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
