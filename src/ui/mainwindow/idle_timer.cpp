#include "ui/mainwindow/idle_timer.h"

#include <QCoreApplication>

CIdleTimer::CIdleTimer(QObject *parent) : QObject(parent) {
  m_wake.setSingleShot(true);
  m_wake.setInterval(0);
  connect(&m_ticks, &QTimer::timeout, this, &CIdleTimer::timeout);
  connect(&m_wake, &QTimer::timeout, this, &CIdleTimer::OnWake);
}

CIdleTimer::~CIdleTimer() { EndRest(); }

void CIdleTimer::start() {
  EndRest();
  m_ticks.start();
}

void CIdleTimer::stop() {
  EndRest();
  m_ticks.stop();
}

void CIdleTimer::Rest() {
  m_ticks.stop();
  if (m_resting || !QCoreApplication::instance())
    return;
  m_resting = true;
  QCoreApplication::instance()->installEventFilter(this);
}

void CIdleTimer::EndRest() {
  m_wake.stop();
  if (!m_resting)
    return;
  m_resting = false;
  if (QCoreApplication::instance())
    QCoreApplication::instance()->removeEventFilter(this);
}

bool CIdleTimer::eventFilter(QObject *watched, QEvent *) {
  // The wake-up's own timer event would wake it again, for ever.
  if (m_resting && watched != &m_wake && !m_wake.isActive())
    m_wake.start();
  return false;
}

void CIdleTimer::OnWake() {
  if (!m_resting)
    return;
  // Ticking again from here; the handler may rest at once.
  start();
  emit timeout();
}
