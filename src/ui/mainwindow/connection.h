// The main window's line to the instrument: the live value poller, started
// once and the owner of the link mutex, and while online the interface the
// window lends it.
#pragma once

#include "core/workers/link_mutex.h"

#include <memory>

class CCommInterface;
class CUpdateIOThread;

class CConnection {
public:
  CConnection();
  // Asks the poller to stop; it ends before the interface goes.
  ~CConnection();
  CConnection(const CConnection &) = delete;
  CConnection &operator=(const CConnection &) = delete;

  // Starts the poller, offline, the first time; later calls do nothing.
  void StartPoller();
  CUpdateIOThread *Poller() const { return m_poller.get(); }
  CCommInterface *Interface() const { return m_interface.get(); }
  bool IsOnline() const { return m_interface != nullptr; }

  // The link mutex for a user operation ("Error" after 5 s, and an empty
  // lock); an empty lock without a message before the poller runs.
  CLinkLock Lock();
  // The caller holds the link mutex: comm becomes the connection, lent to
  // the poller.
  void Take(std::unique_ptr<CCommInterface> comm);
  // Takes the interface back from the poller and closes it. held is the
  // caller's hold of the link mutex: without one the poller may still be
  // using the line, the interface stays and false comes back.
  bool Release(const CLinkLock &held);
  // After a failure the poller met: the line opened again, the flag cleared.
  // The caller holds the link mutex; throws when the port does not reopen.
  void Reopen();

  // At close: asked first, the poller gives up a cycle stuck on a silent
  // instrument at once, so the disconnect after it never waits; Stop then
  // waits for the thread.
  void RequestStop();
  void Stop();

private:
  std::unique_ptr<CCommInterface> m_interface;
  // Declared after the interface: it stops before the interface goes.
  std::unique_ptr<CUpdateIOThread> m_poller;
};
