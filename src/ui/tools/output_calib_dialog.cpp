#include "ui/tools/output_calib_dialog.h"

#include "core/link/comm_interface.h"
#include "core/platform/number_text.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"
#include "core/tools/calibration.h"
#include "ui/tools/up_down_edit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int IDC_TYPE = 1047;
constexpr int IDC_DA_0 = 1048;
constexpr int IDC_MEASURED_0 = 1050;
constexpr int IDC_SET_0 = 1051;
constexpr int IDC_DA_100 = 1052;
constexpr int IDC_MEASURED_100 = 1054;
constexpr int IDC_SET_100 = 1055;
constexpr int IDC_START_0 = 1056;
constexpr int IDC_START_100 = 1057;
constexpr int kOutputTypes = 3;

std::string Reply(CCommInterface &comm, const std::string &command) {
  std::string reply;
  comm.Transact(command, reply);
  return reply;
}

} // namespace

COutputCalibDialog::COutputCalibDialog(QWidget *parent) : QDialog(parent) {
  CTemplateBuilder builder(IDD_OUTPUT_CALIB_DIALOG);
  for (int id : {IDC_DA_0, IDC_DA_100})
    builder.Replace(id, [](QWidget *host, const ControlTemplate &) { return new CUpDownEdit(host); });
  builder.Build(this);

  m_types = FindControl<QComboBox>(this, IDC_TYPE);
  m_da[0] = FindControl<CUpDownEdit>(this, IDC_DA_0);
  m_da[1] = FindControl<CUpDownEdit>(this, IDC_DA_100);
  m_measured[0] = FindControl<QLineEdit>(this, IDC_MEASURED_0);
  m_measured[1] = FindControl<QLineEdit>(this, IDC_MEASURED_100);
  m_start[0] = FindControl<QPushButton>(this, IDC_START_0);
  m_start[1] = FindControl<QPushButton>(this, IDC_START_100);
  m_set[0] = FindControl<QPushButton>(this, IDC_SET_0);
  m_set[1] = FindControl<QPushButton>(this, IDC_SET_100);

  m_types->addItem(QString::fromStdString(LoadString(IDS_CHOOSE_TYPE)));
  for (int k = 0; k < kOutputTypes; ++k)
    m_types->addItem(QString::fromStdString(LoadString(IDS_OUTPUT_TYPE_0 + k)));
  m_types->setCurrentIndex(0);
  for (CUpDownEdit *da : m_da)
    da->SetRange(DaLowest, DaHighest);

  connect(m_types, &QComboBox::activated, this, &COutputCalibDialog::OnTypeChosen);
  for (int point = 0; point < 2; ++point) {
    connect(m_start[point], &QPushButton::clicked, this, [this, point] { StartAdjust(point == 1); });
    connect(m_set[point], &QPushButton::clicked, this, [this, point] { SetPoint(point == 1); });
  }
  connect(FindControl<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &COutputCalibDialog::reject);
  m_timer.setInterval(TickMs);
  connect(&m_timer, &QTimer::timeout, this, &COutputCalibDialog::OnTick);
}

void COutputCalibDialog::showEvent(QShowEvent *event) {
  QDialog::showEvent(event);
  m_timer.start();
}

template <class Steps> void COutputCalibDialog::Guarded(Steps steps) {
  if (m_protocol == nullptr)
    return;
  try {
    steps(*m_protocol);
  } catch (const CException &) {
    AfxMessageBox(IDS_COMM_ERROR, MB_ICONERROR);
    Reset();
  }
}

void COutputCalibDialog::Reset() {
  for (QPushButton *button : {m_start[0], m_start[1], m_set[0], m_set[1]})
    button->setEnabled(false);
  m_types->setCurrentIndex(0);
}

void COutputCalibDialog::OnTypeChosen(int index) {
  m_set[0]->setEnabled(false);
  m_set[1]->setEnabled(false);
  if (index < 1) {
    m_start[0]->setEnabled(false);
    m_start[1]->setEnabled(false);
    return;
  }
  Guarded([this, index](CCommInterface &comm) {
    comm.SelectGroup(1);
    comm.WriteItem(1, "1");
    comm.WriteItem(11, FormatInt(index - 1));
    comm.WriteItem(1, "0");
    comm.SelectGroup(99);
    comm.SelectItem(4);
    for (int point = 0; point < 2; ++point) {
      if (const auto stored = ParseCalReply(Reply(comm, point == 0 ? "DLR\r" : "DHR\r"))) {
        m_da[point]->SetPosition(stored->counts);
        m_measured[point]->setText(QString::fromStdString(FormatFixed4(stored->value)));
      }
    }
    m_start[0]->setEnabled(true);
    m_start[1]->setEnabled(true);
  });
}

void COutputCalibDialog::StartAdjust(bool high) {
  Guarded([this, high](CCommInterface &comm) {
    comm.SelectGroup(1);
    comm.WriteItem(1, "1");
    comm.SelectGroup(99);
    comm.SelectItem(4);
    // The enabled set button tells the timer which point is being adjusted.
    m_set[high ? 1 : 0]->setEnabled(true);
    m_set[high ? 0 : 1]->setEnabled(false);
  });
}

void COutputCalibDialog::OnTick() {
  int point = -1;
  if (m_set[0]->isEnabled())
    point = 0;
  else if (m_set[1]->isEnabled())
    point = 1;
  if (point < 0 || m_protocol == nullptr)
    return;
  const std::string typed = m_da[point]->text().toStdString();
  if (typed.find_first_of("\r\n") != std::string::npos) {
    // End the adjustment first: the timer must not repeat the message.
    m_set[point]->setEnabled(false);
    CheckTypedValue(typed);
    return;
  }
  try {
    Reply(*m_protocol, "DX" + typed + "\r");
  } catch (const CException &) {
    // Reset before the message, so no tick sends while it is open.
    Reset();
    AfxMessageBox(IDS_COMM_ERROR, MB_ICONERROR);
  }
}

void COutputCalibDialog::SetPoint(bool high) {
  const int point = high ? 1 : 0;
  const std::string typed = m_measured[point]->text().toStdString();
  if (!CheckTypedValue(typed))
    return;
  Guarded([this, point, high, &typed](CCommInterface &comm) {
    comm.SelectGroup(99);
    comm.SelectItem(4);
    if (const auto stored = ParseCalReply(Reply(comm, (high ? "DH" : "DL") + typed + "\r"))) {
      m_da[point]->SetPosition(stored->counts);
      m_measured[point]->setText(QString::fromStdString(FormatFixed4(stored->value)));
    }
    comm.SelectGroup(1);
    comm.WriteItem(1, "0");
    m_set[point]->setEnabled(false);
  });
}

void COutputCalibDialog::reject() {
  m_timer.stop();
  if (m_protocol != nullptr) {
    try {
      m_protocol->SelectGroup(1);
      m_protocol->WriteItem(1, "0");
    } catch (const CException &) {
      // The dialog closes anyway; the next exchange reports a dead line.
    }
  }
  QDialog::reject();
}
