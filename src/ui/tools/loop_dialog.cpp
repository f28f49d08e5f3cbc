#include "ui/tools/loop_dialog.h"

#include "core/resources/dialog_templates.h"
#include "core/resources/string_ids.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int IDC_HOLD = 1064;
constexpr int IDC_VALUE_MODE = 1065;
constexpr int IDC_NORMAL = 1066;
constexpr int IDC_VALUE = 1067;

} // namespace

CLoopDialog::CLoopDialog(QWidget *parent) : QDialog(parent) {
  CTemplateBuilder(IDD_LOOP_DIALOG).Build(this);
  connect(FindControl<QPushButton>(this, IDOK), &QPushButton::clicked, this, &CLoopDialog::accept);
  connect(FindControl<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &CLoopDialog::reject);
  auto *value = FindControl<QLineEdit>(this, IDC_VALUE);
  // The value box belongs to "specified value" only; its text stays put.
  connect(FindControl<QRadioButton>(this, IDC_VALUE_MODE), &QRadioButton::toggled, value,
          &QLineEdit::setEnabled);
}

LoopChoice CLoopDialog::Run(const LoopLimits &limits) {
  m_limits = limits;
  m_choice = {};
  FindControl<QRadioButton>(this, IDC_HOLD)->setChecked(true);
  auto *value = FindControl<QLineEdit>(this, IDC_VALUE);
  value->clear();
  value->setEnabled(false);
  if (exec() != QDialog::Accepted)
    return {};
  return m_choice;
}

void CLoopDialog::accept() {
  LoopChoice choice;
  if (FindControl<QRadioButton>(this, IDC_HOLD)->isChecked()) {
    choice.mode = 1;
  } else if (FindControl<QRadioButton>(this, IDC_NORMAL)->isChecked()) {
    choice.mode = 3;
  } else {
    const std::string text = FindControl<QLineEdit>(this, IDC_VALUE)->text().toStdString();
    switch (ParseLoopValue(text, m_limits, choice.value)) {
    case LoopValue::NotANumber:
      AfxMessageBox(IDS_INVALID_OUTPUT_VALUE, MB_ICONERROR);
      return;
    case LoopValue::OutOfRange:
      AfxMessageBox(LoopRangeMessage(m_limits), MB_ICONERROR);
      return;
    case LoopValue::Accepted:
      choice.mode = 2;
      break;
    }
  }
  m_choice = choice;
  QDialog::accept();
}
