#include "ui/mainwindow/edit_text.h"

#include <QKeyEvent>

CEditText::CEditText(QWidget *parent) : QLineEdit(parent) {
  setObjectName(QString::number(kControlId));
  setFrame(true);
  hide();
}

void CEditText::Show() { show(); }

void CEditText::Hide() { hide(); }

void CEditText::Move(int x, int y, int width, int height) { setGeometry(x, y, width, height); }

void CEditText::SetText(const std::string &text) { setText(QString::fromStdString(text)); }

std::string CEditText::GetText() const { return text().toStdString(); }

void CEditText::SelectAll() {
  selectAll();
  end(true);
}

void CEditText::SetFocus() { setFocus(Qt::OtherFocusReason); }

void CEditText::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // Enter ends the edit here and goes no further: not to the list, which
    // would open the editor again, nor to the window.
    event->accept();
    m_accepted = true;
    Notify();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void CEditText::focusOutEvent(QFocusEvent *event) {
  QLineEdit::focusOutEvent(event);
  // A box that was hidden already (its edit ended) does not report again.
  if (!isVisible())
    return;
  hide();
  m_accepted = false;
  Notify();
}
