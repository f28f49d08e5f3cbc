// The utility actions through the Qt host: the model opens the real tool
// dialogs and sends what they answer, against the instrument simulator.
#include "../modal_driver.h"
#include "kt5rs_simulator.h"
#include "core/link/comm_interface.h"
#include "core/model/par_kt5rs.h"
#include "ui/app/qt_ui_host.h"
#include "ui/resources/template_builder.h"
#include "ui/tools/loop_dialog.h"
#include "ui/tools/output_calib_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

TEST(UtilityThroughQtHost, LoopTestAndOutputCalibrationOpenTheirDialogs) {
  CQtUIHost host;
  SimOptions o;
  o.registerPort = false;
  CKT5RSSimulator sim(o);
  sim.Start();
  CCommInterface comm;
  comm.OpenDevice(sim.DevicePath());
  comm.SelectGroup(1);
  CParKT5RS model;
  model.SetServiceFlag(true);

  sim.ClearTranscript();
  ModalDriver loop({[](QWidget *modal) {
    if (!qobject_cast<CLoopDialog *>(modal))
      return false;
    FindControl<QRadioButton>(modal, 1065)->setChecked(true);
    FindControl<QLineEdit>(modal, 1067)->setText("12.5");
    FindControl<QPushButton>(modal, IDOK)->click();
    return true;
  }});
  model.ExecuteUtility(&comm, 5, 3);
  EXPECT_TRUE(loop.Done());
  EXPECT_EQ(sim.Commands(), (Lines{"I90", "D2", "I01", "D1", "I02", "D12.5000"}));

  sim.ClearTranscript();
  ModalDriver calibration({[](QWidget *modal) {
    if (!qobject_cast<COutputCalibDialog *>(modal))
      return false;
    FindControl<QPushButton>(modal, IDCANCEL)->click();
    return true;
  }});
  model.ExecuteUtility(&comm, 5, 4);
  EXPECT_TRUE(calibration.Done());
  const Lines sent = sim.Commands();
  ASSERT_GE(sent.size(), 6u);
  EXPECT_EQ(Lines(sent.begin(), sent.begin() + 6), (Lines{"I90", "D2", "G01", "I01", "D0", "G01"}));
  EXPECT_FALSE(sim.FixedOutput());
}

} // namespace
