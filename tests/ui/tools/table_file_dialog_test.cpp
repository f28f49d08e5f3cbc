// The user table dialog on Qt's offscreen platform: the preview of the
// working copy, Open and Save through the file dialog, and what reaches the
// caller's table.
#include "ui/tools/table_file_dialog.h"

#include "../modal_driver.h"
#include "ui/instruments/graph.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "scripted_ui_host.h"
#include "test_env.h"

#include <QFileDialog>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

ModalDriver::Step Press(int id) {
  return [id](QWidget *dlg) {
    if (!qobject_cast<CTableFileDialog *>(dlg))
      return false;
    // Queued: the button's file dialog runs its own loop inside the click.
    QMetaObject::invokeMethod(FindControl<QPushButton>(dlg, id), &QPushButton::click, Qt::QueuedConnection);
    return true;
  };
}

ModalDriver::Step Choose(const std::string &path) {
  return [path](QWidget *modal) {
    auto *files = qobject_cast<QFileDialog *>(modal);
    if (!files)
      return false;
    files->selectFile(QString::fromStdString(path));
    static_cast<QDialog *>(files)->accept(); // its own accept checks the name
    return true;
  };
}

CTableFile TwoPoints() {
  CTableFile t;
  t.Add(0, 0);
  t.Add(100, 100);
  return t;
}

TEST(TableFileDialog, PreviewsTheTableOnItsAxesAndOpensAFileIntoIt) {
  ScopedTestHome home;
  CScriptedUIHost host;
  WriteWholeFile(home.File("curve.txt"), "{\n0, 10\n50, 40\n100, 100\n}\n");
  WriteWholeFile(home.File("broken.txt"), "{\n1, 2\n");

  CTableFile table = TwoPoints();
  CTableFileDialog dlg;
  EXPECT_EQ(dlg.windowTitle(), "User Table");
  std::size_t shownFirst = 0;
  ModalDriver driver({[&](QWidget *d) {
                        shownFirst = dlg.Preview()->Logic().Samples().Size();
                        return d == &dlg;
                      },
                      Press(1029), Choose(home.File("broken.txt")), Press(1029), Choose(home.File("curve.txt")),
                      Press(IDOK)});
  EXPECT_EQ(dlg.Run(table), IDOK);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(shownFirst, 2u);
  const GraphView &view = dlg.Preview()->Logic().View();
  EXPECT_EQ(view.xLow, -15);
  EXPECT_EQ(view.yHigh, 115);
  EXPECT_EQ(dlg.Preview()->GetMode(), CGraph::RecordingMode);
  EXPECT_EQ(dlg.Preview()->Logic().Samples().Size(), 3u);
  EXPECT_EQ(table.Y, (std::vector<double>{10, 40, 100}));
  ASSERT_EQ(host.Messages().size(), 1u);
  EXPECT_EQ(host.Messages()[0].text, LoadString(IDS_TABLE_BAD_STRUCTURE));
}

TEST(TableFileDialog, SavesTheWorkingCopyAndCancelKeepsTheCallersTable) {
  ScopedTestHome home;
  CScriptedUIHost host;
  WriteWholeFile(home.File("curve.txt"), "{\n0, 10\n100, 100\n}\n");
  CTableFile table = TwoPoints();
  CTableFileDialog dlg;
  ModalDriver driver({Press(1029), Choose(home.File("curve.txt")), Press(1030), Choose(home.File("saved.txt")),
                      Press(IDCANCEL)});
  EXPECT_EQ(dlg.Run(table), IDCANCEL);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(ReadWholeFile(home.File("saved.txt")), "{\r\n0.0000, 10.0000\r\n100.0000, 100.0000\r\n}\r\n");
  EXPECT_EQ(table.Y, (std::vector<double>{0, 100}));
  EXPECT_TRUE(host.Messages().empty());
}

} // namespace
