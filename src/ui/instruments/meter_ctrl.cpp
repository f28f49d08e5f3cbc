#include "ui/instruments/meter_ctrl.h"

#include "ui/instruments/meter.h"
#include "core/platform/number_text.h"
#include "core/resources/dialog_templates.h"
#include "ui/resources/template_builder.h"

#include <QLabel>
#include <QLineEdit>
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
}

void CMeterCtrl::SetCaption(const std::string &text) { m_selector->setText(QString::fromStdString(text)); }

void CMeterCtrl::SetUnit(const std::string &text) { m_unit->setText(QString::fromStdString(text)); }

void CMeterCtrl::SetRange(double low, double high) {
  m_low = low;
  m_high = high;
  m_meter->SetRange(low, high);
  m_meter->update();
}

void CMeterCtrl::SetValueText(const std::string &text) {
  // The window's timer hands over the same text ten times a second; only a
  // change is worth a repaint.
  if (m_hasValueText && text == m_valueText)
    return;
  m_hasValueText = true;
  m_valueText = text;
  m_valueBox->setText(QString::fromStdString(text));
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
