#include "ui/tools/input_calib_dialog.h"

#include "core/link/comm_interface.h"
#include "core/platform/number_text.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"
#include "core/tools/calibration.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int IDC_TYPE = 1042;
constexpr int IDC_TRUE_0 = 1043;
constexpr int IDC_SET_0 = 1044;
constexpr int IDC_TRUE_100 = 1045;
constexpr int IDC_SET_100 = 1046;
constexpr int IDC_STORED_0 = 1058;
constexpr int IDC_STORED_100 = 1059;
// The input types this procedure calibrates: the direct inputs.
constexpr int kInputTypes = 3;

std::string Reply(CCommInterface &comm, const std::string &command) {
  std::string reply;
  comm.Transact(command, reply);
  return reply;
}

} // namespace

CInputCalibDialog::CInputCalibDialog(QWidget *parent) : QDialog(parent) {
  CTemplateBuilder(IDD_INPUT_CALIB_DIALOG).Build(this);
  m_types = FindControl<QComboBox>(this, IDC_TYPE);
  m_trueValue[0] = FindControl<QLineEdit>(this, IDC_TRUE_0);
  m_trueValue[1] = FindControl<QLineEdit>(this, IDC_TRUE_100);
  m_stored[0] = FindControl<QLineEdit>(this, IDC_STORED_0);
  m_stored[1] = FindControl<QLineEdit>(this, IDC_STORED_100);
  m_set[0] = FindControl<QPushButton>(this, IDC_SET_0);
  m_set[1] = FindControl<QPushButton>(this, IDC_SET_100);

  m_types->addItem(QString::fromStdString(LoadString(IDS_CHOOSE_TYPE)));
  for (int k = 0; k < kInputTypes; ++k)
    m_types->addItem(QString::fromStdString(LoadString(IDS_KT7W_INPUT_TYPE_0 + k)));
  m_types->setCurrentIndex(0);

  connect(m_types, &QComboBox::activated, this, &CInputCalibDialog::OnTypeChosen);
  connect(m_set[0], &QPushButton::clicked, this, [this] { SetPoint(false); });
  connect(m_set[1], &QPushButton::clicked, this, [this] { SetPoint(true); });
  connect(FindControl<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &QDialog::reject);
}

template <class Steps> void CInputCalibDialog::Guarded(Steps steps) {
  if (m_protocol == nullptr)
    return;
  try {
    steps(*m_protocol);
  } catch (const CException &e) {
    AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
  }
}

void CInputCalibDialog::OnTypeChosen(int index) {
  if (index <= 0) {
    m_set[0]->setEnabled(false);
    m_set[1]->setEnabled(false);
    return;
  }
  Guarded([this, index](CCommInterface &comm) {
    comm.SelectGroup(1);
    comm.WriteItem(1, "1");
    comm.WriteItem(10, FormatInt(index - 1));
    comm.WriteItem(1, "0");
    comm.SelectGroup(99);
    comm.SelectItem(5);
    for (int point = 0; point < 2; ++point) {
      if (const auto stored = ParseCalReply(Reply(comm, point == 0 ? "DLR\r" : "DHR\r"))) {
        m_stored[point]->setText(QString::fromStdString(FormatInt(stored->counts)));
        m_trueValue[point]->setText(QString::fromStdString(FormatFixed4(stored->value)));
      }
    }
    m_set[0]->setEnabled(true);
    m_set[1]->setEnabled(true);
  });
}

void CInputCalibDialog::SetPoint(bool high) {
  const int point = high ? 1 : 0;
  const std::string typed = m_trueValue[point]->text().toStdString();
  if (!CheckTypedValue(typed))
    return;
  Guarded([this, point, high, &typed](CCommInterface &comm) {
    comm.SelectGroup(99);
    comm.SelectItem(5);
    if (const auto stored = ParseCalReply(Reply(comm, (high ? "DH" : "DL") + typed + "\r"))) {
      m_stored[point]->setText(QString::fromStdString(FormatInt(stored->counts)));
      m_trueValue[point]->setText(QString::fromStdString(FormatFixed4(stored->value)));
    }
  });
}
