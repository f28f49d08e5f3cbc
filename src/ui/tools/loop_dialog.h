// The loop test's question: hold the output at the present input, drive it
// to a typed value, or return to normal operation. The model sends the
// commands that follow the answer.
#pragma once

#include "core/tools/loop_test.h"

#include <QDialog>

class CLoopDialog : public QDialog {
  Q_OBJECT
public:
  explicit CLoopDialog(QWidget *parent = nullptr);

  // Shows the dialog; mode 0 unless it ends with OK. The limits bound the
  // value of mode 2, in stored units.
  LoopChoice Run(const LoopLimits &limits);

public slots:
  // Keeps the dialog open while the value of mode 2 is not acceptable.
  void accept() override;

private:
  LoopLimits m_limits;
  LoopChoice m_choice;
};
