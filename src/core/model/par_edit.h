// The in-place edit of one value cell: owns the two editors, turns the end of
// an edit into an accepted result and passes it on to its own observers (the
// main window), which commit it with the model's ApplyEdit.
#pragma once

#include "core/model/list_editor.h"
#include "core/model/observable.h"
#include "core/model/text_editor.h"

#include <memory>
#include <string>

struct EditRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class CParEdit : public CObserver {
public:
  // Accepted results.
  static constexpr int kCancelled = 0;
  static constexpr int kChoiceAccepted = 1;
  static constexpr int kTextAccepted = 2;

  // Takes both editors for its whole life and observes them, the text editor
  // first.
  CParEdit(std::unique_ptr<CTextEditor> textEditor, std::unique_ptr<CListEditor> listEditor);
  ~CParEdit() override;
  CParEdit(const CParEdit &) = delete;
  CParEdit &operator=(const CParEdit &) = delete;

  // From an editor: records its outcome and notifies the observers. From any
  // other subject (the main window after a refresh): hides both editors and
  // drops the pending result without notifying.
  void Update(CObservable &source) override;

  // The edit object's own subject, observed by the main window.
  void Attach(CObserver *observer) { m_subject.Attach(observer); }
  void Notify() { m_subject.Notify(); }
  CObservable &Subject() { return m_subject; }

  int GetAcceptedResult() const { return m_accepted; }
  int GetChosenIndex() const { return m_chosenIndex; }
  const std::string &GetEnteredText() const { return m_enteredText; }

  const EditRect &GetRect() const { return m_rect; }
  void SetRect(const EditRect &rect) { m_rect = rect; }

  CTextEditor &TextEditor() { return *m_textEditor; }
  CListEditor &ListEditor() { return *m_listEditor; }
  const CTextEditor &TextEditor() const { return *m_textEditor; }
  const CListEditor &ListEditor() const { return *m_listEditor; }

private:
  std::unique_ptr<CTextEditor> m_textEditor;
  std::unique_ptr<CListEditor> m_listEditor;
  CObservable m_subject;
  int m_accepted = kCancelled;
  int m_chosenIndex = 0;
  std::string m_enteredText;
  EditRect m_rect;
};
