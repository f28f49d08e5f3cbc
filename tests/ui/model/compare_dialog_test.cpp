// The compare dialog over two real parameter sets: what it lists and
// counts, how a difference is shown, and the CSV a technician saves from it.
#include "ui/model/compare_dialog.h"

#include "../modal_driver.h"
#include "core/model/par_kt5rs.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "scripted_ui_host.h"
#include "test_env.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

QTableWidget *List(const CCompareDialog &dlg) { return dlg.findChild<QTableWidget *>("1062"); }
QString Summary(const CCompareDialog &dlg) { return dlg.findChild<QLabel *>("1035")->text(); }

bool IsRed(const QTableWidgetItem *item) {
  return item->background().color() == CCompareDialog::DifferBackground() &&
         item->foreground().color() == CCompareDialog::DifferText();
}

int RedRows(const QTableWidget *list) {
  int red = 0;
  for (int r = 0; r < list->rowCount(); ++r)
    red += IsRed(list->item(r, 0)) && IsRed(list->item(r, 3));
  return red;
}

// Row of block 3's item 150, X[74], deep in the user table.
constexpr int kTablePointRow = 2 + 4 + 2 + 150;

TEST(CompareDialog, EqualSetsAllMatch) {
  CParKT5RS edited;
  auto device = edited.Clone();
  CCompareDialog dlg(edited, *device);
  QTableWidget *list = List(dlg);
  EXPECT_EQ(dlg.windowTitle(), "Compare Results");
  ASSERT_EQ(list->columnCount(), 4);
  EXPECT_EQ(list->horizontalHeaderItem(0)->text(), "Function Block");
  EXPECT_EQ(list->horizontalHeaderItem(3)->text(), "Device Value");
  // Every block and parameter name fits its column whole.
  const QFontMetrics metrics(list->font());
  for (int r = 0; r < list->rowCount(); ++r)
    for (int c : {0, 1})
      EXPECT_LT(metrics.horizontalAdvance(list->item(r, c)->text()), list->columnWidth(c)) << r << "," << c;
  EXPECT_EQ(list->rowCount(), 217); // the device information is not compared
  EXPECT_EQ(Summary(dlg).toStdString(), LoadString(IDS_ALL_MATCHING));
  EXPECT_EQ(RedRows(list), 0);
}

TEST(CompareDialog, OneTablePointDiffersInRedAndInView) {
  CParKT5RS edited;
  auto device = edited.Clone();
  device->SetValue(3, 150, device->GetValue(3, 150) + 1);
  CCompareDialog dlg(edited, *device);
  dlg.show();
  QTableWidget *list = List(dlg);
  EXPECT_EQ(Summary(dlg).toStdString(), FormatMessageId(IDS_N_NOT_MATCHING, {1LL}));
  EXPECT_EQ(RedRows(list), 1);
  EXPECT_TRUE(IsRed(list->item(kTablePointRow, 0)));
  const QRect cell = list->visualItemRect(list->item(kTablePointRow, 1));
  EXPECT_TRUE(list->viewport()->rect().contains(cell)) << cell.y();
}

TEST(CompareDialog, SavesTheRowsAsCsv) {
  ScopedTestHome home;
  CScriptedUIHost host;
  CParKT5RS edited;
  auto device = edited.Clone();
  device->SetValue(3, 150, device->GetValue(3, 150) + 1);
  CCompareDialog dlg(edited, *device);
  const std::string path = home.File("record.csv");

  ModalDriver driver({
      [](QWidget *modal) {
        auto *button = modal->findChild<QPushButton *>("1063");
        if (!qobject_cast<CCompareDialog *>(modal) || !button)
          return false;
        // Its file dialog runs a loop of its own: press after this step returns.
        QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
        return true;
      },
      [&](QWidget *modal) {
        auto *files = qobject_cast<QFileDialog *>(modal);
        if (!files)
          return false;
        files->selectFile(QString::fromStdString(path));
        QMetaObject::invokeMethod(files, "accept");
        return true;
      },
      [](QWidget *modal) {
        if (!qobject_cast<CCompareDialog *>(modal))
          return false;
        modal->findChild<QPushButton *>("2")->click();
        return true;
      },
  });
  dlg.exec();
  ASSERT_TRUE(driver.Done());

  const std::string csv = ReadWholeFile(path);
  const std::string header = "\xEF\xBB\xBF"
                             "Function Block,Parameter Name,Edited Value,Device Value,Not Matching\r\n";
  ASSERT_EQ(csv.substr(0, header.size()), header);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 218);
  const std::string differing = LoadString(IDS_BLOCK_0 + 3) + "," + edited.GetName(3, 150) + "," +
                                edited.GetValueText(3, 150) + "," + device->GetValueText(3, 150) + ",*\r\n";
  EXPECT_NE(csv.find(differing), std::string::npos);
  EXPECT_EQ(csv.find(",*\r\n"), csv.rfind(",*\r\n"));

  // A folder that is not there: the system's words, and nothing claimed.
  EXPECT_FALSE(dlg.SaveCsv(home.File("missing/record.csv")));
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text.rfind(LoadString(IDS_COMPARE_CSV_FAILED) + "\n", 0), 0u);
}

} // namespace
