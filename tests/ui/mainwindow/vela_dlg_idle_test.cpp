// The main window at rest: its 100 ms timer hands the same texts to the
// meter panels tick after tick, and a panel is painted again only when what
// it shows has changed.
#include "ui/instruments/meter_ctrl.h"
#include "ui/mainwindow/vela_dlg.h"

#include "core/model/par_base.h"
#include "core/resources/language_module.h"
#include "core/resources/settings_store.h"
#include "scripted_ui_host.h"
#include "test_env.h"
#include "ui/resources/template_builder.h"

#include <QEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class PaintCounter : public QObject {
public:
  bool eventFilter(QObject *, QEvent *event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
  int paints = 0;
};

TEST(VelaDlgIdle, PanelsArePaintedAgainOnlyWhenTheirTextChanges) {
  ScopedTestHome home;
  CScriptedUIHost host;
  CMemorySettingsStore store;
  CLanguageModule language(store, VELA_BIN_DIR);
  language.Load(0);
  auto dlg = std::make_unique<CVELADlg>(language);
  dlg->Create();
  dlg->show();
  dlg->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
  // The first ticks bring the values in.
  QTest::qWait(300);

  PaintCounter counter;
  for (int block = 1; block <= 4; ++block)
    for (QWidget *child : dlg->Panel(block)->findChildren<QWidget *>())
      child->installEventFilter(&counter);
  QTest::qWait(1000);
  EXPECT_EQ(counter.paints, 0);

  // Offline the Input Value panel shows the set's 0% input.
  dlg->Model()->SetValueString(2, 0, "12.5");
  QTest::qWait(300);
  EXPECT_GT(counter.paints, 0);
  EXPECT_EQ(FindControl<QLineEdit>(dlg->Panel(1), CMeterCtrl::IDC_VALUE)->text(), "12.5000");
}

} // namespace
