// The input and output calibration dialogs on Qt's offscreen platform
// against the instrument simulator: the command lines behind each control,
// the boxes they fill, the DA repeat and what a failure leaves.
#include "ui/tools/input_calib_dialog.h"
#include "ui/tools/output_calib_dialog.h"
#include "ui/tools/up_down_edit.h"

#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "scripted_ui_host.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// The scripted host, with a look at the dialog each time a message box opens.
class ProbingHost : public CScriptedUIHost {
public:
  std::function<void()> onMessage;
  int MessageBox(const std::string &text, unsigned style) override {
    if (onMessage)
      onMessage();
    return CScriptedUIHost::MessageBox(text, style);
  }
};

// Runs the event loop until pred holds or a few seconds have passed.
bool ProcessUntil(const std::function<bool()> &pred, int timeoutMs = 5000) {
  QElapsedTimer clock;
  clock.start();
  while (!pred()) {
    if (clock.elapsed() > timeoutMs)
      return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

void Choose(QWidget *dialog, int listId, int index) {
  auto *list = FindControl<QComboBox>(dialog, listId);
  list->setCurrentIndex(index);
  emit list->activated(index);
}

QString Text(QWidget *dialog, int id) {
  if (auto *edit = FindControl<QLineEdit>(dialog, id))
    return edit->text();
  return FindControl<QAbstractSpinBox>(dialog, id)->text();
}

void Type(QWidget *dialog, int id, const QString &text) { FindControl<QLineEdit>(dialog, id)->setText(text); }

void Click(QWidget *dialog, int id) { FindControl<QPushButton>(dialog, id)->click(); }

bool Enabled(QWidget *dialog, int id) { return FindControl<QWidget>(dialog, id)->isEnabled(); }

class CalibDialogs : public ::testing::Test {
protected:
  void SetUp() override {
    SimOptions o;
    o.registerPort = false;
    o.inputPercent = 50;
    sim = std::make_unique<CKT5RSSimulator>(o);
    sim->Start();
    SimCalibration cal = sim->Calibration();
    cal.inputLow[0] = {2100, 1000};
    cal.inputHigh[0] = {13900, 990000};
    cal.outputLow[0] = {2050, 100};
    cal.outputHigh[0] = {14000, 200000};
    sim->SetCalibration(cal);
    comm.OpenDevice(sim->DevicePath());
    sim->ClearTranscript();
  }

  ProbingHost host;
  std::unique_ptr<CKT5RSSimulator> sim;
  CCommInterface comm;
};

TEST_F(CalibDialogs, InputTypeSendsItsSequenceFillsTheBoxesAndEnablesTheSetButtons) {
  CInputCalibDialog dlg;
  dlg.SetProtocol(&comm);
  EXPECT_EQ(dlg.windowTitle(), "入力校正");
  EXPECT_FALSE(Enabled(&dlg, 1044));
  Choose(&dlg, 1042, 1);
  EXPECT_EQ(sim->Commands(), (Lines{"G01", "I01", "D1", "I10", "D0", "I01", "D0", "G99", "I05", "DLR", "DHR"}));
  EXPECT_EQ(Text(&dlg, 1058), "2100");
  EXPECT_EQ(Text(&dlg, 1043), "0.1000");
  EXPECT_EQ(Text(&dlg, 1059), "13900");
  EXPECT_EQ(Text(&dlg, 1045), "99.0000");
  EXPECT_TRUE(Enabled(&dlg, 1044) && Enabled(&dlg, 1046));

  sim->ClearTranscript();
  Choose(&dlg, 1042, 0);
  EXPECT_TRUE(sim->Commands().empty());
  EXPECT_FALSE(Enabled(&dlg, 1044) || Enabled(&dlg, 1046));
}

TEST_F(CalibDialogs, InputSetSendsTheTypedValueButNoLineBreakAndShowsWhatWasStored) {
  CInputCalibDialog dlg;
  dlg.SetProtocol(&comm);
  Choose(&dlg, 1042, 1);
  sim->ClearTranscript();
  Type(&dlg, 1043, "4");
  Click(&dlg, 1044);
  EXPECT_EQ(sim->Commands(), (Lines{"G99", "I05", "DL4"}));
  EXPECT_EQ(Text(&dlg, 1043), "4.0000");
  EXPECT_EQ(Text(&dlg, 1058).toInt(), sim->Calibration().inputLow[0].counts);

  sim->ClearTranscript();
  Type(&dlg, 1045, "");
  Click(&dlg, 1046);
  EXPECT_EQ(sim->Commands(), (Lines{"G99", "I05", "DH"}));

  sim->ClearTranscript();
  Type(&dlg, 1043, "4\rG01");
  Click(&dlg, 1044);
  EXPECT_TRUE(sim->Commands().empty());
  ASSERT_FALSE(host.Messages().empty());
  EXPECT_EQ(host.Messages().back().text, LoadString(IDS_VALUE_LINE_BREAK));

  // A failure is reported with its own text; the dialog keeps its state.
  sim->SetFault(SimFault::Silence, 0, 1);
  Type(&dlg, 1043, "4");
  Click(&dlg, 1044);
  EXPECT_EQ(host.Messages().back().text, LoadString(IDS_RECEIVE_TIMEOUT));
  EXPECT_TRUE(Enabled(&dlg, 1044));
}

TEST_F(CalibDialogs, OutputTypeAdjustAndSetFollowTheInstrument) {
  COutputCalibDialog dlg;
  dlg.SetProtocol(&comm);
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), "出力校正");
  Choose(&dlg, 1047, 1);
  EXPECT_EQ(sim->Commands(), (Lines{"G01", "I01", "D1", "I11", "D0", "I01", "D0", "G99", "I04", "DLR", "DHR"}));
  EXPECT_EQ(Text(&dlg, 1048), "2050");
  EXPECT_EQ(Text(&dlg, 1054), "20.0000");
  EXPECT_TRUE(Enabled(&dlg, 1056) && Enabled(&dlg, 1057));
  EXPECT_FALSE(Enabled(&dlg, 1051) || Enabled(&dlg, 1055));

  sim->ClearTranscript();
  Click(&dlg, 1056);
  EXPECT_EQ(sim->Commands(), (Lines{"G01", "I01", "D1", "G99", "I04"}));
  EXPECT_TRUE(Enabled(&dlg, 1051));
  EXPECT_FALSE(Enabled(&dlg, 1055));

  // The arrow steps within 100 to 16000 from what the box holds; the
  // repeat sends whatever the box holds.
  auto *da = FindControl<QAbstractSpinBox>(&dlg, 1049);
  ASSERT_NE(da, nullptr);
  auto arrowUp = [da] {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(da, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(da, &release);
  };
  auto sent = [this](const std::string &command) {
    return ProcessUntil([&] {
      const Lines c = sim->Commands();
      return std::find(c.begin(), c.end(), command) != c.end();
    });
  };
  FindControl<CUpDownEdit>(&dlg, 1048)->SetText("100");
  arrowUp();
  EXPECT_EQ(da->text(), "101");
  EXPECT_TRUE(sent("DX101"));
  FindControl<CUpDownEdit>(&dlg, 1048)->SetText("16000");
  arrowUp();
  EXPECT_EQ(da->text(), "16000");
  FindControl<CUpDownEdit>(&dlg, 1048)->SetText("20000");
  EXPECT_TRUE(sent("DX20000"));

  sim->ClearTranscript();
  Type(&dlg, 1050, "0.05");
  Click(&dlg, 1051);
  EXPECT_EQ(sim->Commands(), (Lines{"G99", "I04", "DL0.05", "G01", "I01", "D0"}));
  EXPECT_EQ(Text(&dlg, 1050), "0.0500");
  EXPECT_FALSE(Enabled(&dlg, 1051));
  EXPECT_FALSE(sim->FixedOutput());

  // Closing returns the output to normal operation.
  Click(&dlg, 1057);
  sim->ClearTranscript();
  dlg.reject();
  EXPECT_EQ(sim->Commands(), (Lines{"G01", "I01", "D0"}));
}

TEST_F(CalibDialogs, AFailureDuringAdjustmentStopsTheRepeatBeforeTheMessage) {
  COutputCalibDialog dlg;
  dlg.SetProtocol(&comm);
  dlg.show();
  Choose(&dlg, 1047, 1);
  Click(&dlg, 1057);
  bool stoppedFirst = false;
  host.onMessage = [&] {
    stoppedFirst = !Enabled(&dlg, 1055) && !Enabled(&dlg, 1056) &&
                   FindControl<QComboBox>(&dlg, 1047)->currentIndex() == 0;
  };
  sim->SetFault(SimFault::Silence);
  ASSERT_TRUE(ProcessUntil([this] { return !host.Messages().empty(); }));
  EXPECT_EQ(host.Messages()[0].text, LoadString(IDS_COMM_ERROR));
  EXPECT_TRUE(stoppedFirst);
  sim->ClearFault();
  sim->ClearTranscript();
  ProcessUntil([] { return false; }, 3 * COutputCalibDialog::TickMs);
  EXPECT_TRUE(sim->Commands().empty());
  EXPECT_EQ(host.Messages().size(), 1u);
}

} // namespace
