// A termination signal while the output fine adjustment waits for the
// measured value: the real handler, window, prompt and simulated instrument.
#include "../event_pump.h"
#include "../modal_driver.h"
#include "ui/app/termination.h"
#include "ui/mainwindow/vela_dlg.h"
#include "ui/tools/input_dialog.h"

#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/resources/language_module.h"
#include "core/resources/settings_store.h"
#include "ui/app/qt_ui_host.h"
#include "ui/resources/template_builder.h"
#include "scripted_ui_host.h"
#include "test_env.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

using Lines = std::vector<std::string>;

class TerminationTest : public ::testing::TestWithParam<int> {
protected:
  TerminationTest() : m_language(m_store, VELA_BIN_DIR) { m_language.Load(0); }

  ScopedTestHome m_home;
  CScriptedUIHost m_scripted;
  CQtUIHost m_host;
  CMemorySettingsStore m_store;
  CLanguageModule m_language;
};

TEST_P(TerminationTest, ASignalUnderTheOutputFineZeroPromptLeavesTheAdjustModeAndClosesWithTheLineFree) {
  QObject owner;
  HandleTerminationRequests(&owner, CloseMainWindow);
  SimOptions options;
  options.registerPort = false;
  CKT5RSSimulator sim(options);
  sim.Start();

  CVELADlg dlg(m_language);
  dlg.Create();
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  auto comm = std::make_unique<CCommInterface>();
  comm->OpenDevice(sim.DevicePath());
  // As the connect leaves it: group 1 selected, whether or not the poller's
  // first cycle comes before the utility.
  comm->SelectGroup(1);
  dlg.TakeConnection(std::move(comm));
  m_host.SetMainWindow(&dlg);
  dlg.SelectBlock(5);

  QElapsedTimer sinceSignal;
  ModalDriver driver({[&](QWidget *modal) {
    if (!qobject_cast<CInputDialog *>(modal) || sim.OutputAdjustMode() == 0)
      return false;
    sinceSignal.start();
    ::kill(::getpid(), GetParam());
    return true;
  }});
  QTimer::singleShot(0, FindControl<QPushButton>(dlg.Client(), CVELADlg::kUtilityButtons[0]), &QPushButton::click);
  ASSERT_TRUE(Pump([&] { return driver.Done(); }));
  ASSERT_TRUE(Pump([&] { return !dlg.isVisible(); }, 5000));
  EXPECT_LT(sinceSignal.elapsed(), 2000);

  const Lines sent = sim.Commands();
  const auto entered = std::find(sent.begin(), sent.end(), "DZ");
  ASSERT_NE(entered, sent.end());
  EXPECT_EQ(Lines(entered + 1, std::min(entered + 3, sent.end())), (Lines{"I30", "DR"}));
  EXPECT_EQ(sim.OutputAdjustMode(), 0);
  EXPECT_FALSE(dlg.IsOnline());
  // The line is free for the next program.
  CCommInterface next;
  EXPECT_NO_THROW(next.OpenDevice(sim.DevicePath()));
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

} // namespace
