#include "core/workers/load_par_thread.h"

#include "core/model/par_base.h"
#include "core/resources/string_ids.h"

CLoadParThread::CLoadParThread(CCommInterface &protocol, CParBase &model, bool upload)
    : m_protocol(protocol), m_model(model), m_upload(upload) {}

CLoadParThread::~CLoadParThread() { Join(); }

void CLoadParThread::Start() {
  if (m_thread.joinable() || IsFinished())
    return;
  m_thread = std::thread([this] { Run(); });
}

const CException *CLoadParThread::GetError() const {
  if (!IsFinished() || !m_error)
    return nullptr;
  return &*m_error;
}

void CLoadParThread::Join() {
  if (m_thread.joinable())
    m_thread.join();
}

void CLoadParThread::Run() {
  try {
    if (m_upload)
      m_model.ReadFromDevice(&m_protocol, -1, -1);
    else
      m_model.WriteToDevice(m_protocol, -1, -1);
  } catch (const CException &e) {
    m_error = e;
  } catch (...) {
    // Whatever else stopped the transfer, the user still learns that it
    // failed and may try again; nothing may escape a worker thread.
    m_error.emplace(IDS_COMM_ERROR);
  }
  // The release pairs with IsFinished: the stored failure is complete before
  // anyone can see the flag.
  m_finished.store(true, std::memory_order_release);
}
