// The KT5RS configurator. With --simulate it also runs a simulated KT5RS on
// a pseudo-terminal for the life of the program and offers it as a COM port.
#include "ui/app/qt_settings_store.h"
#include "ui/app/simulator_control.h"
#include "ui/app/termination.h"
#include "ui/app/vela_app.h"

#include "kt5rs_simulator.h"
#include "core/log/log.h"
#include "core/resources/app_settings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string_view>

namespace {

constexpr const char *kUsage =
    "Usage: vela [--simulate] [--verbose] [FILE.cfg]\n"
    "Configurator for the KT5RS signal conditioner.\n\n"
    "  FILE.cfg       Open this configuration file at start.\n"
    "  --simulate     Run a simulated KT5RS instrument and offer it as a COM port.\n"
    "  --verbose      Also log every command and reply, and copy the log to standard error.\n"
    "  -h, --help     Show this help and end.\n"
    "  -v, --version  Show the version and end.\n";

// Help and version need no display, so they are answered before the
// toolkit looks for one.
bool AnswerInformationOptions(int argc, char **argv, int &exitCode) {
  for (int i = 1; i < argc; ++i) {
    std::string_view a(argv[i]);
    if (a == "-h" || a == "--help" || a == "-?") {
      std::fputs(kUsage, stdout);
      exitCode = 0;
      return true;
    }
    if (a == "-v" || a == "--version") {
      std::printf("vela %s\n", VELA_VERSION);
      exitCode = 0;
      return true;
    }
  }
  return false;
}

} // namespace

int main(int argc, char **argv) {
  int exitCode = 0;
  if (AnswerInformationOptions(argc, argv, exitCode))
    return exitCode;

  QApplication app(argc, argv);
  QApplication::setApplicationVersion(QStringLiteral(VELA_VERSION));
  // A kill or a logout closes the window as its close button would: the
  // instrument is left in no adjust mode and, with --simulate, the end of
  // main still removes the simulator's COM entry.
  HandleTerminationRequests(&app, CloseMainWindow);

  // What is left after the toolkit took its own options (-platform, -style).
  QCommandLineParser parser;
  QCommandLineOption simulate(QStringLiteral("simulate"));
  QCommandLineOption verbose(QStringLiteral("verbose"));
  parser.addOption(simulate);
  parser.addOption(verbose);
  if (!parser.parse(QApplication::arguments()) || parser.positionalArguments().size() > 1) {
    std::fprintf(stderr, "vela: %s\n%s",
                 parser.errorText().isEmpty() ? "unexpected argument" : qPrintable(parser.errorText()),
                 kUsage);
    return 2;
  }

  LogOptions log;
  log.program = "vela";
  log.verbose = parser.isSet(verbose);
  StartLog(log);
  LogInfo("program", std::string("vela ") + VELA_VERSION + " started" +
                         (parser.isSet(simulate) ? " with a simulated instrument" : ""));

  std::unique_ptr<CKT5RSSimulator> simulator;
  std::unique_ptr<CSimulatorControl> simulatorControl;
  std::string savedPort;
  if (parser.isSet(simulate)) {
    // For scripts that drive the window: a transcript of the line, and a
    // pipe of control lines that make the instrument misbehave.
    SimOptions options;
    if (const char *log = std::getenv("VELA_SIM_LOG"))
      options.logFile = log;
    simulator = std::make_unique<CKT5RSSimulator>(options);
    try {
      simulator->Start();
      if (const char *pipe = std::getenv("VELA_SIM_CONTROL"); pipe && *pipe)
        simulatorControl = std::make_unique<CSimulatorControl>(*simulator, pipe);
    } catch (const std::exception &e) {
      std::fprintf(stderr, "vela: cannot start the simulated instrument: %s\n", e.what());
      return 1;
    }
    std::fprintf(stderr, "vela: simulated KT5RS on %s (%s)\n", simulator->ComName().c_str(),
                 simulator->DevicePath().c_str());
    // The port dialog offers the simulated instrument first: Enter connects.
    // The technician's own port comes back when the run ends (below).
    CQtSettingsStore store;
    CAppSettings settings(store);
    settings.Load();
    savedPort = settings.GetCOMPort();
    settings.SetCOMPort(simulator->ComName());
    settings.Save();
  }

  {
    CVELAApp theApp;
    if (!parser.positionalArguments().isEmpty())
      theApp.SetStartFile(QFileInfo(parser.positionalArguments().front()).absoluteFilePath().toStdString());
    theApp.InitInstance();
  }
  if (simulator) {
    // A simulated port is gone after this run; don't leave it as the port the
    // next run offers first.
    CQtSettingsStore store;
    CAppSettings settings(store);
    settings.Load();
    if (settings.GetCOMPort() == simulator->ComName()) {
      settings.SetCOMPort(savedPort);
      settings.Save();
    }
    simulatorControl.reset();
    // Stopping removes the simulator's COM entry from the user's port map.
    simulator->Stop();
  }
  LogInfo("program", "vela ended");
  StopLog();
  return 0;
}
