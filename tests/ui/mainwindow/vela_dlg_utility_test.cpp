// The utility buttons of the main window and its trend graph view, with real
// widgets on the offscreen platform against a simulated instrument.
#include "../event_pump.h"
#include "../modal_driver.h"
#include "ui/tools/input_dialog.h"
#include "ui/mainwindow/parameter_list_ctrl.h"
#include "ui/mainwindow/vela_dlg.h"

#include "ui/instruments/graph.h"
#include "ui/instruments/graph_ctrl.h"
#include "ui/instruments/meter_ctrl.h"
#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/model/par_base.h"
#include "core/resources/language_module.h"
#include "ui/app/qt_ui_host.h"
#include "core/resources/settings_store.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "scripted_ui_host.h"
#include "test_env.h"
#include "wait_for.h"
#include "core/workers/update_io_thread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

constexpr int IDC_GRAPH_START = 1039;
constexpr int IDC_GRAPH_CLOSE = 1041;

class VelaDlgUtilityTest : public ::testing::Test {
protected:
  VelaDlgUtilityTest() : m_language(m_store, VELA_BIN_DIR) { m_language.Load(0); }

  std::unique_ptr<CVELADlg> Open(bool online) {
    auto dlg = std::make_unique<CVELADlg>(m_language);
    dlg->Create();
    dlg->show();
    dlg->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    if (online) {
      SimOptions options;
      options.registerPort = false;
      options.inputPercent = 37.5;
      m_sim = std::make_unique<CKT5RSSimulator>(options);
      m_sim->Start();
      auto comm = std::make_unique<CCommInterface>();
      comm->OpenDevice(m_sim->DevicePath());
      // As the connect leaves it: group 1 selected, whether or not the
      // poller's first cycle comes before the first utility.
      comm->SelectGroup(1);
      dlg->TakeConnection(std::move(comm));
      EXPECT_TRUE(dlg->IsOnline());
    }
    return dlg;
  }

  static QPushButton *Button(const CVELADlg &dlg, int id) { return FindControl<QPushButton>(dlg.Client(), id); }
  static QPushButton *Slot(const CVELADlg &dlg, int slot) { return Button(dlg, CVELADlg::kUtilityButtons[slot]); }
  static bool MainViewShown(const CVELADlg &dlg) {
    return dlg.List()->isVisible() && Slot(dlg, 0)->isVisible() && dlg.Panel(0)->isVisible();
  }
  // The value column as the list shows it, and as the model has it.
  static Lines ListValues(const CVELADlg &dlg) {
    Lines texts;
    for (int row = 0; row < dlg.List()->rowCount(); ++row)
      texts.push_back(dlg.List()->RowText(row, 1).toStdString());
    return texts;
  }
  static Lines ModelValues(const CVELADlg &dlg) {
    Lines texts;
    for (int row = 0; row < dlg.Model()->GetItemCount(dlg.SelectedBlock()); ++row)
      texts.push_back(dlg.Model()->GetValueText(dlg.SelectedBlock(), row));
    return texts;
  }

  ScopedTestHome m_home;
  CScriptedUIHost m_host;
  CMemorySettingsStore m_store;
  CLanguageModule m_language;
  std::unique_ptr<CKT5RSSimulator> m_sim;
};

TEST_F(VelaDlgUtilityTest, TrendGraphRecordsTheBlocksLiveValueAndCloseBringsBackTheMainView) {
  auto dlg = Open(true);
  dlg->SelectBlock(2);
  Slot(*dlg, 3)->click();
  QPointer<CGraphCtrl> panel = dlg->GraphPanel();
  ASSERT_TRUE(panel);
  EXPECT_EQ(panel->GetChannel(), 1);
  EXPECT_EQ(panel->geometry(), dlg->rect());
  EXPECT_TRUE(panel->isVisible());
  EXPECT_FALSE(dlg->List()->isVisible() || dlg->Panel(2)->isVisible());

  // The chart samples whatever the poller last published: let its first cycle finish
  // before recording, or a fast tick takes the empty value from before it.
  ASSERT_TRUE(Pump([&] { return dlg->Poller()->GetLiveValue(1) != 0.0; }));
  panel->SetTickInterval(20);
  FindControl<QPushButton>(panel, IDC_GRAPH_START)->click();
  const CGraphSamples &samples = panel->Graph()->Logic().Samples();
  ASSERT_TRUE(Pump([&] { return samples.Size() >= 2; }));
  EXPECT_NEAR(samples.At(1).y, 37.5, 0.01);

  // The keys of the hidden buttons stay quiet: Alt+3 would reset the input
  // calibration behind the chart.
  m_sim->ClearTranscript();
  QTest::keyClick(dlg.get(), Qt::Key_3, Qt::AltModifier);
  const Lines sent = m_sim->Commands();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "I16"), 0);
  EXPECT_EQ(dlg->GraphPanel(), panel.data());

  FindControl<QPushButton>(panel, IDC_GRAPH_CLOSE)->click();
  EXPECT_EQ(dlg->GraphPanel(), nullptr);
  // Outside an event loop of its own the test hands the deferred deletion on.
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(panel.isNull());
  EXPECT_TRUE(MainViewShown(*dlg));
  EXPECT_EQ(dlg->SelectedBlock(), 2);
  EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(VelaDlgUtilityTest, DisconnectWhileTheTrendGraphIsShownClosesIt) {
  auto dlg = Open(true);
  dlg->SelectBlock(1);
  Slot(*dlg, 3)->click();
  QPointer<CGraphCtrl> panel = dlg->GraphPanel();
  ASSERT_TRUE(panel);
  EXPECT_EQ(panel->GetChannel(), 0);
  // The instrument falls silent and the question is answered No.
  m_sim->SetFault(SimFault::Silence);
  ASSERT_TRUE(Pump([&] { return !dlg->IsOnline() && panel.isNull(); }));
  EXPECT_TRUE(MainViewShown(*dlg));
  EXPECT_EQ(dlg->SelectedBlock(), 1);
}

TEST_F(VelaDlgUtilityTest, OfflineTrendGraphOnlySaysSoAndAKeyOfADisabledSlotDoesNothing) {
  auto dlg = Open(false);
  dlg->SelectBlock(3);
  QTest::keyClick(dlg.get(), Qt::Key_2, Qt::AltModifier);
  ASSERT_EQ(m_host.Messages().size(), 1u);
  EXPECT_EQ(m_host.Messages()[0].text, LoadString(IDS_ONLY_ONLINE));
  EXPECT_EQ(m_host.Messages()[0].style & 0xF0, unsigned(MB_ICONERROR));
  EXPECT_EQ(dlg->GraphPanel(), nullptr);
  EXPECT_TRUE(MainViewShown(*dlg));

  ASSERT_FALSE(Slot(*dlg, 2)->isEnabled());
  QTest::keyClick(dlg.get(), Qt::Key_3, Qt::AltModifier);
  EXPECT_EQ(m_host.Messages().size(), 1u);
}

TEST_F(VelaDlgUtilityTest, FineZeroRunsWholeUnderTheLinkLockAndRefreshesTheList) {
  auto dlg = Open(true);
  dlg->SelectBlock(1);
  const Lines before = ListValues(*dlg);
  m_host.AnswerPrompts({"4.000"});
  m_sim->ClearTranscript();
  Slot(*dlg, 0)->click();

  const Lines sent = m_sim->Commands();
  const auto zero = std::find(sent.begin(), sent.end(), "DZ4.000");
  ASSERT_NE(zero, sent.end());
  EXPECT_EQ(*(zero - 1), "I31") << "no poll between the item and its write";
  EXPECT_TRUE(m_host.Messages().empty());
  EXPECT_EQ(ListValues(*dlg), ModelValues(*dlg));
  EXPECT_NE(ListValues(*dlg), before);
}

TEST_F(VelaDlgUtilityTest, CommunicationFailureIsShownAndLeavesTheViewAndTheConnection) {
  auto dlg = Open(true);
  dlg->SelectBlock(1);
  // A value the model takes but the list has not shown yet.
  dlg->Model()->SetValueString(1, 0, "7.5");
  {
    // Holding the line keeps the poller from meeting the fault first.
    CLinkLock hold = dlg->Poller()->ScopedLock();
    // The model check before the reset's question meets the fault.
    m_sim->SetFault(SimFault::NulInside, 0, 1);
    Slot(*dlg, 2)->click();
  }
  ASSERT_EQ(m_host.Messages().size(), 1u);
  EXPECT_EQ(m_host.Messages()[0].text, LoadString(IDS_RECEIVE_TIMEOUT));
  EXPECT_EQ(m_host.Messages()[0].style & 0xF0, unsigned(MB_ICONERROR));
  EXPECT_NE(ListValues(*dlg), ModelValues(*dlg));
  EXPECT_TRUE(dlg->IsOnline());
  EXPECT_EQ(Button(*dlg, CVELADlg::IDC_CONNECT)->text(), "Disconnect");
}

TEST_F(VelaDlgUtilityTest, AltKeyOfAResetAsksFirstAndNoSendsNothing) {
  auto dlg = Open(true);
  dlg->SelectBlock(1);
  m_sim->ClearTranscript();
  // No (the scripted answer) to the question of Reset Fine Adjustment.
  QTest::keyClick(dlg.get(), Qt::Key_3, Qt::AltModifier);
  ASSERT_EQ(m_host.Messages().size(), 1u);
  EXPECT_EQ(m_host.Messages()[0].style, MB_YESNO | MB_ICONQUESTION);
  EXPECT_NE(m_host.Messages()[0].text.find(LoadString(IDS_UT_FINE_RESET)), std::string::npos);
  const Lines sent = m_sim->Commands();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "I31"), 0);
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "DC"), 0);

  // Yes: the reset goes out, and the answer says what the instrument holds.
  m_host.Clear();
  m_host.AnswerQuestions({IDYES});
  QTest::keyClick(dlg.get(), Qt::Key_3, Qt::AltModifier);
  const Lines after = m_sim->Commands();
  EXPECT_EQ(std::count(after.begin(), after.end(), "DC"), 1);
  ASSERT_EQ(m_host.Messages().size(), 2u);
  EXPECT_EQ(m_host.Messages()[1].style, MB_ICONINFORMATION);
}

TEST_F(VelaDlgUtilityTest, AFixedOutputShowsABannerAndDisconnectAsksToReturnItFirst) {
  auto dlg = Open(true);
  dlg->SelectBlock(5);
  m_host.AnswerLoop({2, 120000});
  Slot(*dlg, 3)->click();
  ASSERT_TRUE(m_sim->FixedOutput()) << m_host.LoopLimitsShown().size() << " loop dialogs, messages: "
                                    << ::testing::PrintToString(m_host.MessageTexts());
  auto *banner = FindControl<QLabel>(dlg->Client(), CVELADlg::IDC_FIXED_OUTPUT);
  ASSERT_TRUE(banner);
  ASSERT_TRUE(Pump([&] { return banner->isVisible() && banner->text().contains("12.0000"); }));
  EXPECT_TRUE(banner->text().startsWith(QString::fromStdString(LoadString(IDS_FIXED_OUTPUT))));
  // Over no other control (the group it sits on aside), and the whole text shows.
  for (QWidget *w : dlg->Client()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
    if (w != banner && w->isVisible() && w->objectName() != QString::number(CVELADlg::IDC_FUNCTION_BLOCK)) {
      EXPECT_FALSE(w->geometry().intersects(banner->geometry())) << w->objectName().toStdString();
    }
  }
  EXPECT_LE(banner->fontMetrics().horizontalAdvance(banner->text()), banner->contentsRect().width());

  // Cancel: still online, the output still held, nothing written.
  QPushButton *connect = Button(*dlg, CVELADlg::IDC_CONNECT);
  m_sim->ClearTranscript();
  m_host.AnswerQuestions({IDCANCEL});
  connect->click();
  EXPECT_TRUE(dlg->IsOnline());
  EXPECT_TRUE(connect->isChecked());
  EXPECT_EQ(m_host.Messages().back().text, LoadString(IDS_FIXED_OUTPUT_RELEASE));
  EXPECT_EQ(m_host.Messages().back().style, MB_YESNOCANCEL | MB_ICONQUESTION);
  Lines sent = m_sim->Commands();
  EXPECT_EQ(std::count(sent.begin(), sent.end(), "I01"), 0);

  // Yes: item 1 goes back to 0 while the port is still open, then the
  // window goes offline and the banner with it.
  m_host.AnswerQuestions({IDYES});
  connect->click();
  EXPECT_FALSE(dlg->IsOnline());
  EXPECT_FALSE(m_sim->FixedOutput());
  sent = m_sim->Commands();
  const auto item1 = std::find(sent.begin(), sent.end(), "I01");
  ASSERT_NE(item1, sent.end());
  EXPECT_EQ(*(item1 + 1), "D0");
  EXPECT_FALSE(banner->isVisible());
}

TEST_F(VelaDlgUtilityTest, NoToTheFixedOutputQuestionLeavesItHeldAndCloseAsksToo) {
  auto dlg = Open(true);
  dlg->SelectBlock(5);
  m_host.AnswerLoop({2, 80000});
  Slot(*dlg, 3)->click();
  ASSERT_TRUE(m_sim->FixedOutput()) << m_host.LoopLimitsShown().size() << " loop dialogs, messages: "
                                    << ::testing::PrintToString(m_host.MessageTexts());
  // Close, answered Cancel, keeps the window; No closes it and leaves the output held.
  m_host.AnswerQuestions({IDCANCEL});
  dlg->close();
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_TRUE(dlg->IsOnline());
  m_host.AnswerQuestions({IDNO});
  dlg->close();
  EXPECT_FALSE(dlg->IsOnline());
  EXPECT_TRUE(m_sim->FixedOutput());
}

TEST_F(VelaDlgUtilityTest, AnOpenSensorShowsItsReadingInTheAlarmColour) {
  auto dlg = Open(true);
  CMeterCtrl *percent = dlg->Panel(2);
  ASSERT_TRUE(Pump([&] { return percent->Value() > 37 && percent->Value() < 38; }));
  EXPECT_EQ(percent->Alarm(), MeterAlarm::None);
  m_sim->SetOpenCircuit(true);
  ASSERT_TRUE(Pump([&] { return percent->Alarm() == MeterAlarm::Above; }));
  auto *box = FindControl<QLineEdit>(percent, CMeterCtrl::IDC_VALUE);
  EXPECT_GT(percent->Value(), 100);
  EXPECT_EQ(box->palette().color(QPalette::Base), CMeterCtrl::AlarmBackground());
  EXPECT_TRUE(percent->toolTip().startsWith("Above range"));
  m_sim->SetOpenCircuit(false);
  ASSERT_TRUE(Pump([&] { return percent->Alarm() == MeterAlarm::None; }));
}

TEST_F(VelaDlgUtilityTest, APolledFailureIsAskedAboutOnlyAfterTheActionEnds) {
  auto dlg = Open(true);
  CQtUIHost host;
  host.SetMainWindow(dlg.get());
  dlg->SelectBlock(1);
  // The poller fails one cycle while no event is handled, so the failure is
  // still unanswered when the button is pressed.
  m_sim->SetFault(SimFault::Silence, 0, 1);
  ASSERT_TRUE(WaitFor([&] { return dlg->Poller()->GetError(); }));

  QElapsedTimer promptShown;
  bool sentBeforeQuestion = false;
  ModalDriver driver({[&](QWidget *modal) {
                        if (!qobject_cast<CInputDialog *>(modal))
                          return false;
                        // Long enough for several ticks of the window's timer.
                        if (!promptShown.isValid())
                          promptShown.start();
                        if (promptShown.elapsed() < 300)
                          return false;
                        FindControl<QLineEdit>(modal, 1025)->setText("4.000");
                        FindControl<QPushButton>(modal, IDOK)->click();
                        return true;
                      },
                      [&](QWidget *modal) {
                        auto *box = qobject_cast<QMessageBox *>(modal);
                        if (!box)
                          return false;
                        const Lines sent = m_sim->Commands();
                        sentBeforeQuestion = std::find(sent.begin(), sent.end(), "DZ4.000") != sent.end();
                        box->button(QMessageBox::No)->click();
                        return true;
                      }});
  Slot(*dlg, 0)->click();
  ASSERT_TRUE(Pump([&] { return driver.Done(); }));
  EXPECT_TRUE(sentBeforeQuestion);
  ASSERT_TRUE(Pump([&] { return !dlg->IsOnline(); }));
}

} // namespace
