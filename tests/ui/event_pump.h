// Runs the event loop until a condition holds, for widget tests that wait on
// timers and on the instrument's replies.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <functional>

inline bool Pump(const std::function<bool()> &done, int timeoutMs = 10000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs)
      return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}
