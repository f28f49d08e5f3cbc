// The main window with real widgets on the offscreen platform: block
// selection, the parameter list and its in-place editors, the utility
// buttons, the live values of a simulated instrument and the window's keys.
#include "../event_pump.h"
#include "ui/mainwindow/edit_combo_box.h"
#include "ui/mainwindow/edit_text.h"
#include "ui/mainwindow/parameter_list_ctrl.h"
#include "ui/mainwindow/vela_dlg.h"

#include "ui/instruments/meter.h"
#include "ui/instruments/meter_ctrl.h"
#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/model/par_base.h"
#include "core/model/par_edit.h"
#include "core/model/par_kt7w.h"
#include "core/platform/exe_path.h"
#include "core/resources/language_module.h"
#include "core/resources/settings_store.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "scripted_ui_host.h"
#include "test_env.h"
#include "core/workers/update_io_thread.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Every end of an edit an editor reports, in order: accepted or not.
class EditRecorder : public CObserver {
public:
  void Update(CObservable &source) override {
    if (auto *text = dynamic_cast<CTextEditor *>(&source))
      results.push_back(text->IsAccepted());
    else if (auto *list = dynamic_cast<CListEditor *>(&source))
      results.push_back(list->IsAccepted());
  }
  std::vector<bool> results;
};

class VelaDlgTest : public ::testing::Test {
protected:
  VelaDlgTest() : m_language(m_store, VELA_BIN_DIR) { m_language.Load(0); }

  // A window as one run of the program shows it.
  std::unique_ptr<CVELADlg> Open() {
    auto dlg = std::make_unique<CVELADlg>(m_language);
    dlg->Create();
    dlg->show();
    dlg->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    return dlg;
  }

  static CParameterListCtrl &List(const CVELADlg &dlg) { return *dlg.List(); }
  static QPushButton *Button(const CVELADlg &dlg, int id) { return FindControl<QPushButton>(dlg.Client(), id); }
  static QWidget *Selector(const CVELADlg &dlg, int block) {
    return FindControl(dlg.Panel(block), CMeterCtrl::IDC_SELECTOR);
  }
  static QString PanelValue(const CVELADlg &dlg, int block) {
    return FindControl<QLineEdit>(dlg.Panel(block), CMeterCtrl::IDC_VALUE)->text();
  }
  static void Key(QWidget *target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
  }
  static void ClickValueCell(CVELADlg &dlg, int row) {
    QTest::mouseClick(List(dlg).viewport(), Qt::LeftButton, {}, List(dlg).ValueCellRect(row).center());
  }
  // The first row of the block that is edited the given way.
  static int RowOfKind(const CVELADlg &dlg, int block, int kind) {
    for (int row = 0; row < dlg.Model()->GetItemCount(block); ++row)
      if (dlg.Model()->GetEditKind(block, row) == kind)
        return row;
    return -1;
  }
  // The list shows the block's rows as the model has them.
  static void ExpectListShows(const CVELADlg &dlg, int block) {
    const CParameterListCtrl &list = List(dlg);
    ASSERT_EQ(list.rowCount(), dlg.Model()->GetItemCount(block));
    for (int row = 0; row < list.rowCount(); ++row) {
      ASSERT_EQ(list.RowText(row, 0).toStdString(), dlg.Model()->GetName(block, row)) << row;
      ASSERT_EQ(list.RowText(row, 1).toStdString(), dlg.Model()->GetValueText(block, row)) << row;
    }
  }
  std::vector<std::string> Texts() const { return m_host.MessageTexts(); }

  ScopedTestHome m_home;
  CScriptedUIHost m_host;
  CMemorySettingsStore m_store;
  CLanguageModule m_language;
};

TEST_F(VelaDlgTest, PanelsAndKeysSelectTheBlockAndTheListIsRefilledInPlace) {
  auto dlg = Open();
  for (int j = 0; j < CVELADlg::kBlockCount; ++j)
    EXPECT_EQ(FindControl<QPushButton>(dlg->Panel(j), CMeterCtrl::IDC_SELECTOR)->text().toStdString(),
              LoadString(IDS_BLOCK_0 + j));
  EXPECT_FALSE(Selector(*dlg, CVELADlg::kDeviceInfoBlock)->isEnabled());
  ExpectListShows(*dlg, 0);
  QTableWidgetItem *firstName = List(*dlg).item(0, 0);

  // Block 3 holds the most rows, block 0 the fewest.
  static_cast<QPushButton *>(Selector(*dlg, 3))->click();
  EXPECT_EQ(dlg->SelectedBlock(), 3);
  EXPECT_TRUE(List(*dlg).hasFocus());
  ExpectListShows(*dlg, 3);
  EXPECT_GT(List(*dlg).rowCount(), 200);
  EXPECT_EQ(List(*dlg).item(0, 0), firstName) << "rows are overwritten, not made anew";
  for (int j = 0; j < CVELADlg::kBlockCount; ++j)
    EXPECT_EQ(FindControl<QPushButton>(dlg->Panel(j), CMeterCtrl::IDC_SELECTOR)->isChecked(), j == 3);

  Key(&List(*dlg), Qt::Key_Right);
  Key(&List(*dlg), Qt::Key_Right);
  Key(&List(*dlg), Qt::Key_Right);
  EXPECT_EQ(dlg->SelectedBlock(), 5) << "offline the keys stop before Device Info";
  ExpectListShows(*dlg, 5);
  for (int i = 0; i < 6; ++i)
    Key(&List(*dlg), Qt::Key_Left);
  EXPECT_EQ(dlg->SelectedBlock(), 0);
  ExpectListShows(*dlg, 0);
  EXPECT_EQ(List(*dlg).item(0, 0), firstName);
  EXPECT_GE(List(*dlg).FirstSelectedRow(), 0);
}

TEST_F(VelaDlgTest, UtilityButtonsFollowTheModelAndTheServiceMarker) {
  auto check = [](const CVELADlg &dlg, int block) {
    int expectedEnabled = 0;
    while (expectedEnabled < CVELADlg::kUtilitySlots &&
           !dlg.Model()->GetUtilityLabel(block, expectedEnabled).empty())
      ++expectedEnabled;
    int enabled = 0;
    for (int slot = 0; slot < CVELADlg::kUtilitySlots; ++slot) {
      QPushButton *button = Button(dlg, CVELADlg::kUtilityButtons[slot]);
      const bool on = slot < expectedEnabled;
      EXPECT_EQ(button->isEnabled(), on) << block << " " << slot;
      EXPECT_EQ(button->text().toStdString(), on ? dlg.Model()->GetUtilityLabel(block, slot) : "");
      enabled += button->isEnabled();
    }
    return enabled;
  };
  int outputButtons = 0;
  {
    auto dlg = Open();
    for (int block = 0; block < CVELADlg::kBlockCount; ++block) {
      dlg->SelectBlock(block);
      const int enabled = check(*dlg, block);
      if (block == 5)
        outputButtons = enabled;
    }
  }
  EXPECT_EQ(outputButtons, 4);

  const std::string marker = CVELADlg::ServiceMarkerPath(ExecutablePath());
  WriteWholeFile(marker, "");
  auto dlg = Open();
  std::remove(marker.c_str());
  dlg->SelectBlock(5);
  EXPECT_EQ(check(*dlg, 5), 5);
}

TEST_F(VelaDlgTest, ServiceMarkerIsNamedAfterTheExecutable) {
  EXPECT_EQ(CVELADlg::ServiceMarkerPath("/opt/vela/bin/vela"), "/opt/vela/bin/vela.adm");
  EXPECT_EQ(CVELADlg::ServiceMarkerPath("/opt/vela/bin/vela.exe"), "/opt/vela/bin/vela.adm");
  EXPECT_EQ(CVELADlg::ServiceMarkerPath("/home/u/.local/bin/vela"), "/home/u/.local/bin/vela.adm");
}

TEST_F(VelaDlgTest, TextEditorAcceptsWithEnterAndCancelsOnceWhenLeft) {
  auto dlg = Open();
  dlg->SelectBlock(1);
  const int row = RowOfKind(*dlg, 1, EDIT_TEXT);
  ASSERT_GE(row, 0);
  auto *editor = List(*dlg).viewport()->findChild<CEditText *>("10000");
  ASSERT_NE(editor, nullptr);
  EditRecorder recorder;
  editor->Attach(&recorder);

  ClickValueCell(*dlg, row);
  ASSERT_TRUE(editor->isVisible());
  EXPECT_EQ(editor->geometry(), List(*dlg).ValueCellRect(row));
  EXPECT_EQ(editor->text().toStdString(), dlg->Model()->GetValueString(1, row));
  editor->clear();
  QTest::keyClicks(editor, "2.5");
  Key(editor, Qt::Key_Return);
  EXPECT_FALSE(editor->isVisible());
  EXPECT_EQ(List(*dlg).RowText(row, 1).toStdString(), dlg->Model()->GetValueText(1, row));
  EXPECT_EQ(dlg->Model()->GetValueString(1, row), "2.5000");
  EXPECT_TRUE(List(*dlg).hasFocus());
  EXPECT_EQ(List(*dlg).FirstSelectedRow(), row) << "the edited row stays selected";

  ClickValueCell(*dlg, row);
  ASSERT_TRUE(editor->isVisible());
  QTest::keyClicks(editor, "7");
  Button(*dlg, CVELADlg::IDC_OPEN_FILE)->setFocus();
  EXPECT_FALSE(editor->isVisible());
  EXPECT_EQ(dlg->Model()->GetValueString(1, row), "2.5000");
  EXPECT_EQ(recorder.results, (std::vector<bool>{true, false}));
  EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(VelaDlgTest, OutOfRangeEditShowsTheRangeMessageAndKeepsTheOldValue) {
  auto dlg = Open();
  dlg->SelectBlock(4);
  const int row = RowOfKind(*dlg, 4, EDIT_TEXT);
  ASSERT_GE(row, 0);
  const std::string before = dlg->Model()->GetValueText(4, row);
  auto *editor = List(*dlg).viewport()->findChild<CEditText *>("10000");
  ClickValueCell(*dlg, row);
  editor->setText("99999");
  Key(editor, Qt::Key_Return);
  ASSERT_EQ(m_host.Messages().size(), 1u);
  const std::string message = m_host.Messages()[0].text;
  EXPECT_NE(message.find(dlg->Model()->GetName(4, row)), std::string::npos) << message;
  EXPECT_EQ(dlg->Model()->GetValueText(4, row), before);
  EXPECT_EQ(List(*dlg).RowText(row, 1).toStdString(), before);
  EXPECT_FALSE(editor->isVisible());
}

TEST_F(VelaDlgTest, ListEditorAcceptsAnyChoiceAndCancelsWhenClosed) {
  auto dlg = Open();
  const int row = RowOfKind(*dlg, 0, EDIT_CHOICE);
  ASSERT_GE(row, 0);
  auto *combo = List(*dlg).viewport()->findChild<CEditComboBox *>("10001");
  ASSERT_NE(combo, nullptr);
  EditRecorder recorder;
  combo->Attach(&recorder);
  const int before = dlg->Model()->GetValue(0, row);

  ClickValueCell(*dlg, row);
  ASSERT_TRUE(combo->isVisible());
  EXPECT_EQ(combo->geometry(), List(*dlg).ValueCellRect(row).adjusted(-2, -4, 2, 0));
  ASSERT_TRUE(Pump([&] { return combo->view()->isVisible(); }));
  // The entry already chosen, chosen again, still counts.
  Key(combo->view(), Qt::Key_Return);
  ASSERT_TRUE(Pump([&] { return !combo->isVisible(); }));

  ClickValueCell(*dlg, row);
  ASSERT_TRUE(Pump([&] { return combo->view()->isVisible(); }));
  Key(combo->view(), Qt::Key_Down);
  Key(combo->view(), Qt::Key_Return);
  ASSERT_TRUE(Pump([&] { return !combo->isVisible(); }));
  EXPECT_EQ(dlg->Model()->GetValue(0, row), before + 1);
  EXPECT_EQ(List(*dlg).RowText(row, 1).toStdString(), dlg->Model()->GetValueText(0, row));

  ClickValueCell(*dlg, row);
  ASSERT_TRUE(Pump([&] { return combo->view()->isVisible(); }));
  Key(combo->view(), Qt::Key_Down);
  Key(combo->view(), Qt::Key_Escape);
  ASSERT_TRUE(Pump([&] { return !combo->isVisible(); }));
  QApplication::processEvents();
  EXPECT_EQ(dlg->Model()->GetValue(0, row), before + 1);
  EXPECT_EQ(recorder.results, (std::vector<bool>{true, true, false}));
}

TEST_F(VelaDlgTest, AfterALanguageSwitchTheNewListEditsTheSameSet) {
  auto dlg = Open();
  dlg->SelectBlock(1);
  dlg->Model()->SetValueString(1, 0, "1.5");
  Button(*dlg, CVELADlg::IDC_LANGUAGE)->click();
  EXPECT_EQ(dlg->result(), CVELADlg::kResultLanguageSwitch);
  dlg->Create();
  dlg->show();
  EXPECT_EQ(dlg->SelectedBlock(), 0);
  EXPECT_EQ(Button(*dlg, CVELADlg::IDC_CONNECT)->text().toStdString(), LoadString(IDS_CONNECT));
  EXPECT_NE(LoadString(IDS_CONNECT), "Connect");
  dlg->SelectBlock(1);
  ExpectListShows(*dlg, 1);
  EXPECT_EQ(dlg->Model()->GetValueString(1, 0), "1.5000");

  auto *editor = List(*dlg).viewport()->findChild<CEditText *>("10000");
  ASSERT_NE(editor, nullptr);
  ClickValueCell(*dlg, 0);
  ASSERT_TRUE(editor->isVisible());
  editor->setText("3");
  Key(editor, Qt::Key_Return);
  EXPECT_EQ(dlg->Model()->GetValueString(1, 0), "3.0000");
  m_language.Load(0);
}

TEST_F(VelaDlgTest, EnterEditsAndEscapeHidesButNeitherClosesTheWindow) {
  auto dlg = Open();
  dlg->SelectBlock(1);
  const int row = RowOfKind(*dlg, 1, EDIT_TEXT);
  List(*dlg).SelectRow(row);
  List(*dlg).setFocus();
  auto *editor = List(*dlg).viewport()->findChild<CEditText *>("10000");
  Key(&List(*dlg), Qt::Key_Return);
  ASSERT_TRUE(editor->isVisible());
  EXPECT_EQ(dlg->SelectedRow(), row);
  Key(editor, Qt::Key_Escape);
  EXPECT_FALSE(editor->isVisible());
  Key(&List(*dlg), Qt::Key_Escape);
  Key(Button(*dlg, CVELADlg::IDC_OPEN_FILE), Qt::Key_Escape);
  QApplication::processEvents();
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), 0);
  EXPECT_TRUE(m_host.Messages().empty());
}

// The list's names as the user sees them: cut to the name column's width.
QString Shown(const CParameterListCtrl &list, int row) {
  const QFontMetrics metrics(list.font());
  return metrics.elidedText(list.RowText(row, 0), Qt::ElideRight, list.columnWidth(0) - 8);
}

TEST_F(VelaDlgTest, EveryNameShowsWholeInBothLanguagesAndTheValueTakesTheRest) {
  for (int language : {0, 1}) {
    m_language.Load(language);
    auto dlg = Open();
    CParameterListCtrl &list = List(*dlg);
    dlg->SelectBlock(1);
    // Fine zero adjustment X and Y read differently.
    EXPECT_NE(Shown(list, 1), Shown(list, 2));
    for (int block = 0; block < CVELADlg::kDeviceInfoBlock; ++block) {
      dlg->SelectBlock(block);
      for (int row = 0; row < std::min(list.rowCount(), 4); ++row)
        EXPECT_EQ(Shown(list, row), list.RowText(row, 0)) << language << ": " << block << "." << row;
    }
    EXPECT_EQ(list.columnWidth(0) + list.columnWidth(1), list.viewport()->width());
    dlg->close();
  }
  m_language.Load(0);
}

TEST_F(VelaDlgTest, ARowsTooltipGivesItsNameRangeOrChoicesAndDefault) {
  auto dlg = Open();
  dlg->SelectBlock(1);
  const QStringList filter = List(*dlg).RowToolTip(0).split('\n');
  EXPECT_EQ(filter, (QStringList{QString::fromStdString(LoadString(IDS_PAR_FILTER)),
                                 "Range: 0, or 0.5000 to 30.0000 s", "Default: 0.0000"}));
  dlg->SelectBlock(5);
  const QStringList type = List(*dlg).RowToolTip(0).split('\n');
  ASSERT_GE(type.size(), 5);
  EXPECT_EQ(type[1], "Choices:");
  EXPECT_EQ(type[2].trimmed().toStdString(), dlg->Model()->GetChoiceText(5, 0, 0));
  EXPECT_TRUE(type.last().startsWith("Default: "));
  // A range in the unit of the output type.
  dlg->SelectBlock(4);
  const QString range = List(*dlg).RowToolTip(1).split('\n')[1];
  EXPECT_TRUE(range.startsWith("Range: ")) << range.toStdString();
  EXPECT_TRUE(range.endsWith(QString::fromStdString(" " + dlg->Model()->GetOutputUnit()))) << range.toStdString();
}

TEST_F(VelaDlgTest, TheWindowGrowsWithTheListAndTheMetersAndKeepsItsSize) {
  SetSettingsStore(&m_store);
  {
    auto dlg = Open();
    EXPECT_EQ(dlg->Client()->minimumSize(), dlg->BaseSize());
    const QSize screen = dlg->screen()->availableSize();
    EXPECT_EQ(dlg->size(), dlg->BaseSize().boundedTo(screen));
    QPushButton *open = Button(*dlg, CVELADlg::IDC_OPEN_FILE);
    const QSize buttonSize = open->size();
    dlg->SelectBlock(3);
    auto lastRowShown = [&] { return List(*dlg).rowAt(List(*dlg).viewport()->height() - 1); };
    const int rowsBefore = lastRowShown();
    const int meterBefore = dlg->Panel(1)->Meter()->height();
    dlg->resize(1920, 1080);
    QApplication::processEvents();
    EXPECT_GT(lastRowShown(), rowsBefore);
    EXPECT_GT(List(*dlg).width(), 1000);
    EXPECT_GT(dlg->Panel(1)->Meter()->height(), meterBefore + 500);
    EXPECT_EQ(open->size(), buttonSize);
    // The value box stays below its meter.
    EXPECT_GT(FindControl(dlg->Panel(1), CMeterCtrl::IDC_VALUE)->y(), dlg->Panel(1)->Meter()->geometry().bottom());
    dlg->close();
  }
  EXPECT_EQ(m_store.GetInt("Settings", "WindowWidth", 0), 1920);
  {
    // Back at the size it had, as far as the screen allows.
    auto dlg = Open();
    EXPECT_EQ(dlg->size(), QSize(1920, 1080).boundedTo(dlg->screen()->availableSize()));
    dlg->close();
  }
  SetSettingsStore(nullptr);
}

TEST_F(VelaDlgTest, EveryControlHasANameAScreenReaderCanSay) {
  auto dlg = Open();
  for (int block = 1; block <= 4; ++block) {
    const std::string caption = LoadString(IDS_BLOCK_0 + block);
    EXPECT_EQ(FindControl(dlg->Panel(block), CMeterCtrl::IDC_VALUE)->accessibleName().toStdString(), caption);
    EXPECT_EQ(dlg->Panel(block)->Meter()->accessibleName().toStdString(), caption + " meter");
  }
  QApplication::processEvents();
  dlg->Panel(2)->SetValueText("12.5000");
  EXPECT_EQ(dlg->Panel(2)->Meter()->accessibleDescription(), "12.5000 %, range 0.0000 to 100.0000 %");
  EXPECT_TRUE(dlg->Panel(0)->Meter()->accessibleDescription().isEmpty()) << "no reading, no value to tell";
  // No internal name, and no empty button offered.
  for (QWidget *w : dlg->findChildren<QWidget *>())
    EXPECT_NE(w->accessibleName(), "METER_BASE");
  dlg->SelectBlock(3);
  EXPECT_TRUE(Button(*dlg, CVELADlg::kUtilityButtons[1])->isVisible());
  EXPECT_FALSE(Button(*dlg, CVELADlg::kUtilityButtons[2])->isVisible());
  EXPECT_FALSE(List(*dlg).accessibleName().isEmpty());
}

class VelaDlgOnlineTest : public VelaDlgTest {
protected:
  void Connect(CVELADlg &dlg) {
    SimOptions options;
    options.registerPort = false;
    options.inputPercent = 50.0;
    m_sim = std::make_unique<CKT5RSSimulator>(options);
    m_sim->Start();
    auto comm = std::make_unique<CCommInterface>();
    comm->OpenDevice(m_sim->DevicePath());
    dlg.TakeConnection(std::move(comm));
    ASSERT_TRUE(dlg.IsOnline());
  }
  std::unique_ptr<CKT5RSSimulator> m_sim;
};

TEST_F(VelaDlgOnlineTest, OnlineATooltipAlsoGivesTheValueReadFromTheInstrument) {
  auto dlg = Open();
  Connect(*dlg);
  dlg->SelectBlock(6);
  const QStringList serial = List(*dlg).RowToolTip(2).split('\n');
  ASSERT_EQ(serial.size(), 2);
  EXPECT_EQ(serial[1].toStdString(), "Instrument: " + dlg->Model()->GetValueText(6, 2));
  dlg->SelectBlock(1);
  EXPECT_TRUE(List(*dlg).RowToolTip(0).split('\n').last().startsWith("Instrument: "));
}

TEST_F(VelaDlgOnlineTest, PolledErrorAsksOnceAndNoLeavesTheWindowOffline) {
  auto dlg = Open();
  Connect(*dlg);
  EXPECT_EQ(Button(*dlg, CVELADlg::IDC_CONNECT)->text(), "Disconnect");
  EXPECT_FALSE(Button(*dlg, CVELADlg::IDC_LANGUAGE)->isEnabled());
  // The live values reach panels 1 to 4.
  ASSERT_TRUE(Pump([&] {
    return !dlg->Poller()->GetLiveText(0).empty() &&
           PanelValue(*dlg, 1).toStdString() == dlg->Poller()->GetLiveText(0);
  }));
  // Online the keys reach Device Info; Alt+L does nothing.
  dlg->SelectBlock(5);
  List(*dlg).setFocus();
  Key(&List(*dlg), Qt::Key_Right);
  EXPECT_EQ(dlg->SelectedBlock(), CVELADlg::kDeviceInfoBlock);
  Key(dlg.get(), Qt::Key_L, Qt::AltModifier);
  QApplication::processEvents();
  EXPECT_EQ(m_language.CurrentIndex(), 0);
  EXPECT_TRUE(dlg->isVisible());

  m_sim->SetFault(SimFault::Silence);
  ASSERT_TRUE(Pump([&] { return !dlg->IsOnline(); }));
  EXPECT_EQ(Texts(), std::vector<std::string>{LoadString(IDS_COMM_ERROR_RETRY)});
  EXPECT_EQ(m_host.Messages()[0].style & 0xF0, unsigned(MB_ICONQUESTION));
  EXPECT_EQ(Button(*dlg, CVELADlg::IDC_CONNECT)->text(), "Connect");
  EXPECT_FALSE(Button(*dlg, CVELADlg::IDC_CONNECT)->isChecked());
  EXPECT_EQ(dlg->SelectedBlock(), 5);
  EXPECT_FALSE(Selector(*dlg, CVELADlg::kDeviceInfoBlock)->isEnabled());
  EXPECT_TRUE(Button(*dlg, CVELADlg::IDC_LANGUAGE)->isEnabled());
  // Offline the panels show the set's own values, and nothing more is asked.
  ASSERT_TRUE(Pump([&] { return PanelValue(*dlg, 2) == "0.0"; }));
  EXPECT_EQ(PanelValue(*dlg, 1).toStdString(), dlg->Model()->GetValueString(2, 0));
  EXPECT_EQ(m_host.Messages().size(), 1u);
}

TEST_F(VelaDlgOnlineTest, PolledErrorAnsweredYesReopensAndPollingGoesOn) {
  auto dlg = Open();
  Connect(*dlg);
  m_host.AnswerQuestions({IDYES});
  const unsigned long cycles = dlg->Poller()->CycleCount();
  m_sim->SetFault(SimFault::Silence, 0, 1);
  ASSERT_TRUE(Pump([&] { return !m_host.Messages().empty(); }));
  // Cycles go on through the reopened port and succeed again.
  ASSERT_TRUE(Pump([&] { return dlg->Poller()->CycleCount() > cycles + 3 && !dlg->Poller()->GetError(); }));
  EXPECT_TRUE(dlg->IsOnline());
  EXPECT_EQ(Button(*dlg, CVELADlg::IDC_CONNECT)->text(), "Disconnect");
  EXPECT_EQ(Texts(), std::vector<std::string>{LoadString(IDS_COMM_ERROR_RETRY)});
}

TEST_F(VelaDlgOnlineTest, ClosingWhileTheInstrumentIsSilentEndsTheRun) {
  auto dlg = Open();
  Connect(*dlg);
  m_sim->SetFault(SimFault::Silence);
  dlg->close();
  EXPECT_FALSE(dlg->IsOnline());
  EXPECT_FALSE(dlg->Poller()->IsRunning());
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_TRUE(m_host.Messages().empty());
}

TEST_F(VelaDlgTest, ConfigFileOpensFromTheCommandLineAndByDropping) {
  std::unique_ptr<CParBase> source = CVELADlg(m_language).Model()->Clone();
  source->SetValueString(1, 0, "3.5");
  source->SaveFile(m_home.File("first.cfg"));
  source->SetValueString(1, 0, "4.5");
  source->SaveFile(m_home.File("second.CFG"));
  CParKT7W().SaveFile(m_home.File("other.cfg"));

  auto dlg = std::make_unique<CVELADlg>(m_language);
  dlg->SetStartFile(m_home.File("first.cfg"));
  dlg->Create();
  dlg->show();
  dlg->SelectBlock(1);
  ASSERT_TRUE(Pump([&] { return dlg->Model()->GetValueString(1, 0) == "3.5000"; }));
  EXPECT_EQ(List(*dlg).RowText(0, 1).toStdString(), dlg->Model()->GetValueText(1, 0));

  auto drop = [&](const std::string &path) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    const QPoint at = dlg->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dlg.get(), &enter);
    if (!enter.isAccepted())
      return false;
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(dlg.get(), &dropped);
    for (int i = 0; i < 5; ++i)
      QApplication::processEvents();
    return true;
  };
  ASSERT_TRUE(drop(m_home.File("second.CFG")));
  EXPECT_EQ(dlg->Model()->GetValueString(1, 0), "4.5000");
  EXPECT_FALSE(drop(m_home.File("notes.txt")));

  // A file of another model is refused with its own message, and the set stays.
  ASSERT_TRUE(drop(m_home.File("other.cfg")));
  ASSERT_EQ(m_host.Messages().size(), 2u);
  EXPECT_EQ(m_host.Messages()[1].text, LoadString(IDS_LOAD_FILE_FAILED));
  EXPECT_EQ(dlg->Model()->GetValueString(1, 0), "4.5000");

  // A file that is not there is not called a file of another model.
  ASSERT_TRUE(drop(m_home.File("gone.cfg")));
  ASSERT_EQ(m_host.Messages().size(), 3u);
  EXPECT_EQ(m_host.Messages()[2].text.rfind(LoadString(IDS_LOAD_FILE_FAILED), 0), 0u);
  EXPECT_NE(m_host.Messages()[2].text.find("gone.cfg"), std::string::npos);
  EXPECT_EQ(dlg->Model()->GetValueString(1, 0), "4.5000");
}

} // namespace
