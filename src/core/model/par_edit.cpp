#include "core/model/par_edit.h"

CParEdit::CParEdit(std::unique_ptr<CTextEditor> textEditor, std::unique_ptr<CListEditor> listEditor)
    : m_textEditor(std::move(textEditor)), m_listEditor(std::move(listEditor)) {
  m_textEditor->Attach(this);
  m_listEditor->Attach(this);
}

CParEdit::~CParEdit() = default;

void CParEdit::Update(CObservable &source) {
  if (&source == static_cast<CObservable *>(m_listEditor.get())) {
    m_chosenIndex = m_listEditor->GetCurSel();
    m_accepted = m_listEditor->IsAccepted() ? kChoiceAccepted : kCancelled;
    m_subject.Notify();
  } else if (&source == static_cast<CObservable *>(m_textEditor.get())) {
    m_enteredText = m_textEditor->GetText();
    m_accepted = m_textEditor->IsAccepted() ? kTextAccepted : kCancelled;
    m_subject.Notify();
  } else {
    m_textEditor->Hide();
    m_listEditor->Hide();
    m_accepted = kCancelled;
  }
}
