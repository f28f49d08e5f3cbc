// The loop test dialog on Qt's offscreen platform: the three answers, the
// value's reading and the two messages that keep the dialog open.
#include "ui/tools/loop_dialog.h"

#include "../modal_driver.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "scripted_ui_host.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

// The limits of output type 0 (0 to 20 mA).
constexpr LoopLimits kLimits{-30000, 230000};

// A step that enters text for "specified value" and presses OK.
ModalDriver::Step Enter(const QString &text, int radio = 1065) {
  return [text, radio](QWidget *dlg) {
    FindControl<QRadioButton>(dlg, radio)->setChecked(true);
    FindControl<QLineEdit>(dlg, 1067)->setText(text);
    FindControl<QPushButton>(dlg, IDOK)->click();
    return true;
  };
}

TEST(LoopDialog, ReadsTheValueAndKeepsTheDialogOpenForABadOne) {
  CScriptedUIHost host;
  CLoopDialog dlg;
  EXPECT_EQ(dlg.windowTitle(), "Loop Test Output");
  bool startsOnHold = false;
  ModalDriver driver({[&](QWidget *d) {
                        startsOnHold = FindControl<QRadioButton>(d, 1064)->isChecked() &&
                                       !FindControl<QLineEdit>(d, 1067)->isEnabled();
                        return true;
                      },
                      Enter("23.0001"), Enter("abc"), Enter(""), Enter("12abc")});
  const LoopChoice choice = dlg.Run(kLimits);
  EXPECT_TRUE(driver.Done());
  EXPECT_TRUE(startsOnHold);
  EXPECT_EQ(choice.mode, 2);
  EXPECT_EQ(choice.value, 120000);
  const auto shown = host.Messages();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, "Output value should be a from -3.0000 to 23.0000. ");
  EXPECT_EQ(shown[0].style, MB_ICONERROR);
  EXPECT_EQ(shown[1].text, LoadString(IDS_INVALID_OUTPUT_VALUE));
  EXPECT_EQ(shown[2].text, LoadString(IDS_INVALID_OUTPUT_VALUE));
}

LoopChoice RunWith(CLoopDialog &dlg, ModalDriver::Step step) {
  ModalDriver driver({std::move(step)});
  return dlg.Run(kLimits);
}

TEST(LoopDialog, AnswersEachModeAndNothingOnCancel) {
  CScriptedUIHost host;
  CLoopDialog dlg;
  const LoopChoice high = RunWith(dlg, Enter("23"));
  EXPECT_EQ(high.mode, 2);
  EXPECT_EQ(high.value, 230000);
  EXPECT_EQ(RunWith(dlg, Enter("-0.5")).value, -5000);
  // Another mode ignores the text in the value box.
  EXPECT_EQ(RunWith(dlg, Enter("abc", 1066)).mode, 3);
  EXPECT_EQ(RunWith(dlg, Enter("", 1064)).mode, 1);
  EXPECT_EQ(RunWith(dlg, [](QWidget *d) {
              FindControl<QPushButton>(d, IDCANCEL)->click();
              return true;
            }).mode,
            0);
  EXPECT_TRUE(host.Messages().empty());
}

} // namespace
