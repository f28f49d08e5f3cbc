// One whole-set transfer (every parameter, in one direction) on a thread of
// its own, so the progress dialog can keep the window alive meanwhile.
//
// The dialog owns the object; the interface and the model are lent for the
// object's lifetime and must outlive it. The destructor waits for the thread,
// so nothing the transfer uses is released while it still runs.
#pragma once

#include "core/resources/exception.h"

#include <atomic>
#include <optional>
#include <thread>

class CCommInterface;
class CParBase;

// One whole upload (read the instrument into the model) or download, on the
// calling thread, noted in the log with its duration or its failure.
void TransferWholeSet(CCommInterface &protocol, CParBase &model, bool upload);

class CLoadParThread {
public:
  // upload: read the instrument into the model; otherwise write the model
  // to the instrument.
  CLoadParThread(CCommInterface &protocol, CParBase &model, bool upload);
  ~CLoadParThread(); // Join()
  CLoadParThread(const CLoadParThread &) = delete;
  CLoadParThread &operator=(const CLoadParThread &) = delete;

  void Start();
  // True once the transfer has ended, with or without a failure. Everything
  // the transfer did, its failure included, is visible to the caller then.
  bool IsFinished() const { return m_finished.load(std::memory_order_acquire); }
  // The failure of a finished transfer; nullptr while it runs or when it
  // completed.
  const CException *GetError() const;
  // Waits until the thread has ended.
  void Join();

  bool IsUpload() const { return m_upload; }

private:
  void Run();

  CCommInterface &m_protocol;
  CParBase &m_model;
  const bool m_upload;
  std::optional<CException> m_error; // written by the thread before m_finished
  std::atomic<bool> m_finished{false};
  std::thread m_thread;
};
