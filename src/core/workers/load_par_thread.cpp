#include "core/workers/load_par_thread.h"

#include "core/log/log.h"
#include "core/model/par_base.h"
#include "core/resources/string_ids.h"

#include <chrono>

void TransferWholeSet(CCommInterface &protocol, CParBase &model, bool upload) {
  const char *what = upload ? "upload" : "download";
  LogInfo("transfer", std::string(what) + " of the whole set started");
  const auto start = std::chrono::steady_clock::now();
  try {
    if (upload)
      model.ReadFromDevice(&protocol, -1, -1);
    else
      model.WriteToDevice(protocol, -1, -1);
  } catch (...) {
    LogWarning("transfer", std::string(what) + " failed at " + std::to_string(model.GetProgress()) +
                               " %: " + DescribeCurrentException());
    throw;
  }
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  LogInfo("transfer", std::string(what) + " completed in " + std::to_string(ms) + " ms");
}

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
    TransferWholeSet(m_protocol, m_model, m_upload);
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
