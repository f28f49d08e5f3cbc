// The progress window of a whole-set transfer on Qt's offscreen platform,
// against the instrument simulator, with the questions answered by a script.
#include "ui/workers/load_dialog.h"

#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/platform/posix/port_map.h"
#include "core/model/par_kt5rs.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "scripted_ui_host.h"
#include "test_env.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

const std::string TimeoutText = "Receive command response timeout.";
const std::string RetryText = "Communication error occurred. Try again?";

// The scripted host, with a look at the window each time a message box opens.
class ProbingHost : public CScriptedUIHost {
public:
  std::function<void(const std::string &text, unsigned style)> onMessage;
  int MessageBox(const std::string &text, unsigned style) override {
    if (onMessage)
      onMessage(text, style);
    return CScriptedUIHost::MessageBox(text, style);
  }
};

SimOptions Options(bool registerPort = false) {
  SimOptions options;
  options.registerPort = registerPort;
  options.inputPercent = 50.0;
  return options;
}

QProgressBar *Bar(const CLoadDialog &dlg) { return dlg.findChild<QProgressBar *>("1024"); }
QLabel *Label(const CLoadDialog &dlg) { return dlg.findChild<QLabel *>("1035"); }

// Records the bar's position every few milliseconds while the dialog runs.
class BarSampler {
public:
  explicit BarSampler(const CLoadDialog &dlg) {
    m_timer.setInterval(5);
    QObject::connect(&m_timer, &QTimer::timeout, [this, &dlg] {
      if (auto *bar = Bar(dlg))
        m_values.push_back(bar->value());
    });
    m_timer.start();
  }
  const std::vector<int> &Values() const { return m_values; }

private:
  QTimer m_timer;
  std::vector<int> m_values;
};

class LoadDialogTest : public ::testing::Test {
protected:
  void Start(const SimOptions &options) {
    m_sim = std::make_unique<CKT5RSSimulator>(options);
    m_sim->Start();
    if (options.registerPort)
      m_link.Open(m_sim->ComNumber());
    else
      m_link.OpenDevice(m_sim->DevicePath());
  }
  std::vector<std::string> Texts() const { return m_host.MessageTexts(); }
  int Count(const std::vector<std::string> &commands, const std::string &command) const {
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
  }

  ScopedTestHome m_home; // the COM port map lives here
  ProbingHost m_host;
  std::unique_ptr<CKT5RSSimulator> m_sim;
  CCommInterface m_link;
  CParKT5RS m_model;
};

} // namespace

TEST_F(LoadDialogTest, UploadFillsTheModelAndEndsWithOk) {
  Start(Options());
  SimState state = m_sim->State();
  state.filter = 45000;
  m_sim->SetState(state);
  CLoadDialog dlg;
  EXPECT_EQ(dlg.windowTitle(), "Communicating");
  ASSERT_NE(Bar(dlg), nullptr);
  ASSERT_NE(Label(dlg), nullptr);
  EXPECT_TRUE(dlg.Upload(&m_link, &m_model));
  EXPECT_EQ(Label(dlg)->text(), "Uploading now");
  EXPECT_EQ(m_model.GetValueString(1, 0), "4.5000");
  EXPECT_TRUE(m_host.Messages().empty());
  EXPECT_EQ(dlg.Attempts(), 1);
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

TEST_F(LoadDialogTest, DownloadWritesTheInstrumentUnderItsOwnLabel) {
  Start(Options());
  m_model.SetValueString(4, 1, "16.0");
  CLoadDialog dlg;
  EXPECT_TRUE(dlg.Download(&m_link, &m_model));
  EXPECT_EQ(Label(dlg)->text(), "Downloading now");
  EXPECT_EQ(m_sim->State().output100, 160000);
}

TEST_F(LoadDialogTest, TransferFasterThanOneTickEndsOnTheNextTickAtTheFinalPercentage) {
  Start(Options()); // unpaced: the whole set takes a few tens of milliseconds
  CLoadDialog dlg;
  EXPECT_TRUE(dlg.Upload(&m_link, &m_model));
  // Only a tick moves the bar; it shows what the model counted in the end.
  EXPECT_GT(m_model.GetProgress(), 0);
  EXPECT_EQ(Bar(dlg)->value(), m_model.GetProgress());
  EXPECT_EQ(dlg.Attempts(), 1);
}

TEST_F(LoadDialogTest, FailureOnTheFirstCommandShowsItsTextThenTheQuestionAndNoReturnsFalse) {
  Start(Options());
  m_sim->SetFault(SimFault::Silence, 0, 1);
  m_host.AnswerQuestions({IDNO});
  CLoadDialog dlg;
  EXPECT_FALSE(dlg.Upload(&m_link, &m_model));
  auto shown = m_host.Messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, TimeoutText);
  EXPECT_EQ(shown[0].style, MB_OK);
  EXPECT_EQ(shown[1].text, RetryText);
  EXPECT_EQ(shown[1].style, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(dlg.Attempts(), 1);
  EXPECT_EQ(dlg.result(), QDialog::Rejected);
  EXPECT_EQ(m_sim->Commands(), std::vector<std::string>{"G01"});
}

TEST_F(LoadDialogTest, YesRestartsTheWholeTransferFromZeroAndCompletes) {
  Start(Options());
  m_sim->SetTurnaround(2); // slow enough for the bar to be watched
  m_sim->SetFault(SimFault::Silence, 120, 1);
  m_host.AnswerQuestions({IDYES});
  CLoadDialog dlg;
  BarSampler sampler(dlg);
  std::size_t samplesAtQuestion = 0;
  int barAtQuestion = -1;
  m_host.onMessage = [&](const std::string &text, unsigned) {
    if (text == RetryText) {
      barAtQuestion = Bar(dlg)->value();
      samplesAtQuestion = sampler.Values().size();
    }
  };
  EXPECT_TRUE(dlg.Upload(&m_link, &m_model));
  EXPECT_EQ(Texts(), (std::vector<std::string>{TimeoutText, RetryText}));
  EXPECT_EQ(dlg.Attempts(), 2);
  ASSERT_GT(barAtQuestion, 10) << "the failure should come well into the transfer";
  // After the restart the bar starts again from the reset counter.
  const auto &values = sampler.Values();
  ASSERT_GT(values.size(), samplesAtQuestion);
  int lowestAfter = *std::min_element(values.begin() + samplesAtQuestion, values.end());
  EXPECT_LT(lowestAfter, barAtQuestion);
  EXPECT_EQ(Bar(dlg)->value(), m_model.GetProgress());
  // Both attempts began with the group selection and the model check.
  EXPECT_EQ(Count(m_sim->Commands(), "G01"), 2);
}

TEST_F(LoadDialogTest, PortThatCannotBeReopenedIsShownWithAnErrorIconAndTheQuestionComesAgain) {
  SimOptions options = Options(true);
  // Longer than the second that Reopen gives an adapter to come back.
  options.reopenAfterHangupMs = 1500;
  Start(options);
  const int com = m_sim->ComNumber();
  m_sim->SetFault(SimFault::HangUp, 0, 1);
  m_host.AnswerQuestions({IDYES, IDYES});
  int questions = 0;
  std::chrono::steady_clock::time_point firstQuestion;
  m_host.onMessage = [&](const std::string &text, unsigned) {
    if (text != RetryText)
      return;
    if (++questions == 1)
      firstQuestion = std::chrono::steady_clock::now();
    // Before the second Yes, give the instrument time to come back on its
    // port. Its old device may meanwhile belong to someone else, so the port
    // being there again is not enough.
    if (questions == 2) {
      std::this_thread::sleep_until(firstQuestion + 1800ms);
      std::string device;
      for (int i = 0; i < 300 && !CComPortMap().TryResolve(com, device); ++i)
        std::this_thread::sleep_for(10ms);
    }
  };
  CLoadDialog dlg;
  EXPECT_TRUE(dlg.Upload(&m_link, &m_model));
  auto shown = m_host.Messages();
  ASSERT_EQ(shown.size(), 4u) << ::testing::PrintToString(Texts());
  EXPECT_EQ(shown[0].text, TimeoutText);
  EXPECT_EQ(shown[1].text, RetryText);
  // Message 305, with the reason the link adds.
  EXPECT_EQ(shown[2].text.rfind("Communication port COM" + std::to_string(com), 0), 0u) << shown[2].text;
  EXPECT_NE(shown[2].text.find("can not be opened."), std::string::npos) << shown[2].text;
  EXPECT_EQ(shown[2].style, MB_ICONERROR);
  EXPECT_EQ(shown[3].text, RetryText);
  EXPECT_EQ(shown[3].style, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(dlg.Attempts(), 2);
}

TEST_F(LoadDialogTest, ReopenFailureThenNoEndsWithFalse) {
  SimOptions options = Options(true);
  options.reopenAfterHangupMs = -1; // stays away
  Start(options);
  m_sim->SetFault(SimFault::HangUp, 0, 1);
  m_host.AnswerQuestions({IDYES, IDNO});
  CLoadDialog dlg;
  EXPECT_FALSE(dlg.Upload(&m_link, &m_model));
  auto shown = m_host.Messages();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[2].style, MB_ICONERROR);
  EXPECT_EQ(shown[3].text, RetryText);
  EXPECT_EQ(dlg.Attempts(), 1);
}

TEST_F(LoadDialogTest, EscapeAndCloseAreIgnoredWhileTheTransferRuns) {
  Start(Options());
  m_sim->SetTurnaround(2);
  CLoadDialog dlg;
  bool visibleAfter = false;
  QTimer::singleShot(80, &dlg, [&] {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &press);
    dlg.close();
    dlg.reject();
    visibleAfter = dlg.isVisible();
  });
  EXPECT_TRUE(dlg.Upload(&m_link, &m_model));
  EXPECT_TRUE(visibleAfter);
  EXPECT_GT(m_model.GetProgress(), 90);
}

TEST_F(LoadDialogTest, MissingInterfaceOrModelReturnsFalseWithoutThrowing) {
  CLoadDialog dlg;
  EXPECT_FALSE(dlg.Upload(nullptr, &m_model));
  EXPECT_FALSE(dlg.Download(&m_link, nullptr));
  EXPECT_EQ(dlg.Attempts(), 0);
}
