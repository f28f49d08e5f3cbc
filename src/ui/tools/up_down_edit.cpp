#include "ui/tools/up_down_edit.h"

#include <QLineEdit>
#include <algorithm>

CUpDownEdit::CUpDownEdit(QWidget *parent) : QAbstractSpinBox(parent) {}

void CUpDownEdit::SetRange(int lower, int upper) {
  m_lower = lower;
  m_upper = upper;
}

void CUpDownEdit::SetPosition(int position) {
  m_position = position;
  lineEdit()->setText(QString::number(position));
}

void CUpDownEdit::SetText(const QString &text) { lineEdit()->setText(text); }

void CUpDownEdit::stepBy(int steps) {
  bool ok = false;
  const int typed = text().trimmed().toInt(&ok);
  const long long from = ok ? typed : m_position;
  SetPosition(static_cast<int>(std::clamp<long long>(from + steps, m_lower, m_upper)));
}

QAbstractSpinBox::StepEnabled CUpDownEdit::stepEnabled() const { return StepUpEnabled | StepDownEnabled; }
