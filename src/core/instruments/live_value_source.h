// Where the trend graph panel takes its value from: one of the live values
// and the flag that says the last polling cycle failed.
#pragma once

#include "core/workers/update_io_thread.h"

class CLiveValueSource {
public:
  virtual ~CLiveValueSource() = default;
  virtual double GetLiveValue(int channel) const = 0;
  virtual bool GetError() const = 0;
};

// The live value poller as a value source. Reads without the link mutex: a
// value may be from the current cycle or the one before, which is all a
// chart sampled every half second needs.
class CPollerValueSource : public CLiveValueSource {
public:
  explicit CPollerValueSource(const CUpdateIOThread &poller) : m_poller(poller) {}
  double GetLiveValue(int channel) const override { return m_poller.GetLiveValue(channel); }
  bool GetError() const override { return m_poller.GetError(); }

private:
  const CUpdateIOThread &m_poller;
};
