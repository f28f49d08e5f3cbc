#include "ui/tools/input_dialog.h"

#include "core/resources/dialog_templates.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

CInputDialog::CInputDialog(QWidget *parent) : QDialog(parent) {
  CTemplateBuilder(IDD_INPUT_DIALOG).Build(this);
  connect(FindControl<QPushButton>(this, IDOK), &QPushButton::clicked, this, &CInputDialog::accept);
  connect(FindControl<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &CInputDialog::reject);
}

bool CInputDialog::Ask(int promptId, std::string &text) {
  m_promptId = promptId;
  FindControl<QLabel>(this, 1035)->setText(QString::fromStdString(LoadString(promptId)));
  auto *edit = FindControl<QLineEdit>(this, 1025);
  edit->clear();
  edit->setFocus();
  if (exec() != QDialog::Accepted)
    return false;
  text = m_text;
  return true;
}

void CInputDialog::accept() {
  m_text = FindControl<QLineEdit>(this, 1025)->text().toStdString();
  QDialog::accept();
}
