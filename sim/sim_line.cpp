#include "kt5rs_simulator_impl.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

using namespace kt5rs;

void CKT5RSSimulator::Impl::ReadInput(Clock::time_point now) {
  char buf[4096];
  const ssize_t r = ::read(m_master, buf, sizeof buf);
  if (r <= 0)
    return;
  bool pace = false;
  {
    std::lock_guard lock(mx);
    pace = opt.pace;
  }
  for (ssize_t i = 0; i < r; ++i) {
    const char c = buf[i];
    // Paced, a byte is taken once its ten bits have come in.
    Clock::time_point arrival = now;
    if (pace)
      arrival = std::max(now, m_lastArrival) + kByteTime;
    m_lastArrival = arrival;
    if (c == '\r') {
      m_in.push_back({std::move(m_inText), arrival, m_inOverlong});
      m_inText.clear();
      m_inOverlong = false;
    } else if (c == '\n') {
      // A line feed after the carriage return is tolerated, not a command.
    } else if (m_inText.size() < kMaxCommand) {
      m_inText += c;
    } else {
      m_inOverlong = true;
    }
  }
}

void CKT5RSSimulator::Impl::Enqueue(std::string bytes, Clock::time_point start, Clock::duration gap,
                                    bool hangUp, bool record) {
  bool pace = false;
  {
    std::lock_guard lock(mx);
    pace = opt.pace;
  }
  OutLine l;
  l.bytes = std::move(bytes);
  l.hangUp = hangUp;
  l.record = record;
  const Clock::duration step = pace ? Clock::duration(kByteTime) : Clock::duration::zero();
  // Paced, a byte leaves once its ten bits are on the line.
  auto t = std::max(start, m_lastDue);
  for (std::size_t i = 0; i < l.bytes.size(); ++i) {
    t += step;
    l.due.push_back(t);
    if (i + 1 < l.bytes.size())
      t += gap;
  }
  if (l.bytes.empty())
    l.due.push_back(t);
  m_lastDue = t;
  m_out.push_back(std::move(l));
}

bool CKT5RSSimulator::Impl::SendDue(Clock::time_point now) {
  while (!m_out.empty() && m_master >= 0) {
    OutLine &l = m_out.front();
    std::size_t n = 0;
    while (l.sent + n < l.bytes.size() && l.due[l.sent + n] <= now)
      ++n;
    if (l.sent + n < l.bytes.size() && n == 0)
      return false;
    const bool completes = l.sent + n == l.bytes.size();
    if (completes && l.record && !l.recorded) {
      // Recorded before the last byte leaves, so that a peer that has read
      // the reply always finds it in the transcript.
      std::string text = l.bytes;
      if (!text.empty() && text.back() == '\r')
        text.pop_back();
      std::lock_guard lock(mx);
      Record('<', text);
      l.recorded = true;
    }
    if (n > 0) {
      const ssize_t w = ::write(m_master, l.bytes.data() + l.sent, n);
      if (w < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
          return true;
        if (errno == EINTR)
          continue;
        m_out.pop_front(); // the line is gone; nothing to deliver to
        continue;
      }
      l.sent += static_cast<std::size_t>(w);
      if (static_cast<std::size_t>(w) < n)
        return true;
    }
    if (l.sent == l.bytes.size()) {
      const bool hang = l.hangUp;
      m_out.pop_front();
      if (hang) {
        HangUp();
        return false;
      }
    }
  }
  return false;
}
