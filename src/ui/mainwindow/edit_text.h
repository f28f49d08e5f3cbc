// The text box that edits a value cell in place. Enter accepts the text;
// leaving the box cancels the edit. Either way the edit object hears of it
// exactly once.
#pragma once

#include "core/model/text_editor.h"

#include <QLineEdit>

class CEditText : public QLineEdit, public CTextEditor {
  Q_OBJECT
public:
  static constexpr int kControlId = 10000;

  explicit CEditText(QWidget *parent = nullptr);

  void Show() override;
  void Hide() override;
  void Move(int x, int y, int width, int height) override;
  void SetText(const std::string &text) override;
  std::string GetText() const override;
  void SelectAll() override;
  void SetFocus() override;
  bool IsAccepted() const override { return m_accepted; }

protected:
  void keyPressEvent(QKeyEvent *event) override;
  void focusOutEvent(QFocusEvent *event) override;

private:
  bool m_accepted = false;
};
