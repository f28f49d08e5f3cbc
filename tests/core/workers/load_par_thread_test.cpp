// The whole-set transfer thread against the instrument simulator: a complete
// upload, a failure stored for the dialog, and a thread object
// that may be dropped while the transfer still runs.
#include "core/workers/load_par_thread.h"

#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/model/par_kt5rs.h"
#include "core/resources/string_ids.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

SimOptions Unregistered(const std::string &model = "KT5RS") {
  SimOptions options;
  options.model = model;
  options.registerPort = false;
  options.inputPercent = 50.0;
  return options;
}

bool WaitFinished(const CLoadParThread &thread, std::chrono::milliseconds timeout = 20000ms) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!thread.IsFinished()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

class TransferThreadTest : public ::testing::Test {
protected:
  void Open(const SimOptions &options) {
    m_sim = std::make_unique<CKT5RSSimulator>(options);
    m_sim->Start();
    m_link.OpenDevice(m_sim->DevicePath());
  }
  std::unique_ptr<CKT5RSSimulator> m_sim;
  CCommInterface m_link;
  CParKT5RS m_model;
};

} // namespace

TEST_F(TransferThreadTest, UploadReadsTheWholeSetOnItsOwnThread) {
  SimOptions options = Unregistered();
  options.serial = "B1234567";
  Open(options);
  SimState state = m_sim->State();
  state.filter = 25000; // 2.5 s
  state.output100 = 100000;
  m_sim->SetState(state);

  CLoadParThread thread(m_link, m_model, true);
  EXPECT_TRUE(thread.IsUpload());
  EXPECT_FALSE(thread.IsFinished());
  EXPECT_EQ(thread.GetError(), nullptr);
  thread.Start();
  ASSERT_TRUE(WaitFinished(thread));
  EXPECT_EQ(thread.GetError(), nullptr);
  thread.Join();
  // The device information is not counted, so a whole set ends a little short of 100 %.
  EXPECT_GE(m_model.GetProgress(), 90);
  EXPECT_EQ(m_model.GetValueString(1, 0), "2.5000");
  EXPECT_EQ(m_model.GetValueString(4, 1), "10.0000");
  EXPECT_EQ(m_model.GetValueString(6, 2), "B1234567");
}

TEST_F(TransferThreadTest, FailureIsStoredNotThrownAndSeenWithTheFlag) {
  Open(Unregistered());
  m_sim->SetFault(SimFault::Silence);
  CLoadParThread thread(m_link, m_model, true);
  thread.Start();
  ASSERT_TRUE(WaitFinished(thread));
  const CException *error = thread.GetError();
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->GetId(), IDS_RECEIVE_TIMEOUT);
  EXPECT_EQ(error->GetErrorMessage(), "Receive command response timeout.");
  EXPECT_EQ(m_model.GetProgress(), 0);
  EXPECT_EQ(m_sim->Commands(), std::vector<std::string>{"G01"});
}

TEST_F(TransferThreadTest, DroppingTheObjectWaitsForItsThread) {
  SimOptions options = Unregistered();
  options.pace = true; // a transfer of some seconds at the real line rate
  Open(options);
  {
    CLoadParThread thread(m_link, m_model, true);
    thread.Start();
    std::this_thread::sleep_for(50ms);
    m_sim->SetFault(SimFault::Silence); // end it soon with a time-out
  }
  // The destructor returned only after the thread was done with the link.
  std::string response;
  m_sim->ClearFault();
  m_sim->ClearTranscript();
  m_link.Transact("G01\r", response);
  EXPECT_EQ(response.rfind("Denter item", 0), 0u);
}
