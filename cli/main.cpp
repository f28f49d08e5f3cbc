// vela-cli: the configurator's device and file commands without a window,
// for scripts and service benches.
#include "cli_support.h"
#include "output.h"
#include "script_commands.h"

#include "cli_history.h"
#include "core/history/history.h"
#include "core/history/write_journal.h"

#include "core/link/comm_interface.h"
#include "core/log/log.h"
#include "core/platform/com_ports.h"
#include "core/model/compare_rows.h"
#include "core/model/config_load.h"
#include "core/model/par_kt5rs.h"
#include "core/model/parameter_exception.h"
#include "core/resources/language_module.h"
#include "core/resources/message_format.h"
#include "core/resources/settings_store.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "core/resources/ui_host.h"
#include "core/workers/live_poll.h"

#include "kt5rs_simulator.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <thread>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

// The instrument of --simulate lives as long as the command.
std::unique_ptr<CKT5RSSimulator> g_simulator;

void OpenPort(CCommInterface &comm, const CliOptions &options) {
  if (g_simulator) {
    comm.OpenDevice(g_simulator->DevicePath());
    return;
  }
  int number = 0;
  if (ParsePortNumber(options.port, number))
    comm.Open(number);
  else
    comm.OpenDevice(options.port);
}

// An open interface with the user's allowance of retries: a communication
// failure is repeated only when --retries allows it, after reopening the
// port. The allowance is shared by every step run on the same session.
class CDeviceSession {
public:
  explicit CDeviceSession(const CliOptions &options) : m_retriesLeft(options.retries) {
    OpenPort(m_comm, options);
  }

  // Runs op, and runs it again after a communication failure while retries
  // are left.
  template <typename Op> void Run(Op op) {
    for (;;) {
      try {
        if (m_reopen) {
          m_comm.Reopen();
          m_reopen = false;
        }
        op(m_comm);
        return;
      } catch (const CException &e) {
        if (!IsCommunicationFailure(e.GetId()) || m_retriesLeft <= 0)
          throw;
        --m_retriesLeft;
        m_reopen = true;
        PrintMessage(e.GetErrorMessage());
      }
    }
  }

private:
  CCommInterface m_comm;
  int m_retriesLeft;
  bool m_reopen = false;
};

template <typename Op> void WithDevice(const CliOptions &options, Op op) { CDeviceSession(options).Run(op); }

// A whole upload; the values that a file could not hold are named.
void Upload(CCommInterface &comm, CParBase &model) {
  RunTransfer(comm, model, true);
  const std::string report = model.GetOutOfRangeReport();
  if (!report.empty())
    PrintMessage(report);
}

int CmdPorts(const CliOptions &options) {
  std::vector<CPortRecord> list;
  EnumeratePorts(list);
  PrintPorts(list, options.json);
  return kExitDone;
}

int CmdUpload(const CliOptions &options) {
  CParKT5RS model;
  WithDevice(options, [&](CCommInterface &comm) { Upload(comm, model); });
  NoteCliUpload(model, options);
  if (!options.output.empty()) {
    model.SaveFile(options.output);
    return kExitDone;
  }
  // The model writes files only; standard output gets a copy of one.
  const auto folder = MakeTempFolder();
  const std::string path = folder + "/upload.cfg";
  try {
    model.SaveFile(path);
    std::ifstream in(path, std::ios::binary);
    std::cout << in.rdbuf();
    std::cout.flush();
  } catch (...) {
    std::filesystem::remove_all(folder);
    throw;
  }
  std::filesystem::remove_all(folder);
  return kExitDone;
}

int CmdDownload(const CliOptions &options) {
  CParKT5RS model;
  // Nothing reaches the instrument unless the whole file was taken.
  const auto file = LoadConfigCopy(model, options.args[0]);
  int result = kExitDone;
  CDeviceSession session(options);
  // The backup is what the instrument held before anything was written; a
  // retry of the download must not replace it with a half-written set.
  CInstrumentIdentity who;
  session.Run([&](CCommInterface &comm) { who = ReadIdentity(model, comm, HistoryPortName(options)); });
  std::unique_ptr<CParBase> held;
  if (!options.backup.empty() || !options.noBackup) {
    held = model.Clone();
    session.Run([&](CCommInterface &comm) { Upload(comm, *held); });
    NoteBeforeDownload(*held, who, options);
  }
  if (!options.backup.empty())
    held->SaveFile(options.backup);
  session.Run([&](CCommInterface &comm) {
    if (!file->CheckEditSwitch(comm)) {
      result = kExitParameter;
      return;
    }
    CJournalScope journal(comm, who, kContextDownload, ParameterRows(*file, held.get(), -1, -1));
    RunTransfer(comm, *file, false);
    result = kExitDone;
    if (!options.verify)
      journal.Complete(nullptr);
    if (options.verify) {
      auto device = file->Clone();
      RunTransfer(comm, *device, true);
      // The read-back is the instrument as the download left it.
      journal.Complete(device.get());
      History().TakeRecord(*device, who, kRecordAsLeft);
      const CompareRows rows = BuildCompareRows(*file, *device);
      if (rows.differing > 0) {
        PrintCompare(rows, false);
        result = kExitDifferent;
      }
    }
  });
  return result;
}

int CmdCompare(const CliOptions &options) {
  CParKT5RS model;
  const auto file = LoadConfigCopy(model, options.args[0]);
  auto device = file->Clone();
  WithDevice(options, [&](CCommInterface &comm) { RunTransfer(comm, *device, true); });
  NoteCliUpload(*device, options);
  const CompareRows rows = BuildCompareRows(*file, *device);
  PrintCompare(rows, options.json);
  return rows.differing > 0 ? kExitDifferent : kExitDone;
}

int CmdDiff(const CliOptions &options) {
  CParKT5RS model;
  const auto a = LoadConfigCopy(model, options.args[0]);
  const auto b = LoadConfigCopy(model, options.args[1]);
  const CompareRows rows = BuildCompareRows(*a, *b);
  PrintCompare(rows, options.json, "first", "second");
  return rows.differing > 0 ? kExitDifferent : kExitDone;
}

int CmdShow(const CliOptions &options) {
  CParKT5RS model;
  const auto file = LoadConfigCopy(model, options.args[0]);
  // The device information never comes from a file.
  std::vector<std::pair<int, int>> items;
  for (int block = 0; block < kDeviceInfoBlock && file->GetItemCount(block) > 0; ++block)
    for (int item = 0; item < file->GetItemCount(block); ++item)
      items.emplace_back(block, item);
  PrintParameters(*file, items, false);
  return kExitDone;
}

int CmdGet(const CliOptions &options) {
  CParKT5RS model;
  Selection sel;
  if (!options.args.empty() && !ParseSelection(model, options.args[0], sel, true))
    return UsageError("get", "no such parameter: " + options.args[0]);
  WithDevice(options, [&](CCommInterface &comm) {
    if (sel.block < 0)
      RunTransfer(comm, model, true);
    else
      model.ReadFromDevice(&comm, sel.block, sel.item);
  });
  std::vector<std::pair<int, int>> items;
  for (int block = 0; model.GetItemCount(block) > 0; ++block) {
    if (sel.block >= 0 && block != sel.block)
      continue;
    for (int item = 0; item < model.GetItemCount(block); ++item)
      if (sel.item < 0 || item == sel.item)
        items.emplace_back(block, item);
  }
  PrintParameters(model, items, options.json);
  return kExitDone;
}

int CmdSet(const CliOptions &options) {
  CParKT5RS model;
  Selection sel;
  if (!ParseSelection(model, options.args[0], sel, false))
    return UsageError("set", "no such parameter: " + options.args[0]);
  int result = kExitDone;
  WithDevice(options, [&](CCommInterface &comm) {
    RunTransfer(comm, model, true);
    NoteCliUpload(model, options);
    if (model.GetEditKind(sel.block, sel.item) == EDIT_NONE) {
      result = UsageError("set", "parameter " + options.args[0] + " cannot be edited");
      return;
    }
    if (!model.CheckEditSwitch(comm)) {
      result = kExitParameter;
      return;
    }
    const std::string before = model.GetValueText(sel.block, sel.item);
    ApplyValue(model, sel.block, sel.item, options.args[1]);
    const std::string sent = model.GetValueString(sel.block, sel.item);
    const std::string sentText = model.GetValueText(sel.block, sel.item);
    const CInstrumentIdentity who = IdentityOf(model, HistoryPortName(options));
    {
      CJournalScope journal(comm, who, kContextEdit, EditRows(model, sel.block, sel.item, before));
      model.WriteToDevice(comm, sel.block, sel.item);
      // The instrument answers a write it refuses like one it takes; only the
      // read-back tells.
      model.ReadFromDevice(&comm, sel.block, sel.item);
      journal.Complete(&model);
    }
    // The as-found set with the item as read back is the as-left record:
    // nothing else was written.
    History().TakeRecord(model, who, kRecordAsLeft);
    History().FlushWarning();
    PrintParameters(model, {{sel.block, sel.item}}, false);
    result = kExitDone;
    if (model.GetValueString(sel.block, sel.item) != sent) {
      PrintMessage(FormatMessageId(IDS_WRITE_NOT_KEPT, {model.GetName(sel.block, sel.item), sentText,
                                                        model.GetValueText(sel.block, sel.item)}));
      result = kExitDifferent;
    }
  });
  return result;
}

std::string TimeStamp() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[80];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(millis));
  return text;
}

// One polling cycle as a CSV row: a reply that is not one number alone gives
// an empty field, never the number it starts with.
struct PolledRow {
  std::string line;
  bool anyValue = false;
  int faultId = 0; // the first reply the instrument would not have sent so, or 0
};

PolledRow PollCycle(CCommInterface &comm) {
  PolledRow row;
  row.line = TimeStamp();
  row.faultId = PollLiveValues(comm, kLiveReplyTimeoutMs, [&](int, const LiveReading &reading) {
    row.anyValue = row.anyValue || !reading.number.empty();
    row.line += ',' + CsvField(reading.number);
  });
  return row;
}

// Garbled cycles in a row after which the line is taken for broken: one bad
// reply among good ones is line noise, a run of cycles without any value is not.
constexpr int kGarbledCyclesToStop = 3;

int CmdMonitor(const CliOptions &options) {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  long done = 0;
  bool checked = false;
  WithDevice(options, [&](CCommInterface &comm) {
    if (!checked) {
      // Another model's live items mean something else, or nothing.
      CParKT5RS model;
      comm.SelectGroup(1);
      model.VerifyDeviceModel(comm);
      checked = true;
      std::cout << "time";
      for (const LiveItem &live : kLiveItems)
        std::cout << ',' << CsvField(LoadString(IDS_BLOCK_0 + live.block));
      std::cout << std::endl;
    }
    int garbled = 0;
    while (!g_interrupted && (options.count < 0 || done < options.count)) {
      const PolledRow row = PollCycle(comm);
      std::cout << row.line << std::endl;
      ++done;
      garbled = !row.anyValue && row.faultId != 0 ? garbled + 1 : 0;
      if (garbled == kGarbledCyclesToStop)
        throw CCommInterfaceException(row.faultId);
      if (options.intervalMs > 0 && (options.count < 0 || done < options.count))
        std::this_thread::sleep_for(std::chrono::milliseconds(options.intervalMs));
    }
  });
  return kExitDone;
}

int Dispatch(const CliOptions &options) {
  const std::string &c = options.command;
  if (c == "ports")
    return options.probe ? CmdProbe(options) : CmdPorts(options);
  if (c == "describe")
    return CmdDescribe(options);
  if (c == "upload")
    return CmdUpload(options);
  if (c == "download")
    return CmdDownload(options);
  if (c == "compare")
    return CmdCompare(options);
  if (c == "diff")
    return CmdDiff(options);
  if (c == "show")
    return CmdShow(options);
  if (c == "get")
    return CmdGet(options);
  if (c == "set")
    return CmdSet(options);
  if (c == "monitor")
    return CmdMonitor(options);
  if (c == "history")
    return CmdHistory(options);
  if (c == "report")
    return CmdReport(options);
  return UsageError("", "unknown command: " + c);
}

} // namespace

int main(int argc, char **argv) {
  CliOptions options;
  const int parsed = ParseArguments(argc, argv, options);
  if (parsed >= 0)
    return parsed;

  LogOptions log;
  log.program = "vela-cli";
  log.verbose = options.verbose;
  StartLog(log);
  std::string line = "vela-cli";
  for (int i = 1; i < argc; ++i)
    line += std::string(" ") + argv[i];
  LogInfo("program", line);

  CMemorySettingsStore settings;
  CLanguageModule language(settings);
  CStderrUIHost host;
  SetUIHost(&host);
  language.Load(options.language);

  int status = kExitDone;
  try {
    if (options.simulate) {
      SimOptions sim;
      sim.registerPort = false;
      g_simulator = std::make_unique<CKT5RSSimulator>(sim);
      g_simulator->Start();
    }
    status = Dispatch(options);
  } catch (const CException &e) {
    PrintMessage(e.GetErrorMessage());
    status = IsCommunicationFailure(e.GetId()) ? kExitCommunication : kExitParameter;
  } catch (const std::exception &e) {
    PrintMessage(e.what());
    status = kExitParameter;
  }
  g_simulator.reset();
  SetUIHost(nullptr);
  return status;
}
