// Templates turned into real widgets: ids, kinds, geometry from dialog units
// and the behaviour each kind brings along.
#include "core/resources/dialog_templates.h"
#include "ui/resources/template_builder.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <gtest/gtest.h>

namespace {

TEST(DialogUnits, RoundLikeTheDialogManager) {
  EXPECT_EQ(MulDiv(4, 6, 4), 6);
  EXPECT_EQ(MulDiv(4, 13, 8), 7); // 6.5 rounds up
  EXPECT_EQ(MulDiv(3, 13, 8), 5); // 4.875
  EXPECT_EQ(MulDiv(5, 13, 8), 8); // 8.125
  EXPECT_EQ(MulDiv(-4, 13, 8), -7);
  EXPECT_EQ(MulDiv(0, 13, 8), 0);

  DialogBaseUnits units{6, 13};
  EXPECT_EQ(units.Map(4, 4, 42, 24), QRect(6, 7, 63, 39));
  // Each value is mapped on its own, so a control's right edge is x + w mapped apart.
  EXPECT_EQ(units.Map(290, 251, 91, 15), QRect(435, 408, 137, 24));
  EXPECT_EQ(QSize(units.MapX(484), units.MapY(308)), QSize(726, 501));
}

TEST(DialogUnits, BaseUnitsFromTheFontsLetters) {
  QFont font = CTemplateBuilder::TemplateFont(*FindDialogTemplate(IDD_VELA_DIALOG));
  EXPECT_EQ(font.pointSize(), 8);
  QFontMetrics fm(font);
  int sum = 0;
  for (char c = 'A'; c <= 'Z'; ++c)
    sum += fm.horizontalAdvance(QLatin1Char(c));
  for (char c = 'a'; c <= 'z'; ++c)
    sum += fm.horizontalAdvance(QLatin1Char(c));
  DialogBaseUnits units = DialogBaseUnits::FromFont(font);
  // Kerning may make the run of letters a pixel or two shorter than its parts.
  EXPECT_NEAR(units.cx, (sum / 26 + 1) / 2, 1);
  EXPECT_EQ(units.cy, fm.height());
  EXPECT_GT(units.cx, 2);
  EXPECT_GT(units.cy, 6);
}

class BuiltMain : public ::testing::Test {
protected:
  void SetUp() override {
    CTemplateBuilder(IDD_VELA_DIALOG).Build(&m_host);
    m_units = DialogBaseUnits::FromFont(m_host.font());
  }
  QRect Expected(const DialogTemplate &t, int id) const {
    const ControlTemplate &c = *t.Control(id);
    return m_units.Map(c.x, c.y, c.w, c.h);
  }
  QWidget m_host;
  DialogBaseUnits m_units;
};

TEST_F(BuiltMain, EveryControlByIdAtItsPlace) {
  const DialogTemplate &t = *FindDialogTemplate(IDD_VELA_DIALOG);
  EXPECT_EQ(m_host.size(), QSize(m_units.MapX(484), m_units.MapY(308)));
  for (const ControlTemplate &c : t.controls) {
    QWidget *w = FindControl(&m_host, c.id);
    ASSERT_NE(w, nullptr) << c.id;
    EXPECT_EQ(w->objectName(), QString::number(c.id));
    EXPECT_EQ(w->parentWidget(), &m_host);
    EXPECT_EQ(w->geometry(), Expected(t, c.id)) << c.id;
  }
  EXPECT_EQ(FindControl(&m_host, 4711), nullptr);
}

TEST_F(BuiltMain, KindsAndStates) {
  auto *connect = FindControl<QPushButton>(&m_host, 1028);
  ASSERT_NE(connect, nullptr);
  EXPECT_TRUE(connect->isCheckable());
  EXPECT_EQ(connect->text(), "Connect");
  m_host.show();
  connect->click();
  EXPECT_TRUE(connect->isChecked());
  connect->click();
  EXPECT_FALSE(connect->isChecked());

  auto *open = FindControl<QPushButton>(&m_host, 1029);
  EXPECT_FALSE(open->isCheckable());
  EXPECT_EQ(open->text(), "Open File");
  EXPECT_EQ(FindControl<QPushButton>(&m_host, 1040)->text(), "Japanese");
  EXPECT_EQ(FindControl<QGroupBox>(&m_host, 1059)->title(), "Function Block");
  EXPECT_EQ(FindControl<QLabel>(&m_host, 1060)->text(), "Parameter");

  QWidget *base = FindControl(&m_host, 1034);
  EXPECT_FALSE(base->isVisible());
  EXPECT_TRUE(FindControl(&m_host, 1031)->isVisible());

  auto *list = FindControl<QTableWidget>(&m_host, 1006);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_FALSE(list->horizontalHeader()->sectionsClickable());
  EXPECT_TRUE(list->horizontalHeader()->isVisible());
  EXPECT_FALSE(list->verticalHeader()->isVisible());
  EXPECT_FALSE(list->isSortingEnabled());
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(BuiltMain, TheGroupFrameDoesNotCoverTheControlsInside) {
  // A click in the middle of the list lands on the list, not on the frame.
  m_host.show();
  QWidget *list = FindControl(&m_host, 1006);
  QPoint inside = list->geometry().center();
  QWidget *hit = m_host.childAt(inside);
  ASSERT_NE(hit, nullptr);
  EXPECT_TRUE(hit == list || list->isAncestorOf(hit));
  EXPECT_TRUE(FindControl(&m_host, 1059)->testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST(TemplateBuilder, PanelSelectorOnlyReportsClicks) {
  QWidget panel;
  CTemplateBuilder(IDD_METER_CTRL).Build(&panel);
  panel.show();
  auto *selector = FindControl<CTemplateButton>(&panel, 1027);
  ASSERT_NE(selector, nullptr);
  EXPECT_TRUE(selector->isCheckable());
  EXPECT_TRUE(selector->Manual());
  EXPECT_TRUE(selector->Wrap());
  int clicked = 0;
  QObject::connect(selector, &QPushButton::clicked, [&] { ++clicked; });
  selector->click();
  EXPECT_EQ(clicked, 1);
  EXPECT_FALSE(selector->isChecked());
  selector->setChecked(true);
  selector->click();
  EXPECT_TRUE(selector->isChecked());
  EXPECT_EQ(clicked, 2);

  auto *value = FindControl<QLineEdit>(&panel, 1025);
  ASSERT_NE(value, nullptr);
  EXPECT_TRUE(value->isReadOnly());
  EXPECT_TRUE(value->alignment() & Qt::AlignHCenter);
  auto *unit = FindControl<QLabel>(&panel, 1026);
  EXPECT_TRUE(unit->alignment() & Qt::AlignHCenter);
  // The meter area is there to be taken over, visible.
  EXPECT_TRUE(FindControl(&panel, 1037)->isVisible());
}

TEST(TemplateBuilder, UpDownAndBuddyBecomeOneSpinBox) {
  QDialog dlg;
  CTemplateBuilder(IDD_OUTPUT_CALIB_DIALOG).Build(&dlg);
  auto *spin = FindControl<QSpinBox>(&dlg, 1048);
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(FindControl(&dlg, 1049), spin);
  EXPECT_EQ(FindControl(&dlg, 1053), FindControl(&dlg, 1052));
  EXPECT_TRUE(spin->alignment() & Qt::AlignRight);
  EXPECT_FALSE(spin->isGroupSeparatorShown());
  DialogBaseUnits units = DialogBaseUnits::FromFont(dlg.font());
  EXPECT_EQ(spin->geometry(), units.Map(235, 65, 50, 14));
  // Plain edit boxes stay edit boxes.
  EXPECT_NE(FindControl<QLineEdit>(&dlg, 1050), nullptr);
  EXPECT_FALSE(FindControl(&dlg, 1056)->isEnabled());
  EXPECT_EQ(FindControl<QPushButton>(&dlg, 1056)->text(), "調整開始");
  EXPECT_EQ(dlg.windowTitle(), "出力校正");
  // The unnamed statics carry the template's texts.
  int statics = 0;
  for (QLabel *label : dlg.findChildren<QLabel *>(QStringLiteral("-1")))
    statics += label->text().startsWith(QStringLiteral("4. 別の出力タイプ")) ? 1 : 0;
  EXPECT_EQ(statics, 1);
}

TEST(TemplateBuilder, RadioButtonsExcludeEachOther) {
  QDialog dlg;
  CTemplateBuilder(IDD_LOOP_DIALOG).Build(&dlg);
  dlg.show();
  auto *a = FindControl<QRadioButton>(&dlg, 1064);
  auto *b = FindControl<QRadioButton>(&dlg, 1065);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(b->text(), "Set output for specified value");
  a->click();
  EXPECT_TRUE(a->isChecked());
  b->click();
  EXPECT_TRUE(b->isChecked());
  EXPECT_FALSE(a->isChecked());
  EXPECT_TRUE(FindControl<QPushButton>(&dlg, 1)->isDefault());
}

TEST(TemplateBuilder, DialogWindowsTakeTitleSizeAndFrame) {
  QDialog com;
  CTemplateBuilder(IDD_COM_DIALOG).Build(&com);
  DialogBaseUnits units = DialogBaseUnits::FromFont(com.font());
  EXPECT_EQ(com.windowTitle(), "COM Port");
  EXPECT_EQ(com.size(), QSize(units.MapX(303), units.MapY(44)));
  EXPECT_EQ(com.minimumSize(), com.maximumSize());
  EXPECT_TRUE(com.windowFlags() & Qt::WindowCloseButtonHint);
  auto *combo = FindControl<QComboBox>(&com, 1022);
  ASSERT_NE(combo, nullptr);
  EXPECT_FALSE(combo->isEditable());
  // The template height is that of the open list: the closed box is one line.
  EXPECT_LT(combo->height(), units.MapY(113));
  EXPECT_GT(combo->maxVisibleItems(), 1);

  QDialog load;
  CTemplateBuilder(IDD_LOAD_DIALOG).Build(&load);
  EXPECT_EQ(load.windowTitle(), "Communicating");
  EXPECT_FALSE(load.windowFlags() & Qt::WindowCloseButtonHint);
  auto *bar = FindControl<QProgressBar>(&load, 1024);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(FindControl<QLabel>(&load, 1035)->text(), "###");
}

// A list view of the caller's own class still gets the list view's settings.
class CMyList : public QTableWidget {
public:
  using QTableWidget::QTableWidget;
};

TEST(TemplateBuilder, CallerMadeControlsAreStyledLikeTheirKind) {
  QDialog dlg;
  CMyList *made = nullptr;
  CTemplateBuilder(IDD_COMPARE_DIALOG)
      .Replace(1062,
               [&](QWidget *parent, const ControlTemplate &) {
                 made = new CMyList(parent);
                 return made;
               })
      .Build(&dlg);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(FindControl(&dlg, 1062), made);
  EXPECT_FALSE(made->horizontalHeader()->sectionsClickable());
  EXPECT_EQ(made->selectionBehavior(), QAbstractItemView::SelectRows);
  DialogBaseUnits units = DialogBaseUnits::FromFont(dlg.font());
  EXPECT_EQ(made->geometry(), units.Map(6, 6, 335, 267));
}

TEST(TemplateBuilder, TranslatedCaptionsAreUsed) {
  const TemplateCaption entries[] = {{IDD_INPUT_DIALOG, 0, "値の入力"}, {IDD_INPUT_DIALOG, 2, "キャンセル"}};
  const TemplateCaptionTable table{entries, std::size(entries)};
  SetCurrentTemplateCaptions(&table);
  QDialog dlg;
  CTemplateBuilder(IDD_INPUT_DIALOG).Build(&dlg);
  SetCurrentTemplateCaptions(nullptr);
  EXPECT_EQ(dlg.windowTitle(), "値の入力");
  EXPECT_EQ(FindControl<QPushButton>(&dlg, 2)->text(), "キャンセル");
  EXPECT_EQ(FindControl<QPushButton>(&dlg, 1)->text(), "OK");
}

TEST(TemplateBuilder, OnlyTemplatesWithADefaultButtonHaveAutomaticDefaults) {
  QDialog prompt;
  CTemplateBuilder(IDD_INPUT_DIALOG).Build(&prompt);
  EXPECT_TRUE(FindControl<QPushButton>(&prompt, 1)->isDefault());
  EXPECT_TRUE(FindControl<QPushButton>(&prompt, 2)->autoDefault());

  // Shown with the focus on the list, a dialog without a default button
  // must not make one of its buttons the default by itself.
  QDialog main;
  CTemplateBuilder(IDD_VELA_DIALOG).Build(&main);
  auto *panel = new QWidget(&main);
  CTemplateBuilder(IDD_METER_CTRL).Build(panel);
  FindControl(&main, 1006)->setFocus();
  main.show();
  for (QPushButton *b : main.findChildren<QPushButton *>()) {
    EXPECT_FALSE(b->autoDefault()) << b->objectName().toStdString();
    EXPECT_FALSE(b->isDefault()) << b->objectName().toStdString();
  }
}

TEST(TemplateBuilder, EveryTemplateBuildsWithEveryAddressedControl) {
  for (const DialogTemplate &t : DialogTemplates()) {
    QDialog host;
    CTemplateBuilder(t).Build(&host);
    for (const ControlTemplate &c : t.controls) {
      if (c.id == IDC_STATIC)
        continue;
      QWidget *w = FindControl(&host, c.id);
      ASSERT_NE(w, nullptr) << t.id << "/" << c.id;
      EXPECT_EQ(w->isEnabled(), !(c.style & CS_DISABLED)) << t.id << "/" << c.id;
    }
  }
}

TEST(TemplateBuilder, NearestControlWinsWhenIdsRepeatInsidePanels) {
  // A panel inside the main window has controls with ids the window uses too.
  QWidget host;
  CTemplateBuilder(IDD_VELA_DIALOG).Build(&host);
  auto *panel = new QWidget(&host);
  CTemplateBuilder(IDD_METER_CTRL).Build(panel);
  EXPECT_TRUE(qobject_cast<QPushButton *>(FindControl(&host, 1037)));
  EXPECT_EQ(FindControl(&host, 1037)->parentWidget(), &host);
  EXPECT_EQ(FindControl(panel, 1037)->parentWidget(), panel);
}

} // namespace
