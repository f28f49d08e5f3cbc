// A signal that ends a blocking wait on the serial line at once: raised once
// (at shutdown) and raised for good. Every read or write that is given it
// gives up as soon as it is raised, and every later one fails straight away.
// The serial line of each system waits on its own native form of it.
#pragma once

#include <memory>

class CAbortSignal {
public:
  CAbortSignal();
  ~CAbortSignal();
  CAbortSignal(const CAbortSignal &) = delete;
  CAbortSignal &operator=(const CAbortSignal &) = delete;

  // Safe from any thread, any number of times.
  void Raise();
  bool IsRaised() const;

  // What the system waits on; defined by the platform's implementation.
  struct Native;
  const Native &GetNative() const { return *m_native; }

private:
  std::unique_ptr<Native> m_native;
};
