// The far end of a serial line for tests: a pseudo-terminal whose slave path
// the program opens like any serial device, while the test talks on the
// master side. Every byte crosses the kernel's tty layer.
//
//   CPtyPeer peer;
//   peer.Respond([](const std::string &cmd) { return cmd == "G01" ? "Denter item\r" : "D\r"; });
//   CCommInterface link;
//   link.OpenDevice(peer.SlavePath());
//
// The master is put in raw mode at once, so bytes sent before the program
// configures its side are not echoed or translated. The peer also keeps the
// slave open itself, so the program may close and reopen its side (Reopen)
// without the master seeing a hang-up in between.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class CPtyPeer {
public:
  // Answer to one command (its bytes without the carriage return). The
  // returned bytes are sent as they are: include the "\r" yourself; an empty
  // text sends nothing.
  using Responder = std::function<std::string(const std::string &command)>;

  CPtyPeer(); // throws std::runtime_error when no pseudo-terminal can be had
  ~CPtyPeer();
  CPtyPeer(const CPtyPeer &) = delete;
  CPtyPeer &operator=(const CPtyPeer &) = delete;

  const std::string &SlavePath() const { return m_slavePath; }

  // Writes the bytes to the line now.
  void Send(std::string_view bytes);
  // Writes them from a background thread after the delay.
  void SendLater(std::string bytes, std::chrono::milliseconds delay);
  // Writes each byte after its own delay (slow or gappy replies).
  void SendSlowly(std::string bytes, std::chrono::milliseconds gap);

  // Bytes up to and including the next carriage return; nothing when no
  // carriage return came within the time-out (what did come stays queued).
  std::optional<std::string> Receive(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
  // Everything that arrived within the time-out, carriage return or not.
  std::string ReceiveAll(std::chrono::milliseconds timeout);

  // Answers every command from a background thread until Stop or the end.
  void Respond(Responder responder);
  void Stop();
  // Every command the responder has seen, without the carriage returns.
  std::vector<std::string> Commands() const;

  // Hangs the line up: the program's side sees the other end gone.
  void CloseMaster();
  void CloseMasterLater(std::chrono::milliseconds delay);

private:
  bool ReadSome(std::chrono::milliseconds timeout); // appends to m_input
  void JoinHelpers();

  int m_master = -1;
  int m_slave = -1; // held open, see above
  int m_stopFd = -1;
  std::string m_slavePath;
  std::string m_input; // received and not yet taken
  mutable std::mutex m_mutex;
  std::vector<std::string> m_commands;
  std::thread m_responder;
  std::vector<std::thread> m_helpers;
};
