// Test helper: acts on modal windows while the code under test waits in
// their event loops. Each step gets the top modal widget and returns true
// once it has done its part; the next step then waits for the next window.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>
#include <vector>
#include <gtest/gtest.h>

class ModalDriver {
public:
  using Step = std::function<bool(QWidget *modal)>;

  explicit ModalDriver(std::initializer_list<Step> steps, int timeoutMs = 10000)
      : ModalDriver(std::vector<Step>(steps), timeoutMs) {}
  explicit ModalDriver(const std::vector<Step> &steps, int timeoutMs = 10000)
      : m_steps(steps.begin(), steps.end()), m_timeoutMs(timeoutMs) {
    m_clock.start();
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    m_timer.start();
  }

  bool Done() const { return m_steps.empty(); }
  int StepsTaken() const { return m_taken; }

private:
  void Tick() {
    if (m_steps.empty()) {
      m_timer.stop();
      return;
    }
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal->isVisible() && m_steps.front()(modal)) {
      m_steps.pop_front();
      ++m_taken;
      m_clock.restart();
      return;
    }
    if (m_clock.elapsed() > m_timeoutMs) {
      // Never leave the test hanging in a window nobody closes.
      ADD_FAILURE() << "modal step " << m_taken << " did not happen";
      m_steps.clear();
      m_timer.stop();
      if (auto *dialog = qobject_cast<QDialog *>(modal))
        dialog->done(0);
    }
  }

  std::deque<Step> m_steps;
  int m_timeoutMs;
  int m_taken = 0;
  QElapsedTimer m_clock;
  QTimer m_timer;
};
