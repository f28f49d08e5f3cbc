// Polls a condition until it holds or the time-out passes; for tests that
// wait on another thread without a notification to wait on.
#pragma once

#include <chrono>
#include <thread>

template <class Pred> bool WaitFor(Pred pred, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}
