// The input calibration procedure of the service mode: for one input type at
// a time the instrument stores its AD reading at 0 % and at 100 % together
// with the true value the user measured. The instrument does the
// arithmetic; the dialog sends the commands and shows what was stored.
//
// The caller holds the link mutex while the dialog is open.
#pragma once

#include <QDialog>

class CCommInterface;
class QComboBox;
class QLineEdit;
class QPushButton;

class CInputCalibDialog : public QDialog {
  Q_OBJECT
public:
  explicit CInputCalibDialog(QWidget *parent = nullptr);

  // The protocol the dialog talks through; not owned.
  void SetProtocol(CCommInterface *protocol) { m_protocol = protocol; }

private:
  void OnTypeChosen(int index);
  // Sends "D<L|H><typed value>" and shows the stored point.
  void SetPoint(bool high);
  // A failure ends the step it happened in; the dialog stays as far as it got.
  template <class Steps> void Guarded(Steps steps);

  CCommInterface *m_protocol = nullptr;
  QComboBox *m_types = nullptr;
  QLineEdit *m_trueValue[2] = {};
  QLineEdit *m_stored[2] = {};
  QPushButton *m_set[2] = {};
};
