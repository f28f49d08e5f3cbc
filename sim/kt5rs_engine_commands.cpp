#include "kt5rs_engine_rules.h"

#include <cmath>

using namespace kt5rs;

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
