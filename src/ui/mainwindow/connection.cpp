#include "ui/mainwindow/connection.h"

#include "core/link/comm_interface.h"
#include "core/workers/update_io_thread.h"

CConnection::CConnection() = default;

CConnection::~CConnection() { RequestStop(); }

void CConnection::StartPoller() {
  if (m_poller)
    return;
  m_poller = std::make_unique<CUpdateIOThread>();
  m_poller->Start();
}

CLinkLock CConnection::Lock() { return m_poller ? m_poller->ScopedLock() : CLinkLock(); }

void CConnection::Take(std::unique_ptr<CCommInterface> comm) {
  m_interface = std::move(comm);
  m_poller->SetProtocol(m_interface.get());
}

bool CConnection::Release(const CLinkLock &held) {
  if (!m_interface)
    return true;
  if (m_poller && !held)
    return false;
  if (m_poller)
    m_poller->SetProtocol(nullptr);
  m_interface.reset();
  return true;
}

void CConnection::Reopen() {
  if (m_interface)
    m_interface->Reopen();
  m_poller->ClearError();
}

void CConnection::RequestStop() {
  if (m_poller)
    m_poller->RequestStop();
}

void CConnection::Stop() {
  if (m_poller)
    m_poller->Stop();
}
