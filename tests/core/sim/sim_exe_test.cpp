// The kt5rs-sim executable from the build tree: its one line, its COM
// number, its line commands on standard input and a clean end on a signal.
#include "core/platform/posix/port_map.h"
#include "core/resources/string_ids.h"
#include "sim_test_util.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace simtest;
using namespace std::chrono_literals;

namespace {

// The simulator as a child process with both standard streams on pipes.
class SimProcess {
public:
  explicit SimProcess(std::vector<std::string> args) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe");
    const std::string exe = std::string(VELA_BIN_DIR) + "/kt5rs-sim";
    args.insert(args.begin(), exe);
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      std::vector<char *> argv;
      for (auto &a : args)
        argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(exe.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    m_in = in[1];
    m_out = out[0];
  }
  ~SimProcess() {
    if (m_in >= 0)
      ::close(m_in);
    if (m_pid > 0 && !m_reaped) {
      ::kill(m_pid, SIGKILL);
      ::waitpid(m_pid, nullptr, 0);
    }
    ::close(m_out);
  }

  // One line of its standard output, "" after the time-out.
  std::string Line(std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      const auto nl = m_buf.find('\n');
      if (nl != std::string::npos) {
        std::string line = m_buf.substr(0, nl);
        m_buf.erase(0, nl + 1);
        return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0)
        return "";
      pollfd p{m_out, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(left.count())) <= 0)
        continue;
      char b[512];
      const ssize_t n = ::read(m_out, b, sizeof b);
      if (n <= 0)
        return "";
      m_buf.append(b, static_cast<std::size_t>(n));
    }
  }
  std::string Command(const std::string &line) {
    const std::string l = line + "\n";
    EXPECT_EQ(::write(m_in, l.data(), l.size()), static_cast<ssize_t>(l.size()));
    return Line();
  }
  void CloseInput() {
    ::close(m_in);
    m_in = -1;
  }
  // Exit status, or -1 when it did not end in time.
  int Wait(std::chrono::milliseconds timeout = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_reaped = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(10ms);
    }
    return -1;
  }
  void Signal(int sig) { ::kill(m_pid, sig); }

private:
  pid_t m_pid = -1;
  int m_in = -1, m_out = -1;
  bool m_reaped = false;
  std::string m_buf;
};

int ComOf(const std::string &line) {
  if (line.rfind("COM", 0) != 0)
    return 0;
  return std::atoi(line.c_str() + 3);
}

TEST(SimExecutable, ServesAWholeUploadOnItsComNumberAndEndsCleanlyOnSigterm) {
  ScopedTestHome home;
  SimProcess p({"--com", "4", "--log", home.File("t.log")});
  const std::string first = p.Line();
  ASSERT_EQ(ComOf(first), 4) << first;
  const std::string device = first.substr(first.find(' ') + 1);
  std::string resolved;
  EXPECT_TRUE(CComPortMap().TryResolve(4, resolved));
  EXPECT_EQ(resolved, device);
  {
    CCommInterface c;
    c.Open(4);
    EXPECT_EQ(Upload(c), CKT5RSSimulator::DefaultState("KT5RS"));
  }
  p.Signal(SIGTERM);
  EXPECT_EQ(p.Wait(), 0);
  EXPECT_EQ(IdOf([] { CSerialIO().Open(4); }), IDS_PORT_OPEN_FAILED);
  EXPECT_NE(ReadWholeFile(home.File("t.log")).find("> I24"), std::string::npos);
}

TEST(SimExecutable, LineCommandsSetTheInputFaultsAndDumpTheState) {
  ScopedTestHome home;
  SimProcess p({"--model", "KT7W", "--sw28", "off", "--serial", "S-9", "--input", "10"});
  const int com = ComOf(p.Line());
  ASSERT_GT(com, 0);
  Link l(com);
  l.link.SelectGroup(1);
  EXPECT_EQ(l.link.ReadItem(4), "5.0000"); // 10 % of 0..50 mA
  EXPECT_EQ(p.Command("input 40"), "ok");
  EXPECT_EQ(l.link.ReadItem(4), "20.0000");
  EXPECT_EQ(l.At(99, 7, "DW"), "D0");
  EXPECT_EQ(p.Command("sw28 on"), "ok");
  EXPECT_EQ(l.At(99, 7, "DW"), "D128");
  EXPECT_EQ(l.At(1, 90, "D3"), "DS-9");

  EXPECT_EQ(p.Command("fault silence"), "ok");
  EXPECT_EQ(IdOf([&] { l.Tx("G01", 200); }), IDS_RECEIVE_TIMEOUT);
  EXPECT_EQ(p.Command("fault clear"), "ok");
  EXPECT_EQ(l.Tx("G01", 200), "Denter item");
  EXPECT_EQ(p.Command("fault late 1 1"), "ok");
  EXPECT_EQ(p.Command("fault bogus").substr(0, 6), "error:");

  EXPECT_EQ(p.Command("dump").substr(0, 10), "model KT7W");
  // Without standard input it keeps serving until a signal.
  p.CloseInput();
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(l.Tx("G01"), "Denter item");
  p.Signal(SIGINT);
  EXPECT_EQ(p.Wait(), 0);
  EXPECT_TRUE(CComPortMap().Entries().empty());
}

TEST(SimExecutable, QuitCommandHelpAndBadOptions) {
  ScopedTestHome home;
  {
    SimProcess p({});
    EXPECT_GT(ComOf(p.Line()), 0);
    p.Command("quit");
    EXPECT_EQ(p.Wait(), 0);
    EXPECT_TRUE(CComPortMap().Entries().empty());
  }
  {
    SimProcess p({"--help"});
    EXPECT_EQ(p.Line().substr(0, 6), "Usage:");
    EXPECT_EQ(p.Wait(), 0);
  }
  {
    SimProcess p({"--sw28", "maybe"});
    EXPECT_EQ(p.Wait(), 2);
  }
}

} // namespace
