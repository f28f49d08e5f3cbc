// A KT5RS signal conditioner on the far end of a pseudo-terminal.
//
// The simulator holds the master side of a pty, the program under test opens
// the slave path like any serial device, so every byte crosses the kernel's
// tty layer. It answers the G, I and D commands with one line each, keeps its
// own parameter store, computes live values from a simulated resistance
// input, and can misbehave on request (faults) to exercise the program's
// error paths.
//
// Threads: Start() runs one serving thread that owns the master side; every
// other member may be called from any thread at any time.
//
// A command the instrument does not know, or a write it refuses, is answered
// with a line that does not begin with D: E1 unknown group, E2 unknown or no
// item, E3 unknown command, E4 value refused, E5 SW2-8 off.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Construction options. Everything here except the port settings can also be
// changed later through the control calls.
struct SimOptions {
  // "KT5RS": resistance input (six types, ranges in percent). "KT7W": the base
  // model's DC input types and ranges. Any other name behaves like a KT5RS but
  // reports that name, so the program's model check refuses it.
  std::string model = "KT5RS";
  std::string firmware; // empty: "<model> Ver 1.00"
  std::string serial = "A0000001";
  std::string tag;  // bytes as they go over the line
  bool sw28 = true; // edit switch SW2-8

  // COM port map: register the slave path as COM <comPort> (0 = the lowest
  // free number) in the map folder (empty = the user's folder). With
  // registerPort false the simulator is reachable by device path only.
  bool registerPort = true;
  int comPort = 0;
  std::string portMapFolder;

  // Line timing. With pace every byte takes the time of ten bits at 9600 baud
  // in both directions; turnaround is the pause between the end of a command
  // and the first byte of its reply.
  bool pace = false;
  unsigned turnaroundMs = 0;

  // The program's time-outs that the timing faults are measured against: a
  // late reply comes faultTimeoutMs + faultMarginMs after its command, slow
  // bytes have gaps of faultTimeoutMs -/+ faultMarginMs.
  unsigned faultTimeoutMs = 1000;
  unsigned faultMarginMs = 150;

  // A transcript of every line in and out, with times ("" = none).
  std::string logFile;
  // The in-memory transcript keeps at most this many lines (oldest dropped).
  std::size_t transcriptLimit = 100000;

  // The simulated input at start, in percent of the input type's range: a
  // fixed value, or (unset) a slow wave around mid-range with a little noise.
  std::optional<double> inputPercent;
  bool openCircuit = false;
  std::uint32_t noiseSeed = 1;

  // After a hang-up fault the simulator opens a new pty after this pause and
  // registers it under the same COM number (-1: stay hung up until Stop).
  int reopenAfterHangupMs = 200;
};

// The parameter store, as the instrument prints it back: decimals are
// integers of 1/10000 ("%.4lf" of value / 10000), codes are integers.
struct SimState {
  int inputType = 0;               // item 10
  int burnout = 0;                 // item 24 (KT5RS only)
  std::int32_t filter = 0;         // item 18, seconds
  std::int32_t fineZeroX = 0;      // item 31
  std::int32_t fineZeroY = 0;      // item 31
  std::int32_t fineSpan = 1000000; // item 31, percent
  std::int32_t input0 = 0;         // item 14, input unit
  std::int32_t input100 = 1000000;
  int linearization = 0;                  // item 25
  int points = 3;                         // item 62
  std::array<std::int32_t, 101> tableX{}; // item 62, percent
  std::array<std::int32_t, 101> tableY{};
  int outputType = 0;       // item 11
  std::int32_t output0 = 0; // item 12, output unit
  std::int32_t output100 = 200000;
  std::int32_t outFineZero = 0;       // item 19, percent
  std::int32_t outFineSpan = 1000000; // item 20, percent
  std::string model;                  // item 90 D0
  std::string firmware;               // item 90 D2
  std::string serial;                 // item 90 D3
  std::string tag;                    // item 90 D6, bytes as received
  bool sw28 = true;                   // group 99 item 7, bit 0x80

  bool operator==(const SimState &) const = default;
};

// Calibration points, one pair per input type (group 99 item 5) and per output
// type (group 99 item 4): converter counts and the true value in the unit of
// the type, decimals of 1/10000. Both converters really give 0 % of the
// type's range at 2000 counts and 100 % at 14000; points that say otherwise
// make the instrument read or drive off by as much, like an instrument out of
// calibration (a way to give the fine adjustments something to correct).
struct SimCalPoint {
  int counts = 0;
  std::int32_t value = 0;
  bool operator==(const SimCalPoint &) const = default;
};
struct SimCalibration {
  std::array<SimCalPoint, 6> inputLow{}, inputHigh{};
  std::array<SimCalPoint, 3> outputLow{}, outputHigh{};
  bool operator==(const SimCalibration &) const = default;
};

// What items 2 to 6 report right now.
struct SimLiveValues {
  double outputValue = 0;   // item 2, output unit
  double outputPercent = 0; // item 3
  double inputValue = 0;    // item 4, input unit
  double inputPercent = 0;  // item 5
  double rawInput = 0;      // item 6
};

enum class SimFault {
  None,
  Silence,     // commands are taken, nothing is answered
  LateReply,   // the reply leaves faultTimeoutMs + faultMarginMs after its command
  CutShort,    // only the first half of the reply, no carriage return
  Garbage,     // a few stray bytes (no carriage return) before the reply
  NulInside,   // a NUL byte in the middle of the reply
  EndlessLine, // bytes without end and without a carriage return
  SlowUnder,   // the reply's bytes with gaps of faultTimeoutMs - faultMarginMs
  SlowOver,    // the reply's bytes with gaps of faultTimeoutMs + faultMarginMs
  HangUp,      // half the reply, then the master side is closed; a new pty
               // follows after reopenAfterHangupMs under the same COM number
};

// Parameter writes (commands that try to change the store).
struct SimWriteCounts {
  int accepted = 0;
  int refused = 0;
};

class CKT5RSSimulator {
public:
  CKT5RSSimulator();
  explicit CKT5RSSimulator(const SimOptions &options);
  ~CKT5RSSimulator(); // Stop()
  CKT5RSSimulator(const CKT5RSSimulator &) = delete;
  CKT5RSSimulator &operator=(const CKT5RSSimulator &) = delete;

  // Opens the pty, registers the COM number and starts the serving thread.
  // Throws std::runtime_error when the pty cannot be set up.
  void Start();
  // Ends the thread promptly, closes the pty and removes the COM entry. Safe
  // to call twice.
  void Stop();
  bool IsRunning() const;

  int ComNumber() const;          // 0 when not registered
  std::string ComName() const;    // "COM<n>", empty when not registered
  std::string DevicePath() const; // the slave path the program opens

  // --- the simulated input
  void SetInputPercent(double percent); // fixed, in percent of the type's range
  void SetInputWave();                  // the default slow wave with noise
  void SetOpenCircuit(bool open);       // a broken sensor wire
  void SetSw28(bool on);

  // --- faults. afterCommands: commands answered normally first; count:
  // replies affected, -1 until ClearFault. One line each in a test:
  //   sim.SetFault(SimFault::Garbage, 0, 1);
  void SetFault(SimFault fault, int afterCommands = 0, int count = -1);
  void ClearFault();
  SimFault ActiveFault() const;

  // --- line timing, changeable while running
  void SetPace(bool pace);
  void SetTurnaround(unsigned milliseconds);
  void SetFaultTiming(unsigned timeoutMs, unsigned marginMs);

  // --- transcript: "> G01" for a command, "< Denter item" for a reply, bytes
  // as on the line without the carriage return.
  std::vector<std::string> Transcript() const;
  void ClearTranscript();
  // Only the command lines, without the "> ".
  std::vector<std::string> Commands() const;
  // Waits until at least n lines are in the transcript since the last clear.
  bool WaitForTranscript(std::size_t lines, std::chrono::milliseconds timeout) const;
  // Waits until every queued byte has left (late and slow replies included).
  bool WaitUntilQuiet(std::chrono::milliseconds timeout) const;

  SimWriteCounts WriteCounts() const;
  void ResetWriteCounts();

  // --- state
  SimState State() const;
  void SetState(const SimState &state); // taken as is, for test set-ups
  SimCalibration Calibration() const;
  void SetCalibration(const SimCalibration &calibration);
  bool FixedOutput() const;     // item 1
  int OutputAdjustMode() const; // item 30: 0 normal, 1 zero (0 %), 2 span (100 %)
  SimLiveValues Live() const;
  bool IsKT7W() const;           // the base model's input side
  std::string DumpState() const; // readable, several lines

  // The parameter store as a freshly built instrument of this model holds it.
  static SimState DefaultState(const std::string &model);

  // Text of one reply for one command, as the serving thread would send it
  // (without faults and the carriage return). Changes the state like a
  // command on the line; for unit tests of the protocol.
  std::string Execute(const std::string &commandLine);

  class Impl;

private:
  std::unique_ptr<Impl> m_impl;
};
