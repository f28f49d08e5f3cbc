// The main window at rest: its 100 ms timer hands the same texts to the
// meter panels tick after tick, and a panel is painted again only when what
// it shows has changed.
#include "ui/instruments/meter_ctrl.h"
#include "ui/mainwindow/vela_dlg.h"

#include "core/model/par_base.h"
#include "core/resources/language_module.h"
#include "core/resources/settings_store.h"
#include "core/workers/update_io_thread.h"
#include "scripted_ui_host.h"
#include "test_env.h"
#include "ui/resources/template_builder.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class TimerCounter : public QObject {
public:
  bool eventFilter(QObject *, QEvent *event) override {
    timers += event->type() == QEvent::Timer;
    return false;
  }
  int timers = 0;
};

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

  // Offline the Input Value panel shows the set's 0% input. The set changes
  // only through something done in the window; any event brings the panels
  // up to date.
  dlg->Model()->SetValueString(2, 0, "12.5");
  QTest::mouseMove(dlg.get(), QPoint(5, 5));
  QTest::qWait(300);
  EXPECT_GT(counter.paints, 0);
  EXPECT_EQ(FindControl<QLineEdit>(dlg->Panel(1), CMeterCtrl::IDC_VALUE)->text(), "12.5000");
}

TEST(VelaDlgIdle, OfflineAndLeftAloneTheWindowSleepsUntilSomethingHappens) {
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
  QTest::qWait(300);

  TimerCounter counter;
  QApplication::instance()->installEventFilter(&counter);
  const unsigned long cycles = dlg->Poller()->CycleCount();
  QTest::qWait(1000);
  EXPECT_EQ(counter.timers, 0) << "a timer woke the idle window";
  EXPECT_EQ(dlg->Poller()->CycleCount(), cycles) << "the poller woke while offline";

  // A key on the list wakes it once: the panels follow the set again.
  dlg->Model()->SetValueString(2, 0, "7.5");
  QTest::keyClick(dlg->focusWidget() ? dlg->focusWidget() : dlg.get(), Qt::Key_Shift);
  QTest::qWait(300);
  EXPECT_EQ(FindControl<QLineEdit>(dlg->Panel(1), CMeterCtrl::IDC_VALUE)->text(), "7.5000");
  QApplication::instance()->removeEventFilter(&counter);
}

} // namespace
