#include "kt5rs_engine_rules.h"

#include <cmath>

using namespace kt5rs;

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
