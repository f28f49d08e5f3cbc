// The main window's device and file commands as a technician uses them,
// against a simulated KT5RS on a pseudo-terminal: connecting, edits that go
// to the instrument, the one-shot transfers, compare, configuration files,
// and what the line and the port are left like after every failure.
#include "../event_pump.h"
#include "ui/mainwindow/edit_combo_box.h"
#include "ui/mainwindow/edit_text.h"
#include "ui/tools/input_dialog.h"
#include "ui/mainwindow/parameter_list_ctrl.h"
#include "ui/mainwindow/vela_dlg.h"

#include "../modal_driver.h"
#include "ui/instruments/graph.h"
#include "ui/instruments/graph_ctrl.h"
#include "ui/instruments/meter_ctrl.h"
#include "kt5rs_simulator.h"
#include "ui/link/com_dialog.h"
#include "core/link/comm_interface.h"
#include "ui/model/compare_dialog.h"
#include "core/model/par_base.h"
#include "core/model/par_kt5rs.h"
#include "core/model/par_kt7w.h"
#include "core/resources/language_module.h"
#include "core/resources/message_format.h"
#include "ui/app/qt_ui_host.h"
#include "core/resources/settings_store.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "scripted_ui_host.h"
#include "test_env.h"
#include "ui/workers/load_dialog.h"
#include "core/workers/update_io_thread.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QDate>
#include <QPushButton>
#include <QRectF>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <gtest/gtest.h>
#include <thread>

namespace {

using Lines = std::vector<std::string>;
using Step = ModalDriver::Step;

// Every value of the set, as the list shows it.
Lines Snapshot(const CParBase &model) {
  Lines values;
  for (int block = 0; model.GetItemCount(block) > 0; ++block)
    for (int item = 0; item < model.GetItemCount(block); ++item)
      values.push_back(model.GetValueString(block, item));
  return values;
}

// The lines from the first command equal to first on.
Lines From(const Lines &lines, const std::string &first) {
  auto at = std::find(lines.begin(), lines.end(), first);
  return Lines(at, lines.end());
}

// Closes every modal window that shows up; a command that should show none
// must leave the count at 0.
struct ModalSentry {
  ModalSentry() {
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (QWidget *modal = QApplication::activeModalWidget()) {
        ++seen;
        modal->close();
      }
    });
    timer.start();
  }
  QTimer timer;
  int seen = 0;
};

class VelaDlgCommandsTest : public ::testing::Test {
protected:
  VelaDlgCommandsTest() : m_language(m_store, VELA_BIN_DIR) {
    m_language.Load(0);
    SetSettingsStore(&m_store);
  }
  ~VelaDlgCommandsTest() override { SetSettingsStore(nullptr); }

  void StartSim(SimOptions options = {}) {
    options.inputPercent = 50.0;
    m_sim = std::make_unique<CKT5RSSimulator>(options);
    m_sim->Start();
  }

  std::unique_ptr<CVELADlg> Open() {
    auto dlg = std::make_unique<CVELADlg>(m_language);
    dlg->Create();
    dlg->show();
    dlg->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    return dlg;
  }

  static QPushButton *Button(const CVELADlg &dlg, int id) {
    return FindControl<QPushButton>(dlg.Client(), id);
  }
  static CParameterListCtrl &List(const CVELADlg &dlg) { return *dlg.List(); }

  // The simulator's entry in the COM port dialog, then OK (or Enter).
  Step ChoosePort(bool enter = false) {
    return [this, enter](QWidget *modal) {
      auto *dlg = qobject_cast<CComDialog *>(modal);
      if (!dlg)
        return false;
      auto *combo = dlg->findChild<QComboBox *>("1022");
      const int index = combo->findText(QString::fromStdString(m_sim->DevicePath() + " (" + m_sim->ComName() + ")"));
      if (index < 0)
        return false;
      combo->setCurrentIndex(index);
      if (enter)
        QTest::keyClick(dlg, Qt::Key_Return);
      else
        dlg->findChild<QPushButton *>("1")->click();
      return true;
    };
  }
  static Step CancelPort() {
    return [](QWidget *modal) {
      if (!qobject_cast<CComDialog *>(modal))
        return false;
      modal->findChild<QPushButton *>("2")->click();
      return true;
    };
  }
  static Step PickFile(const std::string &path) {
    return [path](QWidget *modal) {
      auto *files = qobject_cast<QFileDialog *>(modal);
      if (!files)
        return false;
      files->selectFile(QString::fromStdString(path));
      QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
      return true;
    };
  }
  // Reads the compare result off its window, then closes it.
  struct CompareSeen {
    std::string summary;
    std::vector<int> redRows;
    bool firstRedInView = false;
  };
  static Step ReadCompare(CompareSeen &seen) {
    return [&seen](QWidget *modal) {
      auto *dlg = qobject_cast<CCompareDialog *>(modal);
      if (!dlg)
        return false;
      seen.summary = dlg->findChild<QLabel *>("1035")->text().toStdString();
      auto *list = dlg->findChild<QTableWidget *>("1062");
      for (int r = 0; r < list->rowCount(); ++r)
        if (list->item(r, 2)->background().color() == CCompareDialog::DifferBackground() &&
            list->item(r, 2)->foreground().color() == CCompareDialog::DifferText())
          seen.redRows.push_back(r);
      if (!seen.redRows.empty())
        seen.firstRedInView =
            list->viewport()->rect().contains(list->visualItemRect(list->item(seen.redRows.front(), 1)));
      dlg->findChild<QPushButton *>("2")->click();
      return true;
    };
  }

  void Press(CVELADlg &dlg, int id, std::initializer_list<Step> steps) {
    ModalDriver driver(steps);
    Button(dlg, id)->click();
    EXPECT_TRUE(driver.Done()) << "button " << id;
  }
  void Connect(CVELADlg &dlg) {
    Press(dlg, CVELADlg::IDC_CONNECT, {ChoosePort()});
    ASSERT_TRUE(dlg.IsOnline());
  }

  // Types text into the value cell of row and presses Enter.
  static void EditText(CVELADlg &dlg, int block, int row, const QString &text) {
    dlg.SelectBlock(block);
    QTest::mouseClick(List(dlg).viewport(), Qt::LeftButton, {}, List(dlg).ValueCellRect(row).center());
    auto *editor = List(dlg).viewport()->findChild<CEditText *>("10000");
    ASSERT_TRUE(editor->isVisible());
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
  }

  // Another thread gets the link mutex: nobody was left holding it.
  static bool MutexFree(CVELADlg &dlg) {
    bool locked = false;
    std::thread([&] {
      locked = dlg.Poller()->Mutex().Lock(std::chrono::milliseconds(3000));
      if (locked)
        dlg.Poller()->Mutex().Unlock();
    }).join();
    return locked;
  }
  // ... and the port opens: no interface is left either.
  void ExpectLineFree(CVELADlg &dlg) {
    EXPECT_TRUE(MutexFree(dlg));
    CCommInterface probe;
    EXPECT_NO_THROW(probe.OpenDevice(m_sim->DevicePath()));
  }

  Lines Texts() const { return m_host.MessageTexts(); }

  ScopedTestHome m_home;
  CScriptedUIHost m_host;
  CMemorySettingsStore m_store;
  CLanguageModule m_language;
  std::unique_ptr<CKT5RSSimulator> m_sim;
};

constexpr int kFilterRow = 0;        // block 1: Filter time constant
constexpr int kTablePointItem = 150; // block 3: X[74] of the user table

TEST_F(VelaDlgCommandsTest, CancelledPortAndAnotherModelLeaveTheWindowOfflineWithItsSet) {
  SimOptions other;
  other.model = "KT7W";
  StartSim(other);
  auto dlg = Open();
  dlg->Model()->SetValueString(1, kFilterRow, "2.5");
  const Lines before = Snapshot(*dlg->Model());

  Press(*dlg, CVELADlg::IDC_CONNECT, {CancelPort()});
  EXPECT_FALSE(Button(*dlg, CVELADlg::IDC_CONNECT)->isChecked());
  EXPECT_EQ(Button(*dlg, CVELADlg::IDC_CONNECT)->text(), "Connect");
  EXPECT_TRUE(m_sim->Commands().empty());
  EXPECT_TRUE(m_host.Messages().empty());

  // The instrument is not a KT5RS: the transfer says so, No to trying again.
  Press(*dlg, CVELADlg::IDC_CONNECT, {ChoosePort()});
  EXPECT_EQ(Texts(), (Lines{LoadString(IDS_DEVICE_NOT_SUPPORTED), LoadString(IDS_COMM_ERROR_RETRY)}));
  EXPECT_FALSE(dlg->IsOnline());
  EXPECT_FALSE(Button(*dlg, CVELADlg::IDC_CONNECT)->isChecked());
  EXPECT_EQ(Button(*dlg, CVELADlg::IDC_CONNECT)->text(), "Connect");
  EXPECT_EQ(Snapshot(*dlg->Model()), before) << "a failed connect keeps the user's set";
  EXPECT_EQ(m_sim->WriteCounts().accepted, 0);
  ExpectLineFree(*dlg);
}

TEST_F(VelaDlgCommandsTest, KeyboardConnectShowsLiveValuesAndEditsReachTheInstrument) {
  StartSim();
  auto dlg = Open();
  {
    ModalDriver driver({ChoosePort(true)});
    QTest::keyClick(dlg.get(), Qt::Key_C, Qt::AltModifier);
    ASSERT_TRUE(driver.Done());
  }
  ASSERT_TRUE(dlg->IsOnline());
  QPushButton *connect = Button(*dlg, CVELADlg::IDC_CONNECT);
  EXPECT_TRUE(connect->isChecked());
  EXPECT_EQ(connect->text(), "Disconnect");
  EXPECT_NE(connect->toolTip().indexOf(QString::fromStdString(m_sim->ComName())), -1)
      << connect->toolTip().toStdString();
  EXPECT_NE(connect->toolTip().indexOf(QString::fromStdString(m_sim->DevicePath())), -1);
  EXPECT_EQ(dlg->Model()->GetValueString(6, 0), "KT5RS");
  // The meters follow the instrument.
  auto *value = FindControl<QLineEdit>(dlg->Panel(2), CMeterCtrl::IDC_VALUE);
  ASSERT_TRUE(Pump([&] { return value->text().toDouble() > 40.0 && value->text().toDouble() < 60.0; }));
  m_sim->SetInputPercent(80.0);
  ASSERT_TRUE(Pump([&] { return value->text().toDouble() > 75.0; }));

  // A decimal: the edit switch is asked, the item written and read back.
  m_sim->ClearTranscript();
  EditText(*dlg, 1, kFilterRow, "2.5");
  Lines sent = From(m_sim->Commands(), "G99");
  ASSERT_GE(sent.size(), 6u);
  EXPECT_EQ(Lines(sent.begin(), sent.begin() + 4), (Lines{"G99", "I07", "DW", "G01"}));
  EXPECT_NE(std::find(sent.begin(), sent.end(), "D2.5000"), sent.end());
  EXPECT_EQ(m_sim->State().filter, 25000);
  EXPECT_EQ(List(*dlg).RowText(kFilterRow, 1), "2.5000");

  // A choice through the list editor.
  dlg->SelectBlock(0);
  auto *combo = List(*dlg).viewport()->findChild<CEditComboBox *>("10001");
  QTest::mouseClick(List(*dlg).viewport(), Qt::LeftButton, {}, List(*dlg).ValueCellRect(0).center());
  ASSERT_TRUE(Pump([&] { return combo->view()->isVisible(); }));
  QTest::keyClick(combo->view(), Qt::Key_Down);
  QTest::keyClick(combo->view(), Qt::Key_Return);
  ASSERT_TRUE(Pump([&] { return m_sim->State().inputType == 1; }));
  EXPECT_EQ(List(*dlg).RowText(0, 1).toStdString(), dlg->Model()->GetValueText(0, 0));
  EXPECT_TRUE(m_host.Messages().empty());

  // SW2-8 off: the switch's message, nothing written, the old value stays.
  m_sim->SetSw28(false);
  m_sim->ResetWriteCounts();
  EditText(*dlg, 1, kFilterRow, "4");
  EXPECT_EQ(Texts(), Lines{LoadString(IDS_EDIT_SWITCH_OFF)});
  EXPECT_EQ(m_sim->WriteCounts().accepted + m_sim->WriteCounts().refused, 0);
  EXPECT_EQ(List(*dlg).RowText(kFilterRow, 1), "2.5000");
  m_sim->SetSw28(true);

  // The write meets silence: Yes reopens and repeats, No goes offline with
  // the edited value kept.
  for (int answer : {IDYES, IDNO}) {
    m_host.Clear();
    m_host.AnswerQuestions({answer});
    {
      // Held here too, so no poll comes between the switch query and the write.
      CLinkLock hold = dlg->Poller()->ScopedLock();
      m_sim->SetFault(SimFault::Silence, 4, 1);
      EditText(*dlg, 1, kFilterRow, answer == IDYES ? "3" : "5");
    }
    EXPECT_EQ(Texts(), (Lines{LoadString(IDS_RECEIVE_TIMEOUT), LoadString(IDS_COMM_ERROR_RETRY)}));
  }
  EXPECT_EQ(m_sim->State().filter, 30000) << "the Yes repeated the write";
  EXPECT_FALSE(dlg->IsOnline());
  EXPECT_EQ(connect->text(), "Connect");
  EXPECT_EQ(connect->toolTip(), "Connect (Alt+C)");
  EXPECT_EQ(dlg->Model()->GetValueString(1, kFilterRow), "5.0000");
  ExpectLineFree(*dlg);
}

TEST_F(VelaDlgCommandsTest, OnlineTheOneShotsAreRefusedAndAnOpenedFileIsWritten) {
  StartSim();
  auto dlg = Open();
  std::unique_ptr<CParBase> file = dlg->Model()->Clone();
  Connect(*dlg);
  file->CopyFrom(*dlg->Model());
  file->SetValueString(1, kFilterRow, "4.5");
  file->SaveFile(m_home.File("bench.cfg"));

  {
    ModalSentry sentry;
    for (int id : {CVELADlg::IDC_UPLOAD, CVELADlg::IDC_DOWNLOAD, CVELADlg::IDC_COMPARE})
      Button(*dlg, id)->click();
    EXPECT_EQ(Texts(), Lines(3, LoadString(IDS_ONLY_OFFLINE)));
    EXPECT_EQ(m_host.Messages()[0].style, MB_ICONERROR);

    // SW2-8 off: said before any file dialog opens.
    m_host.Clear();
    m_sim->SetSw28(false);
    Button(*dlg, CVELADlg::IDC_OPEN_FILE)->click();
    EXPECT_EQ(Texts(), Lines{LoadString(IDS_EDIT_SWITCH_OFF)});
    EXPECT_EQ(sentry.seen, 0);
    m_sim->SetSw28(true);
  }
  m_host.Clear();
  Press(*dlg, CVELADlg::IDC_OPEN_FILE, {PickFile(m_home.File("bench.cfg"))});
  EXPECT_TRUE(dlg->IsOnline());
  EXPECT_EQ(m_sim->State().filter, 45000);
  EXPECT_EQ(dlg->Model()->GetValueString(1, kFilterRow), "4.5000");
  EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(VelaDlgCommandsTest, OfflineUploadDownloadAndCompare) {
  StartSim();
  auto dlg = Open();
  dlg->Model()->SetValueString(1, kFilterRow, "1.5");
  const Lines edited = Snapshot(*dlg->Model());

  // An upload that fails and is not tried again leaves the set.
  m_sim->SetFault(SimFault::Silence);
  Press(*dlg, CVELADlg::IDC_UPLOAD, {ChoosePort()});
  EXPECT_EQ(Texts(), (Lines{LoadString(IDS_RECEIVE_TIMEOUT), LoadString(IDS_COMM_ERROR_RETRY)}));
  EXPECT_EQ(Snapshot(*dlg->Model()), edited);
  m_sim->ClearFault();
  ExpectLineFree(*dlg);

  // The switch query itself fails: its message, and the port is closed again.
  m_host.Clear();
  m_sim->SetFault(SimFault::Silence);
  Press(*dlg, CVELADlg::IDC_DOWNLOAD, {ChoosePort()});
  EXPECT_EQ(Texts(), Lines{LoadString(IDS_RECEIVE_TIMEOUT)});
  m_sim->ClearFault();
  ExpectLineFree(*dlg);

  // Download with SW2-8 off: after the identity and the before-download
  // record, the switch is asked and nothing else is sent.
  m_host.Clear();
  m_sim->SetSw28(false);
  m_sim->ClearTranscript();
  Press(*dlg, CVELADlg::IDC_DOWNLOAD, {ChoosePort()});
  EXPECT_EQ(Texts(), Lines{LoadString(IDS_EDIT_SWITCH_OFF)});
  const Lines sent = m_sim->Commands();
  EXPECT_EQ(Lines(sent.begin(), sent.begin() + 11),
            (Lines{"G01", "I90", "D2", "I90", "D0", "I90", "D2", "I90", "D3", "I90", "D6"}));
  EXPECT_EQ(From(sent, "G99"), (Lines{"G99", "I07", "DW", "G01"}));
  m_sim->SetSw28(true);
  ExpectLineFree(*dlg);

  m_host.Clear();
  Press(*dlg, CVELADlg::IDC_DOWNLOAD, {ChoosePort()});
  EXPECT_EQ(m_sim->State().filter, 15000);
  EXPECT_FALSE(dlg->IsOnline());

  CompareSeen same;
  Press(*dlg, CVELADlg::IDC_COMPARE, {ChoosePort(), ReadCompare(same)});
  EXPECT_EQ(same.summary, LoadString(IDS_ALL_MATCHING));
  EXPECT_TRUE(same.redRows.empty());

  SimState state = m_sim->State();
  state.tableX[74] += 1;
  m_sim->SetState(state);
  CompareSeen differ;
  Press(*dlg, CVELADlg::IDC_COMPARE, {ChoosePort(), ReadCompare(differ)});
  EXPECT_EQ(differ.summary, FormatMessageId(IDS_N_NOT_MATCHING, {1LL}));
  ASSERT_EQ(differ.redRows.size(), 1u);
  EXPECT_EQ(differ.redRows[0], 2 + 4 + 2 + kTablePointItem);
  EXPECT_TRUE(differ.firstRedInView);
  EXPECT_EQ(Snapshot(*dlg->Model()), edited) << "compare changes nothing";

  // Upload takes the instrument's set, and names what no file could hold.
  state.points = 200;
  m_sim->SetState(state);
  Press(*dlg, CVELADlg::IDC_UPLOAD, {ChoosePort()});
  EXPECT_EQ(dlg->Model()->GetValue(3, kTablePointItem), state.tableX[74]);
  EXPECT_EQ(dlg->Model()->GetValue(3, 1), 200);
  ASSERT_EQ(m_host.Messages().size(), 1u);
  EXPECT_EQ(m_host.Messages()[0].text.rfind(LoadString(IDS_VALUES_OUT_OF_RANGE) + "\n", 0), 0u);
  EXPECT_EQ(m_host.Messages()[0].style, MB_ICONWARNING);
  EXPECT_FALSE(dlg->IsOnline());
  ExpectLineFree(*dlg);
}

TEST_F(VelaDlgCommandsTest, SavedFilesOpenAgainAndAnotherModelsFileIsRefused) {
  auto dlg = Open();
  dlg->Model()->SetValueString(1, kFilterRow, "7.5");
  dlg->Model()->SetValue(3, kTablePointItem, 123456);
  const Lines saved = Snapshot(*dlg->Model());
  // Without an extension the file gets ".cfg".
  Press(*dlg, CVELADlg::IDC_SAVE_FILE, {PickFile(m_home.File("kept"))});
  ASSERT_FALSE(ReadWholeFile(m_home.File("kept.cfg")).empty());

  dlg->Model()->SetValueString(1, kFilterRow, "0");
  dlg->Model()->SetValue(3, kTablePointItem, 0);
  Press(*dlg, CVELADlg::IDC_OPEN_FILE, {PickFile(m_home.File("kept.cfg"))});
  EXPECT_EQ(Snapshot(*dlg->Model()), saved);
  EXPECT_EQ(List(*dlg).RowText(kFilterRow, 1).toStdString(),
            dlg->Model()->GetValueText(dlg->SelectedBlock(), kFilterRow));

  CParKT7W().SaveFile(m_home.File("kt7w.cfg"));
  Press(*dlg, CVELADlg::IDC_OPEN_FILE, {PickFile(m_home.File("kt7w.cfg"))});
  EXPECT_EQ(Texts(), (Lines{LoadString(IDS_FILE_MODEL_MISMATCH), LoadString(IDS_LOAD_FILE_FAILED)}));
  EXPECT_EQ(m_host.Messages()[1].style, MB_ICONERROR);
  EXPECT_EQ(Snapshot(*dlg->Model()), saved);
}

TEST_F(VelaDlgCommandsTest, AnOfflineEditIsAskedAboutBeforeConnectAndCancelKeepsIt) {
  StartSim();
  auto dlg = Open();
  const QString plainTitle = dlg->windowTitle();
  EditText(*dlg, 1, kFilterRow, "2.5");
  ASSERT_TRUE(dlg->IsModified());
  EXPECT_EQ(dlg->windowTitle(), plainTitle + " - " + QString::fromStdString(LoadString(IDS_NOT_SAVED)) + " *");
  const Lines edited = Snapshot(*dlg->Model());

  // Cancel: no port is asked for, the window stays offline with the edit.
  m_host.AnswerQuestions({IDCANCEL});
  {
    ModalSentry sentry;
    Button(*dlg, CVELADlg::IDC_CONNECT)->click();
    EXPECT_EQ(sentry.seen, 0);
  }
  ASSERT_FALSE(m_host.Messages().empty());
  EXPECT_EQ(m_host.Messages().back().text, LoadString(IDS_UNSAVED_CHANGES));
  EXPECT_EQ(m_host.Messages().back().style, MB_SAVEDISCARDCANCEL | MB_ICONWARNING);
  EXPECT_FALSE(dlg->IsOnline());
  EXPECT_FALSE(Button(*dlg, CVELADlg::IDC_CONNECT)->isChecked());
  EXPECT_EQ(Snapshot(*dlg->Model()), edited);
  EXPECT_TRUE(dlg->IsModified());

  // Save: the file dialog first, then the connection replaces the set.
  m_host.AnswerQuestions({IDYES});
  Press(*dlg, CVELADlg::IDC_CONNECT, {PickFile(m_home.File("before.cfg")), ChoosePort()});
  ASSERT_TRUE(dlg->IsOnline());
  EXPECT_FALSE(dlg->IsModified());
  EXPECT_EQ(dlg->windowTitle(), plainTitle);
  CParKT5RS kept;
  kept.LoadFile(m_home.File("before.cfg"));
  EXPECT_EQ(kept.GetValueString(1, kFilterRow), "2.5000");
}

TEST_F(VelaDlgCommandsTest, TheTitleNamesTheFileAndMarksChangesUntilSavedOrDownloaded) {
  StartSim();
  auto dlg = Open();
  const QString plainTitle = dlg->windowTitle();
  Press(*dlg, CVELADlg::IDC_SAVE_FILE, {PickFile(m_home.File("bench"))});
  EXPECT_EQ(dlg->windowTitle(), plainTitle + " - bench.cfg");
  EditText(*dlg, 1, kFilterRow, "3");
  EXPECT_EQ(dlg->windowTitle(), plainTitle + " - bench.cfg *");

  // Downloaded, the changes are on the instrument: nothing to ask at close.
  Press(*dlg, CVELADlg::IDC_DOWNLOAD, {ChoosePort()});
  EXPECT_FALSE(dlg->IsModified());
  EXPECT_EQ(dlg->windowTitle(), plainTitle + " - bench.cfg");
  EditText(*dlg, 1, kFilterRow, "4");
  // Open File and close ask too; Discard goes on without saving.
  m_host.Clear();
  m_host.AnswerQuestions({IDNO});
  Press(*dlg, CVELADlg::IDC_OPEN_FILE, {PickFile(m_home.File("bench.cfg"))});
  EXPECT_EQ(Texts(), Lines{LoadString(IDS_UNSAVED_CHANGES)});
  EXPECT_EQ(dlg->Model()->GetValueString(1, kFilterRow), "0.0000");
  EditText(*dlg, 1, kFilterRow, "5");
  m_host.AnswerQuestions({IDCANCEL});
  dlg->close();
  EXPECT_TRUE(dlg->isVisible());
  m_host.AnswerQuestions({IDNO});
  dlg->close();
  EXPECT_FALSE(dlg->isVisible());
}

TEST_F(VelaDlgCommandsTest, TheStatusLineSaysWhatTheLastCommandDidAndWhoIsOnline) {
  StartSim();
  auto dlg = Open();
  const QRegularExpression time(QStringLiteral(", \\d\\d:\\d\\d:\\d\\d$"));
  Press(*dlg, CVELADlg::IDC_DOWNLOAD, {ChoosePort()});
  EXPECT_TRUE(dlg->StatusText().startsWith(QString::fromStdString("Downloaded to " + m_sim->ComName() + ", ")))
      << dlg->StatusText().toStdString();
  EXPECT_TRUE(time.match(dlg->StatusText()).hasMatch()) << dlg->StatusText().toStdString();
  EXPECT_TRUE(dlg->OnlineStatusText().isEmpty());

  Press(*dlg, CVELADlg::IDC_SAVE_FILE, {PickFile(m_home.File("line"))});
  EXPECT_TRUE(dlg->StatusText().startsWith("Saved line.cfg, ")) << dlg->StatusText().toStdString();

  Connect(*dlg);
  EXPECT_TRUE(dlg->StatusText().startsWith("Connected to ")) << dlg->StatusText().toStdString();
  const QString online = dlg->OnlineStatusText();
  EXPECT_TRUE(online.contains(QString::fromStdString(m_sim->ComName()))) << online.toStdString();
  EXPECT_TRUE(online.contains(QString::fromStdString(dlg->Model()->GetValueString(6, 0)))) << online.toStdString();
  EXPECT_TRUE(online.contains(QString::fromStdString(dlg->Model()->GetValueString(6, 2)))) << online.toStdString();

  // The buttons name their Alt keys.
  EXPECT_TRUE(Button(*dlg, CVELADlg::IDC_CONNECT)->toolTip().startsWith("Disconnect (Alt+C)"));
  EXPECT_EQ(Button(*dlg, CVELADlg::IDC_OPEN_FILE)->toolTip(), "Open File (Alt+O)");
  dlg->SelectBlock(1);
  EXPECT_EQ(Button(*dlg, CVELADlg::kUtilityButtons[2])->toolTip().toStdString(),
            LoadString(IDS_UT_FINE_RESET) + " (Alt+3)");
}

TEST_F(VelaDlgCommandsTest, AFileThatCannotBeReadSaysWhyOnceAndThenThatTheLoadFailed) {
  auto dlg = Open();
  const Lines before = Snapshot(*dlg->Model());
  WriteWholeFile(m_home.File("huge.cfg"), std::string((1u << 20) + 1, '\n'));
  Press(*dlg, CVELADlg::IDC_OPEN_FILE, {PickFile(m_home.File("huge.cfg"))});
  EXPECT_EQ(Texts(), (Lines{std::system_category().message(EFBIG), LoadString(IDS_LOAD_FILE_FAILED)}));
  ASSERT_EQ(m_host.Messages().size(), 2u);
  EXPECT_EQ(m_host.Messages()[0].style, MB_ICONERROR);
  EXPECT_EQ(m_host.Messages()[1].style, MB_ICONERROR);

  // A folder by a file's name, dropped or given on the command line.
  m_host.Clear();
  std::filesystem::create_directory(m_home.File("folder.cfg"));
  EXPECT_FALSE(dlg->OpenConfigFile(m_home.File("folder.cfg")));
  EXPECT_EQ(Texts(), (Lines{std::system_category().message(EISDIR), LoadString(IDS_LOAD_FILE_FAILED)}));
  EXPECT_EQ(Snapshot(*dlg->Model()), before);
}

// A host whose questions fail, as a broken display would make them.
class FailingQuestionsHost : public CScriptedUIHost {
public:
  int MessageBox(const std::string &text, unsigned style) override {
    if ((style & 0x0F) == MB_YESNO)
      throw CException(IDS_COMM_ERROR);
    return CScriptedUIHost::MessageBox(text, style);
  }
};

TEST_F(VelaDlgCommandsTest, AFailureOfTheHostDuringAnEditStillGivesTheLineBack) {
  StartSim();
  auto dlg = Open();
  Connect(*dlg);
  FailingQuestionsHost host;
  {
    CLinkLock hold = dlg->Poller()->ScopedLock();
    m_sim->SetFault(SimFault::Silence, 4, 1);
    EditText(*dlg, 1, kFilterRow, "2");
  }
  const auto shown = host.Messages();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[1].text, LoadString(IDS_COMM_ERROR));
  EXPECT_TRUE(dlg->IsOnline());
  EXPECT_TRUE(MutexFree(*dlg));
  // Polling goes on through the same interface.
  const unsigned long cycles = dlg->Poller()->CycleCount();
  EXPECT_TRUE(Pump([&] { return dlg->Poller()->CycleCount() > cycles + 2; }));
}

TEST_F(VelaDlgCommandsTest, ClosingDuringATransferLetsItEndThenCloses) {
  StartSim();
  auto dlg = Open();
  m_sim->SetFault(SimFault::Silence);
  bool closeAsked = false;
  ModalDriver driver({ChoosePort(), [&](QWidget *modal) {
                        if (!qobject_cast<CLoadDialog *>(modal))
                          return false;
                        dlg->close();
                        closeAsked = true;
                        return true;
                      }});
  Button(*dlg, CVELADlg::IDC_CONNECT)->click();
  ASSERT_TRUE(closeAsked);
  ASSERT_TRUE(Pump([&] { return !dlg->isVisible(); }));
  EXPECT_FALSE(dlg->IsOnline());
  EXPECT_FALSE(dlg->Poller()->IsRunning());
  EXPECT_TRUE(m_host.Messages().empty()) << "no failure report and no question while closing";
  m_sim->ClearFault();
  ExpectLineFree(*dlg);

  // Closed while the port dialog is open: it is cancelled, then the window closes.
  auto again = Open();
  ModalDriver portOpen({[&](QWidget *modal) {
    if (!qobject_cast<CComDialog *>(modal))
      return false;
    again->close();
    return true;
  }});
  Button(*again, CVELADlg::IDC_UPLOAD)->click();
  ASSERT_TRUE(Pump([&] { return !again->isVisible(); }));
  EXPECT_FALSE(again->Poller()->IsRunning());
  EXPECT_TRUE(m_host.Messages().empty());
  ExpectLineFree(*again);
}

TEST_F(VelaDlgCommandsTest, ClosingDuringAUtilityPromptCancelsItThenCloses) {
  StartSim();
  auto dlg = Open();
  Connect(*dlg);
  CQtUIHost screen; // the real value prompt
  dlg->SelectBlock(1);
  m_sim->ResetWriteCounts();
  ModalDriver driver({[&](QWidget *modal) {
    if (!qobject_cast<CInputDialog *>(modal))
      return false;
    dlg->close();
    return true;
  }});
  Button(*dlg, CVELADlg::kUtilityButtons[0])->click();
  ASSERT_TRUE(Pump([&] { return !dlg->isVisible(); }));
  EXPECT_FALSE(dlg->IsOnline());
  EXPECT_EQ(m_sim->WriteCounts().accepted, 0);
  ExpectLineFree(*dlg);
}

// The words of a PDF's page with their boxes, in points.
struct PdfWord {
  QString text;
  QRectF box;
};
// pdftotext's output. Run through the C library, not QProcess: ThreadSanitizer
// ignores what Qt calls (tsan_qt.supp), a fork included, and cannot follow
// QProcess's child.
QString PdfToText(const std::string &options, const std::string &pdf) {
  const std::string command = "pdftotext " + options + " '" + pdf + "' -";
  std::string out;
  if (std::FILE *pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
      out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
  }
  return QString::fromStdString(out);
}

std::vector<PdfWord> PdfWords(const std::string &pdf) {
  const QString html = PdfToText("-bbox", pdf);
  static const QRegularExpression word(
      QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">([^<]*)</word>"));
  std::vector<PdfWord> words;
  for (auto it = word.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    words.push_back({m.captured(5), QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                           QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
  }
  return words;
}

QString PdfText(const std::string &pdf) { return PdfToText("", pdf).simplified(); }

TEST_F(VelaDlgCommandsTest, TheTrendsPdfSaysWhatItShowsInLegibleLabelsThatDoNotMeet) {
  SimOptions options;
  options.tag = "FT-101";
  StartSim(options);
  for (int language : {0, 1}) {
    m_language.Load(language);
    auto dlg = Open();
    Connect(*dlg);
    dlg->SelectBlock(1);
    Button(*dlg, CVELADlg::kUtilityButtons[3])->click(); // "Trend Graph"
    CGraphCtrl *panel = dlg->GraphPanel();
    ASSERT_TRUE(panel);
    panel->SetTickInterval(20);
    FindControl<QPushButton>(panel, 1039)->click();
    ASSERT_TRUE(Pump([&] { return panel->Graph()->Logic().Samples().Size() >= 3; }));
    FindControl<QPushButton>(panel, 1040)->click();
    const std::string pdf = m_home.File("trend" + std::to_string(language) + ".pdf");
    ModalDriver save({PickFile(pdf)});
    FindControl<QPushButton>(panel, 1043)->click();
    ASSERT_TRUE(save.Done());

    const QString text = PdfText(pdf);
    for (const std::string &line :
         {FormatMessageId(IDS_TREND_TITLE_UNIT, {LoadString(IDS_BLOCK_0 + 1), dlg->Panel(1)->Unit()}),
          FormatMessageId(IDS_TREND_INSTRUMENT, {"KT5RS", "A0000001", "FT-101"})})
      EXPECT_TRUE(text.contains(QString::fromStdString(line).simplified())) << line << "\n" << text.toStdString();
    const QString time = QString::fromStdString(FormatMessageId(
        IDS_TREND_TIME, {QDate::currentDate().toString("yyyy-MM-dd").toStdString() + " \\d\\d:\\d\\d:\\d\\d",
                         "0:00:\\d\\d"}));
    EXPECT_TRUE(QRegularExpression(time.simplified()).match(text).hasMatch()) << text.toStdString();

    // The chart's numbers are printed at 10 points, and no word covers
    // another (boxes of adjacent lines may touch by a hair).
    const std::vector<PdfWord> words = PdfWords(pdf);
    int numbers = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
      bool isNumber = false;
      words[i].text.toDouble(&isNumber);
      if (isNumber) {
        ++numbers;
        EXPECT_GE(words[i].box.height(), 9.0) << words[i].text.toStdString();
      }
      for (std::size_t j = 0; j < i; ++j)
        EXPECT_FALSE(words[i].box.adjusted(0.5, 0.5, -0.5, -0.5).intersects(words[j].box))
            << words[j].text.toStdString() << " and " << words[i].text.toStdString();
    }
    EXPECT_GE(numbers, 6);
    FindControl<QPushButton>(panel, 1041)->click();
    dlg->close();
  }
  m_language.Load(0);
}

} // namespace
