// The drop-down list that edits a choice cell in place. Choosing an entry
// accepts it (the current one too); closing the list without a choice or
// leaving the box cancels. Either way the edit object hears of it exactly
// once.
#pragma once

#include "core/model/list_editor.h"

#include <QComboBox>

class CEditComboBox : public QComboBox, public CListEditor {
  Q_OBJECT
public:
  static constexpr int kControlId = 10001;

  explicit CEditComboBox(QWidget *parent = nullptr);

  void Show() override;
  void Hide() override;
  void Move(int x, int y, int width, int height) override;
  void ResetContent() override;
  void AddString(const std::string &text) override;
  void SetCurSel(int index) override;
  int GetCurSel() const override;
  void ShowDropDown() override;
  void SetFocus() override;
  bool IsAccepted() const override { return m_accepted; }

  void hidePopup() override;

protected:
  void focusOutEvent(QFocusEvent *event) override;

private:
  void End(bool accepted);

  bool m_accepted = false;
  // Counts the times the list was closed, so a cancel decided after one
  // closing is dropped when an entry was chosen meanwhile.
  unsigned m_closings = 0;
  bool m_chosen = false;
};
