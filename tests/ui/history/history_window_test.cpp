// The history as the window keeps it, against a simulated KT5RS: records
// around a connection that wrote, the before-download record, Restore, and
// the History window with its journal CSV and the commissioning report.
#include "../event_pump.h"
#include "../modal_driver.h"
#include "core/history/history.h"
#include "core/link/comm_interface.h"
#include "core/model/compare_rows.h"
#include "core/model/par_kt5rs.h"
#include "core/resources/language_module.h"
#include "core/resources/message_format.h"
#include "core/resources/settings_store.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "kt5rs_simulator.h"
#include "scripted_ui_host.h"
#include "test_env.h"
#include "ui/history/history_dialog.h"
#include "ui/link/com_dialog.h"
#include "ui/mainwindow/edit_text.h"
#include "ui/mainwindow/parameter_list_ctrl.h"
#include "ui/mainwindow/vela_dlg.h"
#include "ui/model/compare_dialog.h"
#include "ui/resources/template_builder.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <filesystem>

namespace {

using Step = ModalDriver::Step;

class HistoryWindowTest : public ::testing::Test {
protected:
  HistoryWindowTest() : m_language(m_store, VELA_BIN_DIR) {
    m_language.Load(0);
    SetSettingsStore(&m_store);
    // Each test is a run of its own, in its own data folder.
    History().SetFolder("");
  }
  ~HistoryWindowTest() override { SetSettingsStore(nullptr); }

  CKT5RSSimulator &Sim(const std::string &serial = "A0000001") {
    SimOptions options;
    options.serial = serial;
    m_sims.push_back(std::make_unique<CKT5RSSimulator>(options));
    m_sims.back()->Start();
    return *m_sims.back();
  }
  std::unique_ptr<CVELADlg> Open() {
    auto dlg = std::make_unique<CVELADlg>(m_language);
    dlg->Create();
    dlg->show();
    dlg->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    return dlg;
  }
  static QPushButton *Button(const CVELADlg &dlg, int id) { return FindControl<QPushButton>(dlg.Client(), id); }
  static Step ChoosePort(const CKT5RSSimulator &sim) {
    return [&sim](QWidget *modal) {
      auto *dlg = qobject_cast<CComDialog *>(modal);
      if (!dlg)
        return false;
      auto *combo = dlg->findChild<QComboBox *>("1022");
      const int index = combo->findText(QString::fromStdString(sim.DevicePath() + " (" + sim.ComName() + ")"));
      if (index < 0)
        return false;
      combo->setCurrentIndex(index);
      dlg->findChild<QPushButton *>("1")->click();
      return true;
    };
  }
  static void Press(CVELADlg &dlg, int id, std::initializer_list<Step> steps) {
    ModalDriver driver(steps);
    Button(dlg, id)->click();
    EXPECT_TRUE(driver.Done()) << "button " << id;
  }
  static void EditText(CVELADlg &dlg, int block, int row, const QString &text) {
    dlg.SelectBlock(block);
    CParameterListCtrl &list = *dlg.List();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.ValueCellRect(row).center());
    auto *editor = list.viewport()->findChild<CEditText *>("10000");
    ASSERT_TRUE(editor->isVisible());
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
  }
  static std::vector<HistoryRecord> Records() {
    std::vector<HistoryRecord> rows;
    History().Query([&](CHistoryStore &store) { rows = store.Records({}); });
    return rows;
  }
  static std::vector<JournalEntry> Journal() {
    std::vector<JournalEntry> rows;
    History().Query([&](CHistoryStore &store) { rows = store.Journal({}); });
    return rows;
  }
  static std::unique_ptr<CParKT5RS> Load(const std::string &path) {
    auto set = std::make_unique<CParKT5RS>();
    set->LoadFile(path);
    return set;
  }
  // Connect, one edit, Disconnect.
  void ConnectEditDisconnect(CVELADlg &dlg, CKT5RSSimulator &sim) {
    Press(dlg, CVELADlg::IDC_CONNECT, {ChoosePort(sim)});
    ASSERT_TRUE(dlg.IsOnline());
    EditText(dlg, 1, 0, "2.5");
    ASSERT_EQ(sim.State().filter, 25000);
    Button(dlg, CVELADlg::IDC_CONNECT)->click();
    ASSERT_FALSE(dlg.IsOnline());
  }
  // Opens the History window and runs body inside it.
  static void InHistory(CVELADlg &dlg, const std::function<void(CHistoryDialog &)> &body) {
    ModalDriver driver({[&](QWidget *modal) {
      auto *history = qobject_cast<CHistoryDialog *>(modal);
      if (!history)
        return false;
      body(*history);
      history->accept();
      return true;
    }});
    Button(dlg, CVELADlg::IDC_HISTORY)->click();
    EXPECT_TRUE(driver.Done());
  }

  ScopedTestHome m_home;
  CScriptedUIHost m_host;
  CMemorySettingsStore m_store;
  CLanguageModule m_language;
  std::vector<std::unique_ptr<CKT5RSSimulator>> m_sims;
};

TEST_F(HistoryWindowTest, ConnectEditDisconnectGivesAsFoundAsLeftDifferingByTheEditAndOneJournalLine) {
  CKT5RSSimulator &sim = Sim();
  auto dlg = Open();
  ConnectEditDisconnect(*dlg, sim);

  const auto records = Records();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].kind, "as-left");
  EXPECT_EQ(records[1].kind, "as-found");
  EXPECT_EQ(records[0].port, sim.ComName());
  const CompareRows diff = BuildCompareRows(*Load(records[1].file), *Load(records[0].file));
  ASSERT_EQ(diff.differing, 1);
  EXPECT_EQ(diff.rows[diff.firstDiffering].parameterName, "Filter time constant");
  const auto journal = Journal();
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].context, "edit");
  EXPECT_EQ(journal[0].before, "0.0000");
  EXPECT_EQ(journal[0].sent, "2.5000");
  EXPECT_EQ(journal[0].readBack, "2.5000");
  EXPECT_EQ(journal[0].result, "kept");
  EXPECT_TRUE(m_host.Messages().empty()) << m_host.MessageTexts().front();
}

TEST_F(HistoryWindowTest, DownloadReadsIdentityAndBeforeDownloadFirstAndJournalsEveryWrite) {
  CKT5RSSimulator &sim = Sim();
  auto dlg = Open();
  dlg->Model()->SetValueString(1, 0, "2.5");
  Press(*dlg, CVELADlg::IDC_DOWNLOAD, {ChoosePort(sim)});
  EXPECT_EQ(sim.State().filter, 25000);

  const auto commands = sim.Commands();
  const std::vector<std::string> identity = {"G01", "I90", "D2", "I90", "D0", "I90", "D2", "I90", "D3", "I90", "D6"};
  ASSERT_GT(commands.size(), identity.size() + 1);
  EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + identity.size()), identity);
  // Then the whole set, as an upload begins.
  EXPECT_EQ(commands[identity.size()], "G01");
  const auto records = Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, "before-download");
  EXPECT_EQ(Load(records[0].file)->GetValueString(1, 0), "0.0000");
  const auto journal = Journal();
  ASSERT_EQ(journal.size(), 217u);
  for (const auto &row : journal)
    EXPECT_EQ(row.result, "sent");

  // A second download in the run: the instrument has its record already.
  sim.ClearTranscript();
  Press(*dlg, CVELADlg::IDC_DOWNLOAD, {ChoosePort(sim)});
  EXPECT_EQ(Records().size(), 1u);
  EXPECT_EQ(sim.Commands()[identity.size()], "G99"); // the edit switch, then the writes
}

TEST_F(HistoryWindowTest, RestoreBringsTheInstrumentBackAndRefusesAnother) {
  CKT5RSSimulator &sim = Sim();
  CKT5RSSimulator &other = Sim("B0000002");
  auto dlg = Open();
  ConnectEditDisconnect(*dlg, sim);

  auto restoreAsFound = [&](CKT5RSSimulator &target) {
    InHistory(*dlg, [&](CHistoryDialog &history) {
      history.Records()->selectRow(1); // the as-found
      ModalDriver driver({ChoosePort(target)});
      m_host.AnswerQuestions({IDYES});
      history.findChild<QPushButton *>("restore")->click();
      EXPECT_TRUE(driver.Done());
    });
  };
  restoreAsFound(other);
  ASSERT_FALSE(m_host.Messages().empty());
  EXPECT_NE(m_host.MessageTexts().back().find("B0000002"), std::string::npos) << m_host.MessageTexts().back();
  EXPECT_EQ(other.WriteCounts().accepted, 0);

  m_host.Clear();
  restoreAsFound(sim);
  EXPECT_EQ(sim.State().filter, 0);
  const auto records = Records();
  ASSERT_GE(records.size(), 3u);
  EXPECT_EQ(records[0].kind.rfind("restored-from-", 0), 0u) << records[0].kind;
  // The instrument holds the record again.
  CCommInterface comm;
  comm.OpenDevice(sim.DevicePath());
  CParKT5RS device;
  device.ReadFromDevice(&comm, -1, -1);
  EXPECT_EQ(BuildCompareRows(*Load(records[2].file), device).differing, 0);
  EXPECT_EQ(Journal().front().context, "restore");
}

TEST_F(HistoryWindowTest, HistoryWindowListsTheVisitSavesTheJournalAndPrintsTheReport) {
  CKT5RSSimulator &sim = Sim();
  auto dlg = Open();
  ConnectEditDisconnect(*dlg, sim);
  const std::string csv = m_home.File("journal.csv");
  const std::string pdf = m_home.File("report.pdf");
  InHistory(*dlg, [&](CHistoryDialog &history) {
    ASSERT_EQ(history.Instruments()->rowCount(), 1);
    EXPECT_EQ(history.Instruments()->item(0, 1)->text(), "A0000001");
    ASSERT_EQ(history.Records()->rowCount(), 2);
    EXPECT_EQ(history.Records()->item(0, 1)->text(), QString::fromStdString(LoadString(IDS_HISTORY_AS_LEFT)));
    ASSERT_EQ(history.Journal()->rowCount(), 1);
    EXPECT_EQ(history.Journal()->item(0, 6)->text(), "2.5000");
    EXPECT_TRUE(history.SaveJournal(QString::fromStdString(csv)));
    EXPECT_TRUE(history.SaveReport(QString::fromStdString(pdf)));
  });
  EXPECT_NE(ReadWholeFile(csv).find("Filter time constant,0.0000,2.5000,2.5000,kept"), std::string::npos)
      << ReadWholeFile(csv);

  // The report as a reader sees it: text holding the serial number, and a
  // first page that is not blank.
  const std::string text = m_home.File("report.txt");
  ASSERT_EQ(std::system(("pdftotext '" + pdf + "' '" + text + "'").c_str()), 0);
  const std::string words = ReadWholeFile(text);
  EXPECT_NE(words.find("A0000001"), std::string::npos);
  EXPECT_NE(words.find("Filter time constant"), std::string::npos);
  const std::string image = m_home.File("page");
  ASSERT_EQ(std::system(("pdftoppm -r 40 -f 1 -l 1 -png '" + pdf + "' '" + image + "'").c_str()), 0);
  QImage page;
  for (const auto &entry : std::filesystem::directory_iterator(m_home.Path()))
    if (entry.path().filename().string().starts_with("page"))
      page.load(QString::fromStdString(entry.path().string()));
  ASSERT_FALSE(page.isNull());
  int dark = 0;
  for (int y = 0; y < page.height(); ++y)
    for (int x = 0; x < page.width(); ++x)
      dark += qGray(page.pixel(x, y)) < 128;
  EXPECT_GT(dark, page.width() * page.height() / 100);
}

} // namespace
