#include "ui/app/simulator_control.h"

#include "kt5rs_simulator.h"
#include "sim_control.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

CSimulatorControl::CSimulatorControl(CKT5RSSimulator &simulator, const std::string &pipePath)
    : m_simulator(simulator) {
  // Read and write: a writer that comes and goes is no end of input, and
  // the open does not wait for the first writer.
  m_pipe = ::open(pipePath.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (m_pipe < 0)
    throw std::runtime_error(pipePath + ": " + std::strerror(errno));
  if (::pipe2(m_wake, O_CLOEXEC) != 0) {
    const int error = errno;
    ::close(m_pipe);
    throw std::runtime_error(std::string("pipe: ") + std::strerror(error));
  }
  m_thread = std::thread([this] { Run(); });
}

CSimulatorControl::~CSimulatorControl() {
  const char c = 1;
  [[maybe_unused]] const auto written = ::write(m_wake[1], &c, 1);
  if (m_thread.joinable())
    m_thread.join();
  ::close(m_pipe);
  ::close(m_wake[0]);
  ::close(m_wake[1]);
}

void CSimulatorControl::Run() {
  std::string pending;
  for (;;) {
    pollfd fds[2] = {{m_wake[0], POLLIN, 0}, {m_pipe, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR)
        continue;
      return;
    }
    if (fds[0].revents & POLLIN)
      return;
    char buffer[512];
    const ssize_t n = ::read(m_pipe, buffer, sizeof buffer);
    if (n <= 0)
      continue;
    pending.append(buffer, static_cast<std::size_t>(n));
    for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, nl);
      pending.erase(0, nl + 1);
      std::ostringstream reply;
      // The simulator lives as long as the window: "quit" ends nothing here.
      if (!SimControlLine(m_simulator, line, reply))
        reply << "ignored\n";
      std::fprintf(stderr, "vela: simulator: %s: %s", line.c_str(), reply.str().c_str());
    }
    if (pending.size() > 4096)
      pending.clear();
  }
}
