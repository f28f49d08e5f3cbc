#include "ui/mainwindow/edit_combo_box.h"

#include <QFocusEvent>
#include <QTimer>

CEditComboBox::CEditComboBox(QWidget *parent) : QComboBox(parent) {
  setObjectName(QString::number(kControlId));
  setEditable(false);
  hide();
  connect(this, &QComboBox::activated, this, [this](int) {
    m_chosen = true;
    End(true);
  });
}

void CEditComboBox::Show() { show(); }

void CEditComboBox::Hide() { hide(); }

void CEditComboBox::Move(int x, int y, int width, int height) { setGeometry(x, y, width, height); }

void CEditComboBox::ResetContent() { clear(); }

void CEditComboBox::AddString(const std::string &text) { addItem(QString::fromStdString(text)); }

void CEditComboBox::SetCurSel(int index) { setCurrentIndex(index >= 0 && index < count() ? index : -1); }

int CEditComboBox::GetCurSel() const { return currentIndex(); }

void CEditComboBox::ShowDropDown() {
  m_chosen = false;
  showPopup();
}

void CEditComboBox::SetFocus() { setFocus(Qt::OtherFocusReason); }

void CEditComboBox::hidePopup() {
  QComboBox::hidePopup();
  // The toolkit closes the list before it reports a chosen entry, so
  // whether this closing was a cancel is known only once the current event
  // is done.
  const unsigned closing = ++m_closings;
  m_chosen = false;
  QTimer::singleShot(0, this, [this, closing] {
    if (closing == m_closings && !m_chosen && isVisible())
      End(false);
  });
}

void CEditComboBox::focusOutEvent(QFocusEvent *event) {
  QComboBox::focusOutEvent(event);
  // While its own list is open the box has handed the keyboard to it; that
  // is not leaving the box.
  if (event->reason() == Qt::PopupFocusReason)
    return;
  if (isVisible())
    End(false);
}

void CEditComboBox::End(bool accepted) {
  hide();
  m_accepted = accepted;
  Notify();
}
