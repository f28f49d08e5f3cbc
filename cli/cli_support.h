// The pieces of vela-cli around the commands: arguments, exit statuses, the
// message host for a terminal and the whole-set transfer with its progress bar.
#pragma once

#include "core/resources/ui_host.h"

#include <string>
#include <vector>

class CCommInterface;
class CParBase;

inline constexpr int kExitDone = 0;
inline constexpr int kExitDifferent = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitCommunication = 3;
inline constexpr int kExitParameter = 4;

inline constexpr int kDeviceInfoBlock = 6;

struct CliOptions {
  std::string command;
  std::vector<std::string> args;
  std::string port;
  std::string output;
  std::string backup;
  bool verify = true; // download reads the set back unless --no-verify
  bool simulate = false;
  long count = -1; // monitor cycles, -1 until interrupted
  int intervalMs = 100;
  int retries = 0;
  int language = -1; // -1 from the user's locale, 0 English, 1 Japanese
  bool verbose = false; // the log also on standard error, commands and replies included
  // history and report
  bool noBackup = false; // download: no before-download record
  std::string serial;
  std::string since;
  bool records = false;
  bool journal = false;
  bool csv = false; // --format csv: history --journal as the History window saves it
  bool json = false;  // --format json: one JSON document instead of rows
  bool probe = false; // ports --probe
};

// -1 when the command should run; otherwise the exit status (help printed,
// or a usage error reported).
int ParseArguments(int argc, char **argv, CliOptions &options);

// "COM3", "com3" and "3" name port 3; anything else is a device path.
bool ParsePortNumber(const std::string &text, int &number);

// The ids of the serial port and the command protocol.
bool IsCommunicationFailure(int id);

// One message on standard error.
void PrintMessage(const std::string &text);
// Reports a usage problem of the command ("" = none) and returns kExitUsage.
int UsageError(const std::string &command, const std::string &problem);

// Reads (upload) or writes the whole set; a progress bar goes to standard
// error when that is a terminal. Rethrows the transfer's failure.
void RunTransfer(CCommInterface &comm, CParBase &model, bool upload);

// A fresh private folder under the system's temporary folder.
std::string MakeTempFolder();

// BLOCK or BLOCK.ITEM; -1 where not given.
struct Selection {
  int block = -1;
  int item = -1;
};
bool ParseSelection(const CParBase &model, const std::string &text, Selection &sel, bool blockAllowed);

// Takes the value as an accepted in-place edit would: a choice by its code
// or its text (only what the list offers), everything else as text. Throws
// the model's failure.
void ApplyValue(CParBase &model, int block, int item, const std::string &value);

// Quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string &text);

// Messages go to standard error; every question is answered No.
class CStderrUIHost : public CUIHost {
public:
  int MessageBox(const std::string &text, unsigned style) override;
  bool AskValue(int promptId, std::string &text) override;
};
