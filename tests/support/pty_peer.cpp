#include "pty_peer.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;

CPtyPeer::CPtyPeer() {
  m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (m_master < 0)
    throw std::runtime_error("posix_openpt failed");
  const char *name = nullptr;
  if (grantpt(m_master) != 0 || unlockpt(m_master) != 0 || (name = ptsname(m_master)) == nullptr) {
    close(m_master);
    throw std::runtime_error("pseudo-terminal set-up failed");
  }
  m_slavePath = name;
  termios tio{};
  tcgetattr(m_master, &tio);
  cfmakeraw(&tio);
  tcsetattr(m_master, TCSANOW, &tio);
  m_slave = open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  m_stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

CPtyPeer::~CPtyPeer() {
  JoinHelpers(); // a pending CloseMasterLater stops the responder itself
  Stop();
  std::lock_guard lock(m_mutex);
  if (m_master >= 0)
    close(m_master);
  if (m_slave >= 0)
    close(m_slave);
  if (m_stopFd >= 0)
    close(m_stopFd);
}

void CPtyPeer::JoinHelpers() {
  std::vector<std::thread> helpers;
  {
    std::lock_guard lock(m_mutex);
    helpers.swap(m_helpers);
  }
  for (auto &t : helpers)
    t.join();
}

void CPtyPeer::Send(std::string_view bytes) {
  std::lock_guard lock(m_mutex);
  while (m_master >= 0 && !bytes.empty()) {
    ssize_t w = write(m_master, bytes.data(), bytes.size());
    if (w < 0 && errno == EINTR)
      continue;
    if (w <= 0)
      return;
    bytes.remove_prefix(static_cast<std::size_t>(w));
  }
}

void CPtyPeer::SendLater(std::string bytes, std::chrono::milliseconds delay) {
  std::lock_guard lock(m_mutex);
  m_helpers.emplace_back([this, bytes = std::move(bytes), delay] {
    std::this_thread::sleep_for(delay);
    Send(bytes);
  });
}

void CPtyPeer::SendSlowly(std::string bytes, std::chrono::milliseconds gap) {
  std::lock_guard lock(m_mutex);
  m_helpers.emplace_back([this, bytes = std::move(bytes), gap] {
    for (char c : bytes) {
      std::this_thread::sleep_for(gap);
      Send(std::string_view(&c, 1));
    }
  });
}

bool CPtyPeer::ReadSome(std::chrono::milliseconds timeout) {
  pollfd fds[2] = {{m_master, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
  int n = poll(fds, 2, static_cast<int>(timeout.count()));
  if (n <= 0 || (fds[1].revents & POLLIN) || !(fds[0].revents & POLLIN))
    return false;
  char buf[512];
  ssize_t r = read(m_master, buf, sizeof buf);
  if (r <= 0)
    return false;
  m_input.append(buf, static_cast<std::size_t>(r));
  return true;
}

std::optional<std::string> CPtyPeer::Receive(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    auto cr = m_input.find('\r');
    if (cr != std::string::npos) {
      std::string line = m_input.substr(0, cr + 1);
      m_input.erase(0, cr + 1);
      return line;
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || (!ReadSome(left) && Clock::now() >= deadline))
      return std::nullopt;
  }
}

std::string CPtyPeer::ReceiveAll(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0)
      break;
    ReadSome(left);
  }
  std::string all;
  all.swap(m_input);
  return all;
}

void CPtyPeer::Respond(Responder responder) {
  Stop();
  m_responder = std::thread([this, responder = std::move(responder)] {
    for (;;) {
      auto cr = m_input.find('\r');
      if (cr == std::string::npos) {
        pollfd fds[2] = {{m_master, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
          return;
        if (fds[1].revents & POLLIN)
          return;
        if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL) && !(fds[0].revents & POLLIN)) {
          // Nobody has the slave open for a moment; wait for the next open.
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
          continue;
        }
        ReadSome(std::chrono::milliseconds(0));
        continue;
      }
      std::string command = m_input.substr(0, cr);
      m_input.erase(0, cr + 1);
      {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(command);
      }
      std::string answer = responder(command);
      if (!answer.empty())
        Send(answer);
    }
  });
}

void CPtyPeer::Stop() {
  if (!m_responder.joinable())
    return;
  std::uint64_t one = 1;
  if (write(m_stopFd, &one, sizeof one) < 0) {
    // The counter cannot overflow from one write; nothing to do.
  }
  m_responder.join();
  std::uint64_t drained;
  if (read(m_stopFd, &drained, sizeof drained) < 0) {
    // Already empty.
  }
}

std::vector<std::string> CPtyPeer::Commands() const {
  std::lock_guard lock(m_mutex);
  return m_commands;
}

void CPtyPeer::CloseMaster() {
  Stop();
  std::lock_guard lock(m_mutex);
  if (m_master >= 0)
    close(m_master);
  m_master = -1;
}

void CPtyPeer::CloseMasterLater(std::chrono::milliseconds delay) {
  std::lock_guard lock(m_mutex);
  m_helpers.emplace_back([this, delay] {
    std::this_thread::sleep_for(delay);
    CloseMaster();
  });
}
