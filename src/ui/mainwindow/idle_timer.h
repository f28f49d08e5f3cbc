// The window's 100 ms timer, which can rest. Offline there is nothing to
// poll, and what the panels show changes only when something happens in the
// program (a key, a click, a message box, a file arriving): waking ten times a
// second to find the same texts costs processor time on an idle desktop.
// Rest() stops the ticks until the next event of any kind reaches the
// program; that event brings one tick, and the ticks go on unless the
// handler rests again.
#pragma once

#include <QObject>
#include <QTimer>

class CIdleTimer : public QObject {
  Q_OBJECT
public:
  explicit CIdleTimer(QObject *parent = nullptr);
  ~CIdleTimer() override;

  void setInterval(int milliseconds) { m_ticks.setInterval(milliseconds); }
  // Ticking, or resting until an event wakes it.
  bool isActive() const { return m_ticks.isActive() || m_resting; }
  void start();
  void stop();
  // From a tick's handler: no more ticks until the next event.
  void Rest();
  bool IsResting() const { return m_resting; }

signals:
  void timeout();

protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

private:
  void EndRest();
  void OnWake();

  QTimer m_ticks;
  // A zero-time single shot: the tick an event brings, after that event.
  QTimer m_wake;
  bool m_resting = false;
};
