// The output calibration procedure of the service mode: for one output type
// at a time the user drives the output converter directly with a DA value,
// sent five times a second, until an external meter reads 0 % (or 100 %),
// then types the measured value; the instrument stores both as calibration
// data.
//
// The caller holds the link mutex while the dialog is open; the repeat timer
// runs on the same thread, so a tick never overlaps a button's exchange.
#pragma once

#include <QDialog>
#include <QTimer>

class CCommInterface;
class CUpDownEdit;
class QComboBox;
class QLineEdit;
class QPushButton;

class COutputCalibDialog : public QDialog {
  Q_OBJECT
public:
  static constexpr int TickMs = 200;
  static constexpr int DaLowest = 100;
  static constexpr int DaHighest = 16000;

  explicit COutputCalibDialog(QWidget *parent = nullptr);

  // The protocol the dialog talks through; not owned.
  void SetProtocol(CCommInterface *protocol) { m_protocol = protocol; }

public slots:
  // Closing returns the output to normal operation, whatever the line says.
  void reject() override;

protected:
  void showEvent(QShowEvent *event) override;

private:
  void OnTypeChosen(int index);
  void StartAdjust(bool high);
  void SetPoint(bool high);
  void OnTick();
  // Back to "no type": nothing is sent until a type is chosen again.
  void Reset();
  // Runs a step; a communication failure is reported with message 206 and
  // the dialog reset.
  template <class Steps> void Guarded(Steps steps);

  CCommInterface *m_protocol = nullptr;
  QTimer m_timer;
  QComboBox *m_types = nullptr;
  CUpDownEdit *m_da[2] = {};
  QLineEdit *m_measured[2] = {};
  QPushButton *m_start[2] = {};
  QPushButton *m_set[2] = {};
};
