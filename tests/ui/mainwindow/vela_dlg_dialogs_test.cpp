// A failing line while one of the window's own dialogs is open: the chart's
// print and save dialogs and its messages, real Qt dialogs driven by a timer.
#include "../event_pump.h"
#include "../modal_driver.h"
#include "ui/mainwindow/parameter_list_ctrl.h"
#include "ui/mainwindow/vela_dlg.h"

#include "ui/instruments/graph_ctrl.h"
#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/resources/language_module.h"
#include "core/resources/settings_store.h"
#include "ui/app/qt_ui_host.h"
#include "ui/resources/template_builder.h"
#include "scripted_ui_host.h"
#include "test_env.h"
#include "core/workers/update_io_thread.h"

#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPrintDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <gtest/gtest.h>

namespace {

constexpr int IDC_GRAPH_START = 1039;
constexpr int IDC_GRAPH_STOP = 1040;
constexpr int IDC_GRAPH_PRINT = 1042;
constexpr int IDC_GRAPH_SAVE = 1043;

class VelaDlgDialogsTest : public ::testing::Test {
protected:
  VelaDlgDialogsTest() : m_language(m_store, VELA_BIN_DIR) { m_language.Load(0); }

  // Online, with the chart of block 2 over the window.
  std::unique_ptr<CVELADlg> OpenChart() {
    auto dlg = std::make_unique<CVELADlg>(m_language);
    dlg->Create();
    dlg->show();
    dlg->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    SimOptions options;
    options.registerPort = false;
    m_sim = std::make_unique<CKT5RSSimulator>(options);
    m_sim->Start();
    auto comm = std::make_unique<CCommInterface>();
    comm->OpenDevice(m_sim->DevicePath());
    dlg->TakeConnection(std::move(comm));
    m_host.SetMainWindow(dlg.get());
    dlg->SelectBlock(2);
    FindControl<QPushButton>(dlg->Client(), CVELADlg::kUtilityButtons[3])->click();
    CGraphCtrl *panel = dlg->GraphPanel();
    EXPECT_NE(panel, nullptr);
    // A recording to print and to save.
    panel->SetTickInterval(20);
    FindControl<QPushButton>(panel, IDC_GRAPH_START)->click();
    QTest::qWait(100);
    FindControl<QPushButton>(panel, IDC_GRAPH_STOP)->click();
    return dlg;
  }

  ScopedTestHome m_home;
  CScriptedUIHost m_scripted;
  CQtUIHost m_host; // installed over the scripted one: real message boxes
  CMemorySettingsStore m_store;
  CLanguageModule m_language;
  std::unique_ptr<CKT5RSSimulator> m_sim;
};

// Which of the chart's windows is open when the line fails.
enum class Over { PrintDialog, SaveDialog, SaveFailedMessage };

TEST_F(VelaDlgDialogsTest, AFailureIsAskedAboutOnlyAfterTheChartsDialogClosesAndNoThenEndsCleanly) {
  for (Over over : {Over::PrintDialog, Over::SaveDialog, Over::SaveFailedMessage}) {
    SCOPED_TRACE(static_cast<int>(over));
    auto dlg = OpenChart();
    QPointer<CGraphCtrl> panel = dlg->GraphPanel();
    ASSERT_TRUE(panel);

    auto isTheDialog = [&](QWidget *modal) -> QDialog * {
      switch (over) {
      case Over::PrintDialog:
        return qobject_cast<QPrintDialog *>(modal);
      case Over::SaveDialog:
        return qobject_cast<QFileDialog *>(modal);
      case Over::SaveFailedMessage:
        if (auto *files = qobject_cast<QFileDialog *>(modal)) {
          // Inside a file, not a folder: the save must fail.
          std::ofstream(m_home.File("plain")) << "x";
          files->selectFile(QString::fromStdString(m_home.File("plain") + "/chart.png"));
          static_cast<QDialog *>(files)->done(QDialog::Accepted);
          return nullptr;
        }
        return qobject_cast<QMessageBox *>(modal);
      }
      return nullptr;
    };
    bool askedOverTheDialog = false;
    QElapsedTimer sinceFailure;
    QPointer<QDialog> dialog;
    ModalDriver driver(
        {[&](QWidget *modal) {
           if (QDialog *open = isTheDialog(modal)) {
             if (!dialog) {
               dialog = open;
               m_sim->SetFault(SimFault::Silence);
             }
             if (!dlg->Poller()->GetError())
               return false;
             // Several ticks of the window's timer with the failure pending.
             if (!sinceFailure.isValid())
               sinceFailure.start();
             if (sinceFailure.elapsed() < 400)
               return false;
             open->reject();
             return true;
           }
           if (auto *box = qobject_cast<QMessageBox *>(modal); box && dialog && box != dialog) {
             askedOverTheDialog = true;
             box->button(QMessageBox::No)->click();
           }
           return false;
         },
         [&](QWidget *modal) {
           auto *box = qobject_cast<QMessageBox *>(modal);
           if (!box || !box->button(QMessageBox::No))
             return false;
           box->button(QMessageBox::No)->click();
           return true;
         }},
        20000);
    const int button = over == Over::PrintDialog ? IDC_GRAPH_PRINT : IDC_GRAPH_SAVE;
    QTimer::singleShot(0, FindControl<QPushButton>(panel, button), &QPushButton::click);
    ASSERT_TRUE(Pump([&] { return driver.Done(); }, 25000));
    EXPECT_FALSE(askedOverTheDialog);
    ASSERT_TRUE(Pump([&] { return !dlg->IsOnline() && !panel; }));
    EXPECT_TRUE(dlg->List()->isVisible());
  }
}

TEST_F(VelaDlgDialogsTest, ADisconnectUnderTheChartsPrintDialogTakesTheChartAwayOnlyAfterIt) {
  auto dlg = OpenChart();
  QPointer<CGraphCtrl> panel = dlg->GraphPanel();
  bool panelKeptUnderTheDialog = false;
  ModalDriver driver({[&](QWidget *modal) {
    auto *print = qobject_cast<QPrintDialog *>(modal);
    if (!print)
      return false;
    dlg->Disconnect();
    // Deletions asked for inside this loop would run here.
    QApplication::processEvents();
    panelKeptUnderTheDialog = panel && print->isVisible();
    print->reject();
    return true;
  }});
  QTimer::singleShot(0, FindControl<QPushButton>(panel, IDC_GRAPH_PRINT), &QPushButton::click);
  ASSERT_TRUE(Pump([&] { return driver.Done(); }));
  EXPECT_TRUE(panelKeptUnderTheDialog);
  EXPECT_FALSE(dlg->IsOnline());
  EXPECT_TRUE(Pump([&] { return !panel; }));
  EXPECT_TRUE(dlg->List()->isVisible());
}

TEST_F(VelaDlgDialogsTest, TheKeysOfTheButtonsTheChartHidesDoNothing) {
  auto dlg = OpenChart();
  QPointer<CGraphCtrl> panel = dlg->GraphPanel();
  m_sim->ResetWriteCounts();
  // Any window a key opens would hold the key press: it is noted and closed.
  QStringList opened;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
      opened << modal->metaObject()->className();
      modal->reject();
    }
  });
  watch.start(20);
  for (Qt::Key key : {Qt::Key_C, Qt::Key_O, Qt::Key_S, Qt::Key_U, Qt::Key_D, Qt::Key_P, Qt::Key_L})
    QTest::keyClick(dlg.get(), key, Qt::AltModifier);
  QTest::qWait(300);
  EXPECT_TRUE(opened.isEmpty()) << opened.join(' ').toStdString();
  EXPECT_EQ(m_sim->WriteCounts().accepted + m_sim->WriteCounts().refused, 0);
  EXPECT_TRUE(dlg->IsOnline());
  EXPECT_EQ(dlg->GraphPanel(), panel.data());
  EXPECT_TRUE(dlg->isVisible());
}

} // namespace
