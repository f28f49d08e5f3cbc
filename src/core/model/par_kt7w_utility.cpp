// The utility actions beside the parameters: fine adjustment against a
// reference, range calibration from the live reading, the resets, the user
// table, the loop test and the service-mode calibration procedures. Every
// action addresses group 1 without selecting it: the live-value poller
// leaves group 1 selected at the start of each of its cycles.
#include "core/model/par_kt7w.h"

#include "core/link/comm_interface.h"
#include "core/platform/number_text.h"
#include "core/resources/string_ids.h"
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

void CParKT7W::ExecuteUtility(CCommInterface *comm, int block, int slot) {
  // A slot without a label (the service-mode procedures outside the service
  // mode, a model without the procedure) has no action either.
  if (GetUtilityLabel(block, slot).empty())
    return;

  // The value of a text as a decimal; a text that is not a number gives 0.
  auto parse = [this](const std::string &text) {
    const int value = ParseScaled(text);
    MarkParsed();
    return value;
  };
  auto reread = [this, &comm](int first, int second = -1) {
    ReadFromDevice(comm, first, -1);
    if (second >= 0)
      ReadFromDevice(comm, second, -1);
  };

  switch (block * 10 + slot) {
  case 0: // Calibrate Input
    if (!RequireOnline(comm))
      return;
    UIHost().RunInputCalibration(*comm);
    reread(0, 2);
    return;

  case 10: { // Fine Zero Adjustment against the true input value
    std::string entered;
    if (!UIHost().AskValue(IDS_PROMPT_TRUE_INPUT, entered) || !CheckTypedValue(entered) ||
        !RequireOnline(comm))
      return;
    comm->SelectItem(31);
    Send(*comm, "DZ" + entered + "\r");
    reread(1);
    return;
  }
  case 11: { // Fine Span Adjustment against the true input value
    std::string entered;
    if (!UIHost().AskValue(IDS_PROMPT_TRUE_INPUT, entered) || !RequireOnline(comm))
      return;
    const std::string measured = comm->ReadItem(6);
    const double divisor = static_cast<double>(parse(measured)) - m_fineZeroX;
    if (divisor == 0) {
      AfxMessageBox(IDS_FINE_SPAN_NO_DIVISOR, MB_ICONERROR);
      return;
    }
    comm->SelectItem(31);
    const double span = (static_cast<double>(parse(entered)) - m_fineZeroY) / divisor * 100;
    Send(*comm, "DS" + FormatFixed4(span) + "\r");
    reread(1);
    return;
  }
  case 12: // Reset Fine Adjustment
    if (!RequireOnline(comm))
      return;
    comm->SelectItem(31);
    Send(*comm, "DC\r");
    reread(1);
    return;

  case 20: { // 0% Input Calibration from the present reading
    if (!RequireOnline(comm))
      return;
    const std::string reading = comm->ReadItem(4);
    const int v = parse(reading);
    if (v < InputRange().lowest || v > m_input100 - InputRange().minimumSpan)
      return;
    WriteRangeHeld(*comm, 14, reading, GetValueString(2, 1), m_loopTest);
    reread(2);
    return;
  }
  case 21: { // 100% Input Calibration from the present reading
    if (!RequireOnline(comm))
      return;
    const std::string reading = comm->ReadItem(4);
    const int v = parse(reading);
    if (v > InputRange().highest || v < m_input0 + InputRange().minimumSpan)
      return;
    WriteRangeHeld(*comm, 14, GetValueString(2, 0), reading, m_loopTest);
    reread(2);
    return;
  }
  case 22: // Reset Input Calibration
  case 42: // Reset Output Calibration
    if (!RequireOnline(comm))
      return;
    comm->SelectItem(block == 2 ? 16 : 17);
    Send(*comm, "DM\r");
    Send(*comm, "DC\r");
    Send(*comm, "DR\r");
    reread(block);
    return;

  case 30: { // User Table, offline too
    CTableFile table = GetUserTable();
    if (UIHost().RunTableDialog(table) != IDOK)
      return;
    if (comm != nullptr && !CheckEditSwitch(*comm))
      return;
    TakeUserTable(table);
    if (comm != nullptr) {
      WriteToDevice(*comm, 3, -1);
      reread(3);
    }
    return;
  }

  case 40: { // 0% Output Calibration from the present output
    if (!RequireOnline(comm))
      return;
    const std::string reading = comm->ReadItem(2);
    const int v = parse(reading);
    if (v < OutputRange().lowest || v > m_output100 - OutputRange().minimumSpan)
      return;
    WriteRangeHeld(*comm, 12, reading, GetValueString(4, 1), m_loopTest);
    reread(4);
    return;
  }
  case 41: { // 100% Output Calibration from the present output
    if (!RequireOnline(comm))
      return;
    const std::string reading = comm->ReadItem(2);
    const int v = parse(reading);
    if (v > OutputRange().highest || v < m_output0 + OutputRange().minimumSpan)
      return;
    WriteRangeHeld(*comm, 12, GetValueString(4, 0), reading, m_loopTest);
    reread(4);
    return;
  }

  case 50:   // Fine Zero Adjustment of the output against a measurement
  case 51: { // Fine Span Adjustment of the output
    if (!RequireOnline(comm))
      return;
    const bool zero = slot == 0;
    // The instrument drives its output to 0 % (or 100 %) while the user measures.
    comm->SelectItem(30);
    Send(*comm, zero ? "DZ\r" : "DS\r");
    const double span = static_cast<double>(m_output100) - m_output0;
    std::string entered;
    if (span == 0) {
      AfxMessageBox(IDS_OUTPUT_SPAN_NO_DIVISOR, MB_ICONERROR);
    } else if (UIHost().AskValue(IDS_PROMPT_MEASURED_OUTPUT, entered)) {
      const double target = zero ? m_output0 : m_output100;
      const double correction = (target - parse(entered)) / span * 100;
      comm->WriteItem(zero ? 19 : 20, FormatFixed4(correction));
    }
    comm->SelectItem(30);
    Send(*comm, "DR\r");
    reread(5, 4);
    return;
  }
  case 52: // Reset Fine Adjustment of the output
    if (!RequireOnline(comm))
      return;
    comm->WriteItem(19, "0");
    comm->WriteItem(20, "0");
    reread(5, 4);
    return;

  case 53: { // Loop Test Output
    if (!RequireOnline(comm))
      return;
    const LoopChoice choice = UIHost().RunLoopDialog(LoopTestLimits(OutputRange().lowest, OutputRange().highest));
    // The flag changes before the first write, so a failed write still
    // leaves the parameter writes holding (or releasing) the output.
    switch (choice.mode) {
    case 1:
      m_loopTest = true;
      comm->WriteItem(1, "0");
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      comm->WriteItem(1, "1");
      break;
    case 2:
      m_loopTest = true;
      comm->WriteItem(1, "1");
      comm->WriteItem(2, FormatScaled(choice.value));
      break;
    case 3:
      m_loopTest = false;
      comm->WriteItem(1, "0");
      break;
    default:
      break;
    }
    return;
  }
  case 54: // Calibrate Output
    if (!RequireOnline(comm))
      return;
    UIHost().RunOutputCalibration(*comm);
    reread(5, 4);
    return;

  default: // the trend graph is the main window's own
    return;
  }
}
