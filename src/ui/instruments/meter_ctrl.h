// One function-block panel of the main window: a selector button with the
// block's name, a bar meter, the value as text and its unit. The selector
// only reports a click to the panel's observers; its pressed look is set by
// the owner, who knows which block is selected.
#pragma once

#include "core/instruments/meter_alarm.h"
#include "core/model/observable.h"

#include <QColor>
#include <QRect>
#include <QWidget>
#include <string>

class CMeter;
class CTemplateButton;
class QLabel;
class QLineEdit;

class CMeterCtrl : public QWidget, public CObservable {
  Q_OBJECT
public:
  static constexpr int IDC_VALUE = 1025;
  static constexpr int IDC_UNIT = 1026;
  static constexpr int IDC_SELECTOR = 1027;
  static constexpr int IDC_METER = 1037;

  explicit CMeterCtrl(QWidget *parent = nullptr);

  void SetIndex(int index) { m_index = index; }
  int GetIndex() const { return m_index; }

  void SetCaption(const std::string &text);
  void SetUnit(const std::string &text);
  std::string Caption() const;
  std::string Unit() const;
  void SetRange(double low, double high);
  // Shows text as it is; the meter shows its leading number, or 0. A value
  // outside the range shows in the alarm colour, and a text that is no
  // number as "----" in the alarm colour; the panel's tooltip says which.
  void SetValueText(const std::string &text);
  MeterAlarm Alarm() const { return m_alarm; }
  static QColor AlarmBackground();
  void SetSelected(bool state);
  void EnablePanel(bool flag);

  double Low() const { return m_low; }
  double High() const { return m_high; }
  double Value() const { return m_value; }
  CMeter *Meter() const { return m_meter; }

protected:
  // Taller than its template, the panel gives the height to the meter; the
  // value and the unit stay below it.
  void resizeEvent(QResizeEvent *event) override;

private:
  void ShowAlarm();
  int m_baseHeight = 0;
  QRect m_baseMeter, m_baseValue, m_baseUnit;
  // The meter's value and range, for a screen reader.
  void DescribeMeter();

  int m_index = 0;
  std::string m_text;
  MeterAlarm m_alarm = MeterAlarm::None;
  double m_low = 0.0;
  double m_high = 100.0;
  double m_value = 0.0;
  bool m_hasValueText = false;
  CMeter *m_meter = nullptr;
  CTemplateButton *m_selector = nullptr;
  QLineEdit *m_valueBox = nullptr;
  QLabel *m_unit = nullptr;
};
