#include "cli_support.h"

#include "core/link/comm_interface.h"
#include "core/model/par_base.h"
#include "core/platform/number_text.h"
#include "core/resources/exception.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "core/workers/load_par_thread.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <thread>
#include <unistd.h>

namespace {

const char *const kGeneralHelp = R"(Usage: vela-cli [OPTIONS] COMMAND [ARGS]

Commands:
  ports    [--probe]                    COM name, display text and device of every port;
                                        --probe: which free one answers as a KT5RS
  upload   --port P [-o FILE]           read the whole set; write a .cfg (standard output without -o)
  download --port P FILE [--no-verify] [--backup FILE]
                                        write a .cfg to the instrument
  compare  --port P FILE                the instrument against a file
  diff     FILE_A FILE_B                two files, no instrument
  show     FILE                         a file's parameters
  get      --port P [BLOCK[.ITEM]]      read and print parameters (the whole set without a selection)
  set      --port P BLOCK.ITEM VALUE    change one parameter on the instrument
  monitor  --port P [--count N]         live values, one CSV line per polling cycle
  describe [BLOCK[.ITEM]]               kind, unit, range or choices and default of parameters
  history  [--records|--journal] [--serial S] [--since T] [--format csv]
                                        the instruments, records and writes this program keeps
  report   [--serial S] [-o FILE]       as-found against as-left of the latest visit, as CSV

Options for every command:
  --port P        COM3, 3 (COM port number) or a device path such as /dev/ttyUSB0
  --simulate      use a built-in simulated KT5RS instead of a port
  --retries N     after a communication failure, reopen the port and repeat the
                  whole operation up to N times (default 0: never retried)
  --lang en|ja    language of the messages (default: from the user's locale)
  --verbose       log every command and reply, also to standard error (the log:
                  ~/.local/state/VANTORIX/vela/vela-cli.log)
  --format json   ports, get, describe, compare, diff: one JSON document on
                  standard output with the same fields as the rows
  --help          this text; vela-cli COMMAND --help for one command
  --version       the program's version

Output: results on standard output, messages on standard error. Blocks are
numbered 0 Input, 1 Input Value, 2 Input %, 3 Output %, 4 Output Value,
5 Output, 6 Device Info; items from 0.

Exit status:
  0  done (compare, diff: equal)
  1  compare or diff found differences; download or set read back other values
     than were written
  2  usage error
  3  communication failure (port could not be opened, no or bad reply)
  4  parameter or file error (bad value, unreadable or foreign file, instrument
     of another model, edit switch SW2-8 off)
)";

const std::map<std::string, const char *> kCommandHelp = {
    {"ports", R"(Usage: vela-cli ports [--probe] [--format json]

Lists every serial port the configurator can use, one per line, tab separated:
COM name, display text, device path.
  --probe  asks each listed port whether a KT5RS answers (the model check,
           with a short time-out) and prints the ports that do, in the same
           columns. A port another program holds is skipped without being
           opened (named on standard error). Exit status 0 when one answered,
           3 when none did.
)"},
    {"describe", R"(Usage: vela-cli describe [BLOCK[.ITEM]] [--format json]

Prints each parameter of the selection (every one without), tab separated:
block.item, block, name, kind (choice, number, integer, text, read-only),
unit, range, default. The range is LOW..HIGH as the model takes it with the
other parameters at their defaults (the ends of a 0%/100% pair depend on
each other and on the type), values accepted besides it first ("0|0.5000..
30.0000"), or for a choice every CODE=TEXT joined by '|'. No instrument is
needed.
)"},
    {"upload", R"(Usage: vela-cli upload --port P [-o FILE]

Reads every parameter of the instrument (after checking that it is a KT5RS)
and writes them as a configuration file to FILE, or to standard output
without -o. A progress bar is shown on standard error when it is a terminal.
Values the instrument holds outside their ranges are listed on standard
error: the file keeps them, but cannot be loaded until they are corrected.
)"},
    {"history", R"(Usage: vela-cli history [--records | --journal] [--serial S] [--since T] [--format csv]

Lists what this program keeps about the instruments it has met, tab separated:
without an option the instruments (id, model, serial, firmware, tag, port,
first and last seen), with --records the records (time, kind, model, serial,
file), with --journal one line per write (time, port, model, serial, tag, done
by, block, item, parameter, before, sent, read back, result, message). Newest
first. --serial keeps one serial number, --since a UTC time or date such as
2026-12-01. --format csv gives the journal as the History window saves it.
)"},
    {"report", R"(Usage: vela-cli report [--serial S] [-o FILE]

The latest visit of an instrument as CSV: every parameter of the as-found
record beside the as-left record, differing rows marked with *. Without
--serial the instrument seen last. Standard output without -o.
)"},
    {"download", R"(Usage: vela-cli download --port P FILE [--no-verify] [--backup FILE] [--no-backup]

Loads FILE (nothing is sent when it cannot be read or belongs to another
model), asks the instrument's edit switch SW2-8 (exit 4 when it is off),
writes every parameter and reads the set back: rows the instrument did not
take are printed and the exit status is 1.
  --backup FILE  first read what the instrument holds and save it to FILE;
                 taken once, before anything is written (a retry repeats
                 only the download)
  --no-verify    skip the read-back (about 3 s at 9600 baud)
  --no-backup    no before-download record in the history (see below)
The instrument's identity is read first; unless --no-backup, the whole set
is then read and kept in the history as its before-download record (about
3 s at 9600 baud; with --backup the same read gives both). Every write is
journalled; the verifying read-back is kept as the as-left record.
)"},
    {"compare", R"(Usage: vela-cli compare --port P FILE

Reads the instrument and compares it with FILE. Prints each differing row
(block.item, block, name, file value, device value; tab separated) and a
summary line. Exit status 0 when all match, 1 when any differs.
)"},
    {"diff", R"(Usage: vela-cli diff FILE_A FILE_B

Compares two configuration files, no instrument. Both are read with the
model's own checks, so a file that fails them is reported (exit 4), not
compared. Output and exit status as for compare.
)"},
    {"show", R"(Usage: vela-cli show FILE

Prints a configuration file's parameters: block.item, block, name, value
(tab separated; choices as their texts).
)"},
    {"get", R"(Usage: vela-cli get --port P [BLOCK[.ITEM]]

Reads the selection from the instrument (the whole set when none is given)
and prints block.item, block, name and value, tab separated.
)"},
    {"set", R"(Usage: vela-cli set --port P BLOCK.ITEM VALUE

Reads the whole set, asks the edit switch SW2-8, checks the value like the
parameter list does (nothing is sent when it is refused, exit 4), writes the
item and reads it back; prints the row as the instrument now holds it. When
the instrument kept another value, says so and exits with 1.
Choice parameters take the choice code or its text (in any letter case).
)"},
    {"monitor", R"(Usage: vela-cli monitor --port P [--count N] [--interval MS]

Checks that the instrument is a KT5RS, then prints a header line and per
polling cycle an ISO 8601 UTC time stamp and the four live values (input
value, input %, output %, output value) as CSV, until N cycles are done or
Ctrl-C. A reply that is not a number gives an empty field. Three cycles in
a row without any number, with replies the instrument does not send, stop the
monitor with the message of the bad reply (exit 3). --interval is the pause
between cycles (default 100 ms).
)"},
};

bool NeedsPort(const std::string &command) {
  return command == "upload" || command == "download" || command == "compare" || command == "get" ||
         command == "set" || command == "monitor";
}

bool TakesJsonFormat(const std::string &command) {
  return command == "ports" || command == "get" || command == "describe" || command == "compare" ||
         command == "diff";
}

// Expected positional arguments: minimum and maximum.
std::pair<std::size_t, std::size_t> ArgCount(const std::string &command) {
  if (command == "download" || command == "compare" || command == "show")
    return {1, 1};
  if (command == "diff" || command == "set")
    return {2, 2};
  if (command == "get" || command == "describe")
    return {0, 1};
  return {0, 0};
}

// "-5" or "-.5" is a value to set, not an option.
bool IsNegativeNumber(const std::string &arg) {
  return arg.size() > 1 && arg[0] == '-' && ((arg[1] >= '0' && arg[1] <= '9') || arg[1] == '.');
}

bool ParseLong(const std::string &text, long &value) {
  if (text.empty())
    return false;
  char *end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return errno == 0 && *end == '\0';
}

} // namespace

int UsageError(const std::string &command, const std::string &problem) {
  std::cerr << "vela-cli: " << problem << "\n";
  std::cerr << "Try 'vela-cli " << (command.empty() ? "" : command + " ") << "--help'.\n";
  return kExitUsage;
}

int ParseArguments(int argc, char **argv, CliOptions &options) {
  bool help = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string &out) {
      if (i + 1 >= argc)
        return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      help = true;
    } else if (arg == "--port") {
      if (!value(options.port))
        return UsageError(options.command, "--port needs a value");
    } else if (arg == "-o" || arg == "--output") {
      if (!value(options.output))
        return UsageError(options.command, arg + " needs a file");
    } else if (arg == "--backup") {
      if (!value(options.backup))
        return UsageError(options.command, "--backup needs a file");
    } else if (arg == "--no-backup") {
      options.noBackup = true;
    } else if (arg == "--records") {
      options.records = true;
    } else if (arg == "--journal") {
      options.journal = true;
    } else if (arg == "--serial" || arg == "--since") {
      if (!value(arg == "--serial" ? options.serial : options.since))
        return UsageError(options.command, arg + " needs a value");
    } else if (arg == "--verify") {
      options.verify = true;
    } else if (arg == "--no-verify") {
      options.verify = false;
    } else if (arg == "--version") {
      std::cout << "vela-cli " << VELA_VERSION << '\n';
      return kExitDone;
    } else if (arg == "--format") {
      if (!value(text) || (text != "json" && text != "tsv" && text != "csv"))
        return UsageError(options.command, "--format takes json, tsv or csv");
      options.json = text == "json";
      options.csv = text == "csv";
    } else if (arg == "--probe") {
      options.probe = true;
    } else if (arg == "--simulate") {
      options.simulate = true;
    } else if (arg == "--count" || arg == "--retries" || arg == "--interval") {
      long number = 0;
      if (!value(text) || !ParseLong(text, number) || number < 0 || number > 1000000000)
        return UsageError(options.command, arg + " needs a number of 0 or more");
      if (arg == "--count")
        options.count = number;
      else if (arg == "--retries")
        options.retries = static_cast<int>(number);
      else
        options.intervalMs = static_cast<int>(number);
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else if (arg == "--lang") {
      if (!value(text) || (text != "en" && text != "ja"))
        return UsageError(options.command, "--lang takes en or ja");
      options.language = text == "en" ? 0 : 1;
    } else if (arg.size() > 1 && arg[0] == '-' && !IsNegativeNumber(arg)) {
      return UsageError(options.command, "unknown option " + arg);
    } else if (options.command.empty()) {
      options.command = arg;
    } else {
      options.args.push_back(arg);
    }
  }

  if (options.command.empty()) {
    if (help) {
      std::cout << kGeneralHelp;
      return kExitDone;
    }
    std::cerr << kGeneralHelp;
    return kExitUsage;
  }
  const auto found = kCommandHelp.find(options.command);
  if (found == kCommandHelp.end())
    return UsageError("", "unknown command: " + options.command);
  if (help) {
    std::cout << found->second;
    return kExitDone;
  }
  const auto [least, most] = ArgCount(options.command);
  if (options.args.size() < least || options.args.size() > most)
    return UsageError(options.command, "wrong number of arguments");
  if (options.json && !TakesJsonFormat(options.command))
    return UsageError(options.command, "--format json is not available for " + options.command);
  if (options.csv && options.command != "history")
    return UsageError(options.command, "--format csv belongs to history");
  if (options.probe && options.command != "ports")
    return UsageError(options.command, "--probe belongs to ports");
  if (NeedsPort(options.command) && options.port.empty() && !options.simulate)
    return UsageError(options.command, "--port or --simulate is needed");
  if (!options.port.empty() && options.simulate)
    return UsageError(options.command, "--port and --simulate exclude each other");
  return -1;
}

bool ParsePortNumber(const std::string &text, int &number) {
  std::string digits = text;
  if (digits.size() > 3 && (digits[0] == 'C' || digits[0] == 'c') && (digits[1] == 'O' || digits[1] == 'o') &&
      (digits[2] == 'M' || digits[2] == 'm'))
    digits = digits.substr(3);
  long value = 0;
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos ||
      !ParseLong(digits, value) || value < 1 || value > 255)
    return false;
  number = static_cast<int>(value);
  return true;
}

bool IsCommunicationFailure(int id) {
  return (id >= IDS_RECEIVE_TIMEOUT && id <= IDS_PORT_SETTINGS_FAILED) ||
         (id >= IDS_PORT_REASON_IN_USE && id <= IDS_PORT_REASON_NOT_PRESENT);
}

void PrintMessage(const std::string &text) { std::cerr << text << std::endl; }

void RunTransfer(CCommInterface &comm, CParBase &model, bool upload) {
  model.ResetProgress();
  if (!isatty(STDERR_FILENO)) {
    TransferWholeSet(comm, model, upload);
    return;
  }
  const std::string title = LoadString(upload ? IDS_UPLOADING : IDS_DOWNLOADING);
  CLoadParThread thread(comm, model, upload);
  thread.Start();
  auto draw = [&](int percent) {
    percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    const int filled = percent * 40 / 100;
    std::cerr << '\r' << title << " [" << std::string(filled, '#') << std::string(40 - filled, '.') << "] "
              << percent << "%" << std::flush;
  };
  while (!thread.IsFinished()) {
    draw(model.GetProgress());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  thread.Join();
  const CException *error = thread.GetError();
  // The model's count can stop short of 100 through rounding; a completed
  // transfer is shown as complete.
  draw(error == nullptr ? 100 : model.GetProgress());
  std::cerr << std::endl;
  if (error != nullptr)
    throw CException(error->GetId(), error->GetErrorMessage());
}

std::string MakeTempFolder() {
  const char *base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/vela-cli-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr)
    throw CException(IDS_SAVE_FILE_FAILED);
  return pattern;
}

bool ParseSelection(const CParBase &model, const std::string &text, Selection &sel, bool blockAllowed) {
  const auto dot = text.find('.');
  long block = 0;
  long item = -1;
  if (!ParseLong(text.substr(0, dot), block) || block < 0 || block > 100 || model.GetItemCount(block) <= 0)
    return false;
  if (dot == std::string::npos) {
    if (!blockAllowed)
      return false;
  } else if (!ParseLong(text.substr(dot + 1), item) || item < 0 || item >= model.GetItemCount(block)) {
    return false;
  }
  sel.block = static_cast<int>(block);
  sel.item = static_cast<int>(item);
  return true;
}

void ApplyValue(CParBase &model, int block, int item, const std::string &value) {
  if (model.GetEditKind(block, item) == EDIT_CHOICE)
    model.SetValue(block, item, model.ParseChoice(block, item, value));
  else
    model.SetValueString(block, item, value);
}

std::string CsvField(const std::string &text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos)
    return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"')
      quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

int CStderrUIHost::MessageBox(const std::string &text, unsigned style) {
  PrintMessage(text);
  return (style & 0x0F) == MB_YESNO ? IDNO : IDOK;
}

bool CStderrUIHost::AskValue(int, std::string &) { return false; }
