#include "core/platform/win32/abort_signal_native.h"

CAbortSignal::CAbortSignal() : m_native(std::make_unique<Native>()) {
  m_native->event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CAbortSignal::~CAbortSignal() {
  if (m_native->event)
    CloseHandle(m_native->event);
}

void CAbortSignal::Raise() {
  if (m_native->event)
    SetEvent(m_native->event);
}

bool CAbortSignal::IsRaised() const {
  return m_native->event && WaitForSingleObject(m_native->event, 0) == WAIT_OBJECT_0;
}
