// The small modal prompt for one value, used by the utility actions when
// they need a number from the user (a true input value, a measured output).
#pragma once

#include <QDialog>
#include <string>

class CInputDialog : public QDialog {
  Q_OBJECT
public:
  explicit CInputDialog(QWidget *parent = nullptr);

  // Shows the prompt of the string id. On OK copies the entered text into
  // text and returns true; on Cancel returns false and leaves text alone.
  bool Ask(int promptId, std::string &text);

  const std::string &EnteredText() const { return m_text; }

public slots:
  void accept() override;

private:
  std::string m_text;
  int m_promptId = 0;
};
