#include "ui/instruments/meter_ctrl.h"

#include "core/platform/number_text.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "ui/instruments/meter.h"
#include "ui/resources/template_builder.h"

#include <QLabel>
#include <QLineEdit>
#include <QResizeEvent>
#include <QStyle>
#include <algorithm>
#include <string_view>

CMeterCtrl::CMeterCtrl(QWidget *parent) : QWidget(parent) {
  CTemplateBuilder(IDD_METER_CTRL)
      .Replace(IDC_METER,
               [this](QWidget *host, const ControlTemplate &) { return m_meter = new CMeter(host); })
      .Build(this);
  m_selector = FindControl<CTemplateButton>(this, IDC_SELECTOR);
  m_valueBox = FindControl<QLineEdit>(this, IDC_VALUE);
  m_unit = FindControl<QLabel>(this, IDC_UNIT);
  connect(m_selector, &QPushButton::clicked, this, [this] { Notify(); });
  m_baseHeight = height();
  m_baseMeter = m_meter->geometry();
  m_baseValue = m_valueBox->geometry();
  m_baseUnit = m_unit->geometry();
}

void CMeterCtrl::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  const int dy = std::max(0, height() - m_baseHeight);
  m_meter->setGeometry(m_baseMeter.adjusted(0, 0, 0, dy));
  m_valueBox->setGeometry(m_baseValue.translated(0, dy));
  m_unit->setGeometry(m_baseUnit.translated(0, dy));
}

void CMeterCtrl::SetCaption(const std::string &text) {
  m_selector->setText(QString::fromStdString(text));
  // A screen reader names the value box and the meter by their panel.
  m_valueBox->setAccessibleName(QString::fromStdString(text));
  m_meter->setAccessibleName(QString::fromStdString(FormatMessageId(IDS_A11Y_METER, {text})));
  setAccessibleName(QString::fromStdString(text));
  DescribeMeter();
}

void CMeterCtrl::DescribeMeter() {
  // A panel with no reading (a block without a live value, or offline) has
  // nothing to say but its name.
  const QString description =
      m_text.empty() ? QString()
                     : QString::fromStdString(FormatMessageId(
                           IDS_A11Y_METER_VALUE,
                           {m_alarm == MeterAlarm::NotANumber ? std::string(kNoReadingText) : m_text,
                            m_unit->text().toStdString(), FormatFixed4(m_low), FormatFixed4(m_high)}));
  if (m_meter->accessibleDescription() != description)
    m_meter->setAccessibleDescription(description);
}

void CMeterCtrl::SetUnit(const std::string &text) {
  m_unit->setText(QString::fromStdString(text));
  DescribeMeter();
}

std::string CMeterCtrl::Caption() const { return m_selector->text().toStdString(); }

std::string CMeterCtrl::Unit() const { return m_unit->text().toStdString(); }

void CMeterCtrl::SetRange(double low, double high) {
  m_low = low;
  m_high = high;
  m_meter->SetRange(low, high);
  m_meter->update();
  ShowAlarm();
}

void CMeterCtrl::SetValueText(const std::string &text) {
  // The window's timer hands over the same text ten times a second; only a
  // change is worth a repaint.
  if (m_hasValueText && text == m_text)
    return;
  m_hasValueText = true;
  m_text = text;
  ShowAlarm();
  std::string_view rest = text;
  double value = 0.0;
  m_value = ScanDouble(rest, value) ? value : 0.0;
  m_meter->SetValue(m_value);
  m_meter->update();
}

void CMeterCtrl::SetSelected(bool state) { m_selector->setChecked(state); }

void CMeterCtrl::EnablePanel(bool flag) {
  m_selector->setEnabled(flag);
  setEnabled(flag);
}

QColor CMeterCtrl::AlarmBackground() { return QColor(0xD0, 0x10, 0x10); }

void CMeterCtrl::ShowAlarm() {
  const MeterAlarm alarm = ClassifyReading(m_text, m_low, m_high);
  const QString shown = QString::fromStdString(alarm == MeterAlarm::NotANumber ? kNoReadingText : m_text);
  if (m_valueBox->text() != shown)
    m_valueBox->setText(shown);
  const bool changed = alarm != m_alarm;
  m_alarm = alarm;
  DescribeMeter();
  if (!changed)
    return;
  QPalette palette = m_valueBox->style()->standardPalette();
  QString tip;
  if (alarm != MeterAlarm::None) {
    palette.setColor(QPalette::Base, AlarmBackground());
    palette.setColor(QPalette::Text, Qt::white);
    const std::string unit = m_unit->text().toStdString();
    switch (alarm) {
    case MeterAlarm::Above:
      tip = QString::fromStdString(
          FormatMessageId(IDS_METER_ABOVE_RANGE, {FormatFixed4(m_low), FormatFixed4(m_high), unit}));
      break;
    case MeterAlarm::Below:
      tip = QString::fromStdString(
          FormatMessageId(IDS_METER_BELOW_RANGE, {FormatFixed4(m_low), FormatFixed4(m_high), unit}));
      break;
    default:
      tip = QString::fromStdString(FormatMessageId(IDS_METER_NOT_A_NUMBER, {m_text}));
      break;
    }
  }
  m_valueBox->setPalette(palette);
  setToolTip(tip);
}
