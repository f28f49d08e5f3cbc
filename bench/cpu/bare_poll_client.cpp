// The yardstick for the window's CPU use while connected: the live value
// poll cycle ("G01", then items 4, 5, 3 and 2, each read with "D") sent over
// and over with nothing but system calls, no toolkit and no model. Runs until
// SIGTERM or SIGINT and prints the number of cycles it completed.
//
//   bare_poll_client DEVICE
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

// One command and its reply up to the carriage return; false on a second
// without a byte, as the program's own time-out.
bool Transact(int fd, const char *command) {
  const std::size_t length = std::strlen(command);
  if (::write(fd, command, length) != static_cast<ssize_t>(length))
    return false;
  char buffer[256];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, 1000);
    if (ready < 0 && errno == EINTR)
      return false;
    if (ready <= 0)
      return false;
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0)
      return false;
    if (std::memchr(buffer, '\r', static_cast<std::size_t>(n)) != nullptr)
      return true;
  }
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bare_poll_client DEVICE\n");
    return 2;
  }
  const int fd = ::open(argv[1], O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    std::perror(argv[1]);
    return 1;
  }
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::cfsetispeed(&tio, B9600);
  ::cfsetospeed(&tio, B9600);
  tio.c_cflag |= CLOCAL | CREAD;
  ::tcsetattr(fd, TCSANOW, &tio);
  ::tcflush(fd, TCIOFLUSH);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);

  static const char *const kCycle[] = {"G01\r", "I04\r", "D\r", "I05\r", "D\r", "I03\r", "D\r", "I02\r", "D\r"};
  long cycles = 0;
  while (!g_stop) {
    bool whole = true;
    for (const char *command : kCycle)
      whole = whole && !g_stop && Transact(fd, command);
    cycles += whole;
  }
  ::close(fd);
  std::printf("%ld\n", cycles);
  return 0;
}
