// kt5rs-sim: a simulated KT5RS on a pseudo-terminal, registered as a COM
// port, controlled by line commands on standard input.
#include "kt5rs_simulator.h"
#include "sim_control.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char c = 1;
  [[maybe_unused]] auto r = ::write(g_signalPipe[1], &c, 1);
}

const char kHelp[] =
    "Usage: kt5rs-sim [options]\n"
    "A simulated KT5RS signal conditioner on a pseudo-terminal. Prints one line,\n"
    "\"COM<n> <device path>\", and runs until SIGINT, SIGTERM or the quit command.\n"
    "\n"
    "Options:\n"
    "  --com N            register as COM N (default: the lowest free number)\n"
    "  --no-register      do not touch the COM port map (prints \"- <device path>\")\n"
    "  --ports DIR        COM port map folder (default: ~/.config/VANTORIX/ports)\n"
    "  --model NAME       KT5RS (default), KT7W, or any other name (refused by the program)\n"
    "  --sw28 on|off      edit switch SW2-8 (default on)\n"
    "  --firmware TEXT    firmware text (default \"<model> Ver 1.00\")\n"
    "  --serial TEXT      serial number\n"
    "  --tag TEXT         tag number\n"
    "  --pace             bytes at the real 9600 baud rate (10 bits a byte)\n"
    "  --turnaround MS    pause before each reply\n"
    "  --timeout MS       the program's time-out the timing faults aim at (default 1000)\n"
    "  --input PERCENT    a fixed input instead of the slow wave\n"
    "  --log FILE         transcript of every line in and out, with times\n"
    "  --help             this text\n"
    "  --version          the version, the configurator's\n"
    "\n"
    "Commands on standard input:\n"
    "  input PERCENT      fixed input, percent of the input type's range\n"
    "  wave               the slow wave with a little noise (default)\n"
    "  open               open circuit (broken sensor)\n"
    "  close-circuit      end the open circuit\n"
    "  sw28 on|off        the edit switch\n"
    "  fault KIND [AFTER [COUNT]]\n"
    "                     KIND: silence, late, cut, garbage, nul, endless, slow-under,\n"
    "                     slow-over, hangup; AFTER commands answered normally first,\n"
    "                     COUNT replies affected (default: all until fault clear)\n"
    "  fault clear        end every fault\n"
    "  pace on|off        line pacing\n"
    "  turnaround MS      pause before each reply\n"
    "  dump               parameter store, live values, write counts\n"
    "  transcript [N]     the last N lines in and out (default 20)\n"
    "  quit               end\n";

} // namespace

int main(int argc, char **argv) {
  SimOptions opt;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string &out) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "kt5rs-sim: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      out = argv[++i];
    };
    std::string v;
    long n = 0;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("kt5rs-sim %s\n", VELA_VERSION);
      return 0;
    } else if (arg == "--com") {
      value(v);
      if (!SimParseNumber(v, n) || n < 1 || n > 255) {
        std::fprintf(stderr, "kt5rs-sim: --com takes a number from 1 to 255\n");
        return 2;
      }
      opt.comPort = static_cast<int>(n);
    } else if (arg == "--no-register") {
      opt.registerPort = false;
    } else if (arg == "--ports") {
      value(opt.portMapFolder);
    } else if (arg == "--model") {
      value(opt.model);
    } else if (arg == "--sw28") {
      value(v);
      if (!SimParseOnOff(v, opt.sw28)) {
        std::fprintf(stderr, "kt5rs-sim: --sw28 takes on or off\n");
        return 2;
      }
    } else if (arg == "--firmware") {
      value(opt.firmware);
    } else if (arg == "--serial") {
      value(opt.serial);
    } else if (arg == "--tag") {
      value(opt.tag);
    } else if (arg == "--pace") {
      opt.pace = true;
    } else if (arg == "--turnaround" || arg == "--timeout") {
      value(v);
      if (!SimParseNumber(v, n) || n < 0 || n > 600000) {
        std::fprintf(stderr, "kt5rs-sim: %s takes milliseconds\n", arg.c_str());
        return 2;
      }
      (arg == "--turnaround" ? opt.turnaroundMs : opt.faultTimeoutMs) = static_cast<unsigned>(n);
    } else if (arg == "--input") {
      value(v);
      char *end = nullptr;
      const double x = std::strtod(v.c_str(), &end);
      if (v.empty() || *end != '\0') {
        std::fprintf(stderr, "kt5rs-sim: --input takes a number\n");
        return 2;
      }
      opt.inputPercent = x;
    } else if (arg == "--log") {
      value(opt.logFile);
    } else {
      std::fprintf(stderr, "kt5rs-sim: unknown option %s (see --help)\n", arg.c_str());
      return 2;
    }
  }
  // The program talks to one instrument for hours; keep the transcript short.
  opt.transcriptLimit = 1000;

  if (::pipe(g_signalPipe) != 0) {
    std::perror("kt5rs-sim: pipe");
    return 1;
  }
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  ::sigaction(SIGINT, &sa, nullptr);
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGHUP, &sa, nullptr);
  std::signal(SIGPIPE, SIG_IGN);

  CKT5RSSimulator sim(opt);
  try {
    sim.Start();
  } catch (const std::exception &e) {
    std::fprintf(stderr, "kt5rs-sim: %s\n", e.what());
    return 1;
  }
  const std::string com = sim.ComName();
  std::cout << (com.empty() ? "-" : com) << " " << sim.DevicePath() << std::endl;

  bool stdinOpen = true;
  std::string pending;
  for (;;) {
    pollfd fds[2] = {{g_signalPipe[0], POLLIN, 0}, {stdinOpen ? 0 : -1, POLLIN, 0}};
    const int r = ::poll(fds, 2, -1);
    if (r < 0) {
      if (errno == EINTR)
        continue;
      break;
    }
    if (fds[0].revents & POLLIN)
      break;
    if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
      char buf[1024];
      const ssize_t n = ::read(0, buf, sizeof buf);
      if (n <= 0) {
        // Without standard input the simulator keeps serving until a signal.
        stdinOpen = false;
        continue;
      }
      pending.append(buf, static_cast<std::size_t>(n));
      bool quit = false;
      for (std::size_t nl; !quit && (nl = pending.find('\n')) != std::string::npos;) {
        std::string line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r')
          line.pop_back();
        if (line == "help")
          std::cout << kHelp << std::flush;
        else
          quit = !SimControlLine(sim, line, std::cout);
      }
      if (quit)
        break;
      if (pending.size() > 4096)
        pending.clear();
    }
  }
  sim.Stop();
  return 0;
}
