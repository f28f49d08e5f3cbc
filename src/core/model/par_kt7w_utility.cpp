// The utility actions beside the parameters: fine adjustment against a
// reference, range calibration from the live reading, the resets, the user
// table, the loop test and the service-mode calibration procedures. Every
// action addresses group 1 without selecting it: the live-value poller
// leaves group 1 selected at the start of each of its cycles.
#include "core/model/par_kt7w.h"

#include "core/link/comm_interface.h"
#include "core/model/utility_actions.h"
#include "core/platform/number_text.h"
#include "core/resources/string_ids.h"
#include "core/resources/message_format.h"
#include "core/resources/strings.h"
#include "core/resources/ui_host.h"
#include "core/tools/calibration.h"
#include "core/tools/loop_test.h"
#include "core/tools/table_file.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

void Send(CCommInterface &comm, const std::string &command) {
  std::string reply;
  comm.Transact(command, reply);
}

// A range pair write holds the output (item 1) like a type write does; the
// loop test keeps holding it afterwards.
void WriteRangeHeld(CCommInterface &comm, int item, const std::string &low, const std::string &high,
                    bool loopTest) {
  comm.WriteItem(1, "1");
  comm.SelectItem(item);
  Send(comm, "D" + low + " " + high + "\r");
  if (!loopTest)
    comm.WriteItem(1, "0");
}

// "  name: value" lines of the rows of a block, as the list shows them.
std::string RowLines(const CParKT7W &m, int block, std::initializer_list<int> rows) {
  std::string lines;
  for (int row : rows)
    lines += "  " + m.GetName(block, row) + ": " + m.GetValueText(block, row) + "\n";
  return lines;
}

// A change from a single key is asked about first: a reset or a calibration
// pressed by mistake would otherwise change the instrument unnoticed.
bool Confirmed(const std::string &question) {
  return AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace

CTableFile CParKT7W::GetUserTable() const {
  CTableFile table;
  const int points = std::clamp(m_points, 0, kTablePairs);
  for (int k = 0; k < points; ++k)
    table.Add(m_tableX[k] / 10000.0, m_tableY[k] / 10000.0);
  return table;
}

void CParKT7W::TakeUserTable(const CTableFile &table) {
  const int n = static_cast<int>(std::min(table.Size(), std::size_t{kTablePairs}));
  m_points = n;
  for (int k = 0; k < kTablePairs; ++k) {
    // The nudge of ScaleToStored brings back exactly what a division by
    // 10000 gave: a table that is only looked at stays as it was.
    m_tableX[k] = k < n ? ScaleToStored(table.X[k]) : 0;
    m_tableY[k] = k < n ? ScaleToStored(table.Y[k]) : 0;
  }
}

// The actions, one function each; the table at the end of the file says
// which button runs which.
struct CParKT7WUtility {
  // The value of a text as a decimal; a text that is not a number gives 0.
  static int Parse(CParKT7W &m, const std::string &text) {
    const int value = m.ParseScaled(text);
    m.MarkParsed();
    return value;
  }

  static void Reread(CParKT7W &m, CCommInterface *comm, int first, int second = -1) {
    m.ReadFromDevice(comm, first, -1);
    if (second >= 0)
      m.ReadFromDevice(comm, second, -1);
  }

  static void CalibrateInput(CParKT7W &m, CCommInterface *comm) {
    if (!m.RequireOnline(comm))
      return;
    UIHost().RunInputCalibration(*comm);
    Reread(m, comm, 0, 2);
  }

  // Fine zero adjustment against the true input value.
  static void FineZero(CParKT7W &m, CCommInterface *comm) {
    std::string entered;
    if (!UIHost().AskValue(IDS_PROMPT_TRUE_INPUT, entered) || !CheckTypedValue(entered) ||
        !m.RequireOnline(comm))
      return;
    comm->SelectItem(31);
    Send(*comm, "DZ" + entered + "\r");
    Reread(m, comm, 1);
  }

  // Fine span adjustment against the true input value.
  static void FineSpan(CParKT7W &m, CCommInterface *comm) {
    std::string entered;
    if (!UIHost().AskValue(IDS_PROMPT_TRUE_INPUT, entered) || !m.RequireOnline(comm))
      return;
    const std::string measured = comm->ReadItem(6);
    const double divisor = static_cast<double>(Parse(m, measured)) - m.m_fineZeroX;
    if (divisor == 0) {
      AfxMessageBox(IDS_FINE_SPAN_NO_DIVISOR, MB_ICONERROR);
      return;
    }
    comm->SelectItem(31);
    const double span = (static_cast<double>(Parse(m, entered)) - m.m_fineZeroY) / divisor * 100;
    Send(*comm, "DS" + FormatFixed4(span) + "\r");
    Reread(m, comm, 1);
  }

  // Asks before a reset of the rows of a block, showing what they hold now.
  static bool ConfirmReset(const CParKT7W &m, int labelId, int block, std::initializer_list<int> rows) {
    return Confirmed(FormatMessageId(IDS_CONFIRM_RESET, {LoadString(labelId), RowLines(m, block, rows)}));
  }
  // Says what the instrument holds after an action, from the rows re-read.
  static void ReportNowHolds(const CParKT7W &m, int labelId, int block, std::initializer_list<int> rows) {
    AfxMessageBox(FormatMessageId(IDS_NOW_HOLDS, {LoadString(labelId), RowLines(m, block, rows)}),
                  MB_ICONINFORMATION);
  }

  static void ResetFineAdjustment(CParKT7W &m, CCommInterface *comm) {
    if (!m.RequireOnline(comm) || !ConfirmReset(m, IDS_UT_FINE_RESET, 1, {1, 2, 3}))
      return;
    comm->SelectItem(31);
    Send(*comm, "DC\r");
    Reread(m, comm, 1);
    ReportNowHolds(m, IDS_UT_FINE_RESET, 1, {1, 2, 3});
  }

  // A range calibration from the present reading: the reading becomes one
  // end of the range. A reading the range check refuses is reported, and a
  // reading it takes is asked about, before anything is written.
  static bool AcceptReading(const CParKT7W &m, int labelId, int block, int row, const std::string &reading,
                            int value, int low, int high) {
    if (value < low || value > high) {
      AfxMessageBox(FormatMessageId(IDS_READING_REJECTED, {LoadString(labelId), reading, FormatScaled(low),
                                                           FormatScaled(high), m.GetName(block, row)}),
                    MB_ICONWARNING);
      return false;
    }
    return Confirmed(FormatMessageId(IDS_CONFIRM_CALIBRATION, {LoadString(labelId), reading, m.GetName(block, row),
                                                               m.GetValueText(block, row)}));
  }

  // 0 % input calibration from the present reading.
  static void InputZeroCalibration(CParKT7W &m, CCommInterface *comm) {
    if (!m.RequireOnline(comm))
      return;
    const std::string reading = comm->ReadItem(4);
    const int v = Parse(m, reading);
    if (!AcceptReading(m, IDS_UT_INPUT_0_CAL, 2, 0, reading, v, m.InputRange().lowest,
                       m.m_input100 - m.InputRange().minimumSpan))
      return;
    WriteRangeHeld(*comm, 14, reading, m.GetValueString(2, 1), m.m_loopTest);
    Reread(m, comm, 2);
    ReportNowHolds(m, IDS_UT_INPUT_0_CAL, 2, {0, 1});
  }

  // 100 % input calibration from the present reading.
  static void InputFullCalibration(CParKT7W &m, CCommInterface *comm) {
    if (!m.RequireOnline(comm))
      return;
    const std::string reading = comm->ReadItem(4);
    const int v = Parse(m, reading);
    if (!AcceptReading(m, IDS_UT_INPUT_100_CAL, 2, 1, reading, v, m.m_input0 + m.InputRange().minimumSpan,
                       m.InputRange().highest))
      return;
    WriteRangeHeld(*comm, 14, m.GetValueString(2, 0), reading, m.m_loopTest);
    Reread(m, comm, 2);
    ReportNowHolds(m, IDS_UT_INPUT_100_CAL, 2, {0, 1});
  }

  // The input and the output calibration reset alike, each at its own item.
  static void ResetCalibration(CParKT7W &m, CCommInterface *comm, int labelId, int item, int block) {
    if (!m.RequireOnline(comm) || !ConfirmReset(m, labelId, block, {0, 1}))
      return;
    comm->SelectItem(item);
    Send(*comm, "DM\r");
    Send(*comm, "DC\r");
    Send(*comm, "DR\r");
    Reread(m, comm, block);
    ReportNowHolds(m, labelId, block, {0, 1});
  }
  static void ResetInputCalibration(CParKT7W &m, CCommInterface *comm) {
    ResetCalibration(m, comm, IDS_UT_INPUT_CAL_RESET, 16, 2);
  }
  static void ResetOutputCalibration(CParKT7W &m, CCommInterface *comm) {
    ResetCalibration(m, comm, IDS_UT_OUTPUT_CAL_RESET, 17, 4);
  }

  // The user table, offline too.
  static void UserTable(CParKT7W &m, CCommInterface *comm) {
    CTableFile table = m.GetUserTable();
    if (UIHost().RunTableDialog(table) != IDOK)
      return;
    if (comm != nullptr && !m.CheckEditSwitch(*comm))
      return;
    m.TakeUserTable(table);
    if (comm != nullptr) {
      m.WriteToDevice(*comm, 3, -1);
      Reread(m, comm, 3);
    }
  }

  // 0 % output calibration from the present output.
  static void OutputZeroCalibration(CParKT7W &m, CCommInterface *comm) {
    if (!m.RequireOnline(comm))
      return;
    const std::string reading = comm->ReadItem(2);
    const int v = Parse(m, reading);
    if (!AcceptReading(m, IDS_UT_OUTPUT_0_CAL, 4, 0, reading, v, m.OutputRange().lowest,
                       m.m_output100 - m.OutputRange().minimumSpan))
      return;
    WriteRangeHeld(*comm, 12, reading, m.GetValueString(4, 1), m.m_loopTest);
    Reread(m, comm, 4);
    ReportNowHolds(m, IDS_UT_OUTPUT_0_CAL, 4, {0, 1});
  }

  // 100 % output calibration from the present output.
  static void OutputFullCalibration(CParKT7W &m, CCommInterface *comm) {
    if (!m.RequireOnline(comm))
      return;
    const std::string reading = comm->ReadItem(2);
    const int v = Parse(m, reading);
    if (!AcceptReading(m, IDS_UT_OUTPUT_100_CAL, 4, 1, reading, v, m.m_output0 + m.OutputRange().minimumSpan,
                       m.OutputRange().highest))
      return;
    WriteRangeHeld(*comm, 12, m.GetValueString(4, 0), reading, m.m_loopTest);
    Reread(m, comm, 4);
    ReportNowHolds(m, IDS_UT_OUTPUT_100_CAL, 4, {0, 1});
  }

  // Fine zero or span adjustment of the output against a measurement.
  static void OutputFineAdjustment(CParKT7W &m, CCommInterface *comm, bool zero) {
    if (!m.RequireOnline(comm))
      return;
    // The instrument drives its output to 0 % (or 100 %) while the user measures.
    comm->SelectItem(30);
    Send(*comm, zero ? "DZ\r" : "DS\r");
    try {
      const double span = static_cast<double>(m.m_output100) - m.m_output0;
      std::string entered;
      if (span == 0) {
        AfxMessageBox(IDS_OUTPUT_SPAN_NO_DIVISOR, MB_ICONERROR);
      } else if (UIHost().AskValue(IDS_PROMPT_MEASURED_OUTPUT, entered)) {
        const double target = zero ? m.m_output0 : m.m_output100;
        const double correction = (target - Parse(m, entered)) / span * 100;
        comm->WriteItem(zero ? 19 : 20, FormatFixed4(correction));
      }
      comm->SelectItem(30);
      Send(*comm, "DR\r");
    } catch (const CException &) {
      // Left as it is, the instrument would keep its output forced: one try
      // to release it, whose own failure changes nothing of what is reported.
      try {
        comm->SelectItem(30);
        Send(*comm, "DR\r");
      } catch (const CException &) {
      }
      throw;
    }
    Reread(m, comm, 5, 4);
  }
  static void OutputFineZero(CParKT7W &m, CCommInterface *comm) { OutputFineAdjustment(m, comm, true); }
  static void OutputFineSpan(CParKT7W &m, CCommInterface *comm) { OutputFineAdjustment(m, comm, false); }

  static void ResetOutputFineAdjustment(CParKT7W &m, CCommInterface *comm) {
    if (!m.RequireOnline(comm) || !ConfirmReset(m, IDS_UT_OUT_FINE_RESET, 5, {1, 2}))
      return;
    comm->WriteItem(19, "0");
    comm->WriteItem(20, "0");
    Reread(m, comm, 5, 4);
    ReportNowHolds(m, IDS_UT_OUT_FINE_RESET, 5, {1, 2});
  }

  static void LoopTestOutput(CParKT7W &m, CCommInterface *comm) {
    if (!m.RequireOnline(comm))
      return;
    const LoopChoice choice =
        UIHost().RunLoopDialog(LoopTestLimits(m.OutputRange().lowest, m.OutputRange().highest));
    // The flag changes before the first write, so a failed write still
    // leaves the parameter writes holding (or releasing) the output.
    switch (choice.mode) {
    case 1:
      m.m_loopTest = true;
      comm->WriteItem(1, "0");
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      comm->WriteItem(1, "1");
      break;
    case 2:
      m.m_loopTest = true;
      comm->WriteItem(1, "1");
      comm->WriteItem(2, FormatScaled(choice.value));
      break;
    case 3:
      m.EndLoopTest(*comm);
      break;
    default:
      break;
    }
  }

  static void CalibrateOutput(CParKT7W &m, CCommInterface *comm) {
    if (!m.RequireOnline(comm))
      return;
    UIHost().RunOutputCalibration(*comm);
    Reread(m, comm, 5, 4);
  }
};

namespace {

using U = CParKT7WUtility;

// A block's column of buttons ends at its first slot without a row (or
// without a caption: a service-mode row outside the service mode).
constexpr UtilityAction kUtilityActions[] = {
    {0, 0, IDS_UT_CALIBRATE_INPUT, &U::CalibrateInput, -1, true},
    {1, 0, IDS_UT_FINE_ZERO, &U::FineZero, -1, false},
    {1, 1, IDS_UT_FINE_SPAN, &U::FineSpan, -1, false},
    {1, 2, IDS_UT_FINE_RESET, &U::ResetFineAdjustment, -1, false},
    {1, 3, IDS_UT_TREND_GRAPH, nullptr, 0, false},
    {2, 0, IDS_UT_INPUT_0_CAL, &U::InputZeroCalibration, -1, false},
    {2, 1, IDS_UT_INPUT_100_CAL, &U::InputFullCalibration, -1, false},
    {2, 2, IDS_UT_INPUT_CAL_RESET, &U::ResetInputCalibration, -1, false},
    {2, 3, IDS_UT_TREND_GRAPH, nullptr, 1, false},
    {3, 0, IDS_UT_USER_TABLE, &U::UserTable, -1, false},
    {3, 1, IDS_UT_TREND_GRAPH, nullptr, 2, false},
    {4, 0, IDS_UT_OUTPUT_0_CAL, &U::OutputZeroCalibration, -1, false},
    {4, 1, IDS_UT_OUTPUT_100_CAL, &U::OutputFullCalibration, -1, false},
    {4, 2, IDS_UT_OUTPUT_CAL_RESET, &U::ResetOutputCalibration, -1, false},
    {4, 3, IDS_UT_TREND_GRAPH, nullptr, 3, false},
    {5, 0, IDS_UT_OUT_FINE_ZERO, &U::OutputFineZero, -1, false},
    {5, 1, IDS_UT_OUT_FINE_SPAN, &U::OutputFineSpan, -1, false},
    {5, 2, IDS_UT_OUT_FINE_RESET, &U::ResetOutputFineAdjustment, -1, false},
    {5, 3, IDS_UT_LOOP_TEST, &U::LoopTestOutput, -1, false},
    {5, 4, IDS_UT_CALIBRATE_OUTPUT, &U::CalibrateOutput, -1, true},
};

template <typename Match> const UtilityAction *FindAction(Match match) {
  for (const UtilityAction &action : kUtilityActions)
    if (match(action))
      return &action;
  return nullptr;
}

} // namespace

const UtilityAction *FindUtilityAction(int block, int slot) {
  return FindAction([&](const UtilityAction &a) { return a.block == block && a.slot == slot; });
}

const UtilityAction *FindTrendGraphAction(int block) {
  return FindAction([&](const UtilityAction &a) { return a.block == block && a.liveChannel >= 0; });
}

void CParKT7W::EndLoopTest(CCommInterface &comm) {
  // Cleared first: a failed write still leaves the parameter writes
  // releasing the output.
  m_loopTest = false;
  comm.WriteItem(1, "0");
}

std::string CParKT7W::GetUtilityLabel(int block, int slot) const {
  const UtilityAction *action = FindUtilityAction(block, slot);
  if (!action || (action->serviceOnly && !GetServiceFlag()))
    return {};
  return LoadString(action->labelId);
}

void CParKT7W::ExecuteUtility(CCommInterface *comm, int block, int slot) {
  // A slot without a label (the service-mode procedures outside the service
  // mode, a model without the procedure) has no action either.
  if (GetUtilityLabel(block, slot).empty())
    return;
  // The trend graph has no action here: it is the main window's own.
  const UtilityAction *action = FindUtilityAction(block, slot);
  if (action && action->run)
    action->run(*this, comm);
}
