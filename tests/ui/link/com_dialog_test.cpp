// The COM port dialog as a person uses it: what it offers and preselects,
// and what it returns and remembers on OK and on Cancel.
#include "ui/link/com_dialog.h"

#include "../modal_driver.h"
#include "kt5rs_simulator.h"
#include "core/resources/settings_store.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "scripted_ui_host.h"
#include "test_env.h"

#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

class ComDialogTest : public ::testing::Test {
protected:
  void SetUp() override { SetSettingsStore(&m_store); }
  void TearDown() override { SetSettingsStore(nullptr); }

  std::string SavedPort() const { return m_store.GetString("Settings", "COMPort", "(none)"); }

  static std::vector<CPortRecord> Ports(std::initializer_list<int> numbers) {
    std::vector<CPortRecord> ports;
    for (int n : numbers)
      ports.push_back(MakeMapRecord(n, "/dev/ttyUSB" + std::to_string(n)));
    return ports;
  }

  // Looks at the open dialog's list, then chooses an entry and presses a button.
  static ModalDriver::Step Choose(QStringList *texts, int *selected, int pick, int button) {
    return [=](QWidget *modal) {
      auto *dlg = qobject_cast<CComDialog *>(modal);
      if (!dlg)
        return false;
      auto *combo = dlg->findChild<QComboBox *>("1022");
      for (int i = 0; i < combo->count(); ++i)
        texts->append(combo->itemText(i));
      *selected = combo->currentIndex();
      if (pick >= 0)
        combo->setCurrentIndex(pick);
      dlg->findChild<QPushButton *>(QString::number(button))->click();
      return true;
    };
  }

  CMemorySettingsStore m_store;
  CScriptedUIHost m_host;
};

TEST_F(ComDialogTest, LastPortPreselectedByExactName) {
  m_store.SetString("Settings", "COMPort", "COM4");
  QStringList texts;
  int selected = -1;
  CComDialog dlg;
  dlg.SetPorts(Ports({1, 3, 4}));
  ModalDriver driver({Choose(&texts, &selected, -1, 1)});
  EXPECT_EQ(dlg.Run(), 4);
  EXPECT_EQ(texts, (QStringList{"/dev/ttyUSB1 (COM1)", "/dev/ttyUSB3 (COM3)", "/dev/ttyUSB4 (COM4)"}));
  EXPECT_EQ(selected, 2);

  // Names match case and all: "com4" is no port of the list. Cancel keeps it.
  m_store.SetString("Settings", "COMPort", "com4");
  texts.clear();
  CComDialog again;
  again.SetPorts(Ports({1, 3, 4}));
  ModalDriver driver2({Choose(&texts, &selected, 2, 2)});
  EXPECT_EQ(again.Run(), 0);
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(SavedPort(), "com4");
}

TEST_F(ComDialogTest, ChoiceReturnedAndRemembered) {
  QStringList texts;
  int selected = -1;
  CComDialog dlg;
  dlg.SetPorts(Ports({2, 10}));
  ModalDriver driver({Choose(&texts, &selected, 1, 1)});
  EXPECT_EQ(dlg.Run(), 10);
  EXPECT_EQ(texts.size(), 2);
  EXPECT_EQ(SavedPort(), "COM10");
}

TEST_F(ComDialogTest, NoPortReportedAndCancelled) {
  CComDialog dlg;
  dlg.SetPorts({});
  EXPECT_EQ(dlg.Run(), 0);
  ASSERT_EQ(m_host.Messages().size(), 1u);
  EXPECT_EQ(m_host.Messages()[0].text, LoadString(IDS_NO_COM_PORT));
  EXPECT_EQ(m_host.Messages()[0].style, MB_ICONERROR);
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(SavedPort(), "(none)");
}

TEST_F(ComDialogTest, ListsTheSystemsPorts) {
  ScopedTestHome home;
  CKT5RSSimulator sim{SimOptions{}};
  sim.Start();
  QStringList texts;
  int selected = -1;
  CComDialog dlg;
  int pick = -1;
  ModalDriver driver({[&](QWidget *modal) {
    auto *combo = modal->findChild<QComboBox *>("1022");
    pick = combo ? combo->findText(QString::fromStdString(sim.DevicePath() + " (" + sim.ComName() + ")")) : -1;
    return Choose(&texts, &selected, pick, 1)(modal);
  }});
  EXPECT_EQ(dlg.Run(), sim.ComNumber());
  EXPECT_GE(pick, 0);
  EXPECT_EQ(SavedPort(), "COM" + std::to_string(sim.ComNumber()));
}

} // namespace
