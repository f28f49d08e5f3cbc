// The instrument itself, without the line: command interpretation, the
// parameter store, calibration data and the live signal path. Not
// thread-safe; the simulator serialises every call.
#pragma once

#include "kt5rs_simulator.h"

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace simtext {
// "%.4lf" of value / 10000, always with a '.' whatever the locale.
std::string Scaled(std::int64_t value);
// "%.4lf" of a live value; a value that rounds to zero prints without a sign.
std::string Fixed4(double value);
// A decimal number as the instrument takes it: blanks around it allowed, an
// optional sign, digits and at most one point; nothing else. Stored as the
// integer part of (x +/- 0.00001) * 10000.
bool ParseScaled(std::string_view text, std::int32_t &value);
bool ParseInt(std::string_view text, int &value);
// Bytes made readable for a log line: control and non-ASCII bytes as \xNN.
std::string Escape(std::string_view bytes);
} // namespace simtext

struct SimRange {
  std::int32_t lowest;
  std::int32_t highest;
  std::int32_t minimumSpan;
};

class CKT5RSEngine {
public:
  using Clock = std::chrono::steady_clock;

  explicit CKT5RSEngine(const SimOptions &options, Clock::time_point now = Clock::now());

  // One command line (without its carriage return) in, one reply line out.
  std::string Execute(std::string_view line, Clock::time_point now);

  // Moves the input filter on to `now`.
  void Advance(Clock::time_point now);
  SimLiveValues Live(Clock::time_point now);

  void SetInputPercent(double percent);
  void SetInputWave();
  void SetOpenCircuit(bool open);
  void SetSw28(bool on) { m_state.sw28 = on; }

  const SimState &State() const { return m_state; }
  void SetState(const SimState &state);
  const SimCalibration &Calibration() const { return m_cal; }
  void SetCalibration(const SimCalibration &cal) { m_cal = cal; }
  bool FixedOutput() const { return m_fixedOutput; }
  int OutputAdjustMode() const { return m_adjustMode; }
  bool IsKT7W() const { return m_kt7w; }
  int Group() const { return m_group; }
  int Item() const { return m_item; }

  SimWriteCounts Counts() const { return m_counts; }
  void ResetCounts() { m_counts = {}; }

  std::string Dump(Clock::time_point now);

  static SimState DefaultState(const std::string &model);
  static SimCalibration DefaultCalibration(bool kt7w);
  static SimRange InputRange(bool kt7w, int type);
  static SimRange OutputRange(int type);
  static int InputTypeCount(bool kt7w) { return kt7w ? 3 : 6; }

private:
  struct Signal {
    double inputCounts = 0;   // AD converter
    double raw = 0;           // item 6, after the input calibration and the filter
    double inputValue = 0;    // item 4
    double inputPercent = 0;  // item 5
    double outputCounts = 0;  // DA converter
    double outputValue = 0;   // item 2
    double outputPercent = 0; // item 3
  };

  std::string Group1(int item, std::string_view sub, Clock::time_point now);
  std::string Group99(int item, std::string_view sub, Clock::time_point now);
  std::string DeviceInfo(std::string_view sub, bool service);
  std::string FineInput(std::string_view sub, Clock::time_point now);
  std::string UserTable(std::string_view sub);
  std::string CalibrationItem(bool output, std::string_view sub, Clock::time_point now);
  std::string RangePair(bool output, std::string_view sub);

  // Parameter write bookkeeping: every attempt is either accepted or refused.
  bool WriteAllowed();
  std::string Accepted(std::string reply = "D");
  std::string Refused();

  double InputPercentNow(Clock::time_point now);
  double RawTarget(Clock::time_point now);
  Signal Compute(Clock::time_point now);
  double Linearize(double x) const;

  bool m_kt7w = false;
  SimState m_state;
  SimCalibration m_cal;
  SimWriteCounts m_counts;

  // Protocol selection.
  int m_group = 0;
  int m_item = 0;
  bool m_resetArmed[2] = {false, false}; // items 16 and 17: DM seen

  // The user table's edit buffer (item 62): DR loads it, DW commits it.
  int m_bufPoints = 3;
  std::array<std::int32_t, 101> m_bufX{}, m_bufY{};

  // Output control.
  bool m_fixedOutput = false;
  double m_fixedValue = 0;
  int m_adjustMode = 0; // item 30
  bool m_driveActive = false;
  double m_driveCounts = 0; // group 99 item 4 DX

  // The simulated input.
  bool m_wave = true;
  double m_inputPercent = 50;
  bool m_openCircuit = false;
  double m_inputCounts = 0; // the input converter's last reading
  std::mt19937 m_noise;
  Clock::time_point m_start;

  // First-order lag on the raw input.
  bool m_filterSettled = false;
  double m_filtered = 0;
  Clock::time_point m_lastAdvance;
};
