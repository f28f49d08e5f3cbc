// An edit box with an up-down control that writes its position as an
// integer into the box. Unlike a spin box it never rewrites what the user
// typed: any text stays as typed, and only the arrows keep to the range.
#pragma once

#include <QAbstractSpinBox>

class CUpDownEdit : public QAbstractSpinBox {
  Q_OBJECT
public:
  explicit CUpDownEdit(QWidget *parent = nullptr);

  void SetRange(int lower, int upper);
  // Writes the position into the box with "%d".
  void SetPosition(int position);
  void SetText(const QString &text);

  // The arrows step from the number in the box (or from the last position
  // when the box holds none) and stop at the ends of the range.
  void stepBy(int steps) override;

protected:
  StepEnabled stepEnabled() const override;

private:
  int m_lower = 0;
  int m_upper = 100;
  int m_position = 0;
};
