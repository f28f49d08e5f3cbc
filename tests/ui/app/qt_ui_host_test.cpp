// The Qt user interface host: real message boxes and the real value prompt,
// answered by clicking their buttons.
#include "../modal_driver.h"
#include "ui/tools/input_dialog.h"
#include "ui/app/qt_ui_host.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// Clicks the message box's button of the given kind, after checking the box.
ModalDriver::Step Answer(QMessageBox::StandardButton button, QMessageBox::Icon icon, QString *title = nullptr,
                         QString *text = nullptr) {
  return [=](QWidget *modal) {
    auto *box = qobject_cast<QMessageBox *>(modal);
    if (!box)
      return false;
    EXPECT_EQ(box->icon(), icon);
    if (title)
      *title = box->windowTitle();
    if (text)
      *text = box->text();
    QAbstractButton *b = box->button(button);
    EXPECT_NE(b, nullptr);
    if (b)
      b->click();
    return true;
  };
}

TEST(QtUIHost, InstallsItselfAndGoesAway) {
  {
    CQtUIHost host;
    EXPECT_EQ(&UIHost(), &host);
  }
  EXPECT_EQ(dynamic_cast<CQtUIHost *>(&UIHost()), nullptr);
}

TEST(QtUIHost, ErrorMessageWithTheMainWindowsTitle) {
  CQtUIHost host;
  QWidget main;
  main.setWindowTitle("KT5RSCFG Version1.0.0");
  host.SetMainWindow(&main);
  QString title, text;
  ModalDriver driver({Answer(QMessageBox::Ok, QMessageBox::Critical, &title, &text)});
  EXPECT_EQ(AfxMessageBox("Can't load language module", MB_ICONERROR), IDOK);
  EXPECT_TRUE(driver.Done());
  EXPECT_EQ(title, "KT5RSCFG Version1.0.0");
  EXPECT_EQ(text, "Can't load language module");
}

TEST(QtUIHost, QuestionsAnswerYesOrNo) {
  CQtUIHost host;
  ModalDriver driver(
      {Answer(QMessageBox::No, QMessageBox::Question), Answer(QMessageBox::Yes, QMessageBox::Question)});
  EXPECT_EQ(AfxMessageBox(IDS_COMM_ERROR_RETRY, MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(AfxMessageBox(IDS_COMM_ERROR_RETRY, MB_YESNO | MB_ICONQUESTION), IDYES);
  EXPECT_TRUE(driver.Done());
}

TEST(QtUIHost, WarningAndInformationIcons) {
  CQtUIHost host;
  QString title;
  ModalDriver driver({Answer(QMessageBox::Ok, QMessageBox::Warning, &title),
                      Answer(QMessageBox::Ok, QMessageBox::Information)});
  EXPECT_EQ(host.MessageBox("w", MB_ICONWARNING), IDOK);
  EXPECT_EQ(host.MessageBox("i", MB_ICONINFORMATION), IDOK);
  // Without a main window the box carries the main window's template caption.
  EXPECT_EQ(title, "VELA");
}

// Types text into the prompt and presses OK or Cancel.
ModalDriver::Step Prompt(const QString &typed, int button, QString *prompt = nullptr,
                         QString *caption = nullptr) {
  return [=](QWidget *modal) {
    auto *dlg = qobject_cast<CInputDialog *>(modal);
    if (!dlg)
      return false;
    if (prompt)
      *prompt = FindControl<QLabel>(dlg, 1035)->text();
    if (caption)
      *caption = dlg->windowTitle();
    auto *edit = FindControl<QLineEdit>(dlg, 1025);
    EXPECT_TRUE(edit->text().isEmpty());
    edit->setText(typed);
    FindControl<QPushButton>(dlg, button)->click();
    return true;
  };
}

TEST(QtUIHost, ValuePromptOkCopiesTheText) {
  CQtUIHost host;
  QString prompt, caption;
  ModalDriver driver({Prompt("12.5", IDOK, &prompt, &caption)});
  std::string text = "before";
  EXPECT_TRUE(host.AskValue(IDS_PROMPT_TRUE_INPUT, text));
  EXPECT_EQ(text, "12.5");
  EXPECT_EQ(prompt.toStdString(), LoadString(IDS_PROMPT_TRUE_INPUT));
  EXPECT_EQ(caption, "Input value");
}

TEST(QtUIHost, ValuePromptCancelLeavesTheText) {
  CQtUIHost host;
  QString prompt;
  ModalDriver driver({Prompt("99", IDCANCEL, &prompt)});
  std::string text = "before";
  EXPECT_FALSE(host.AskValue(IDS_PROMPT_MEASURED_OUTPUT, text));
  EXPECT_EQ(text, "before");
  EXPECT_EQ(prompt, "Please input measured value of output.");
}

TEST(QtUIHost, EnterInThePromptIsOk) {
  CInputDialog dlg;
  ModalDriver driver({[](QWidget *modal) {
    auto *dlg = qobject_cast<CInputDialog *>(modal);
    if (!dlg)
      return false;
    auto *edit = FindControl<QLineEdit>(dlg, 1025);
    edit->setText("-3.25");
    // Enter in the edit box reaches the dialog's default button.
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &press);
    return true;
  }});
  std::string text;
  EXPECT_TRUE(dlg.Ask(IDS_PROMPT_TRUE_INPUT, text));
  EXPECT_EQ(text, "-3.25");
}

} // namespace
