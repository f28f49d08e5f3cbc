#include "ui/link/com_dialog.h"

#include "core/resources/app_settings.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/string_ids.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

CComDialog::CComDialog(QWidget *parent) : QDialog(parent) {
  CTemplateBuilder(IDD_COM_DIALOG).Build(this);
  m_combo = FindControl<QComboBox>(this, IDC_PORT);
  connect(FindControl<QPushButton>(this, IDOK), &QPushButton::clicked, this, &CComDialog::accept);
  connect(FindControl<QPushButton>(this, IDCANCEL), &QPushButton::clicked, this, &CComDialog::reject);
  // A USB adapter's name tells which cable it is; the open list is as wide
  // as its longest entry, and the closed box shows the whole text on hover.
  connect(m_combo, &QComboBox::currentIndexChanged, this,
          [this](int index) { m_combo->setToolTip(index >= 0 ? m_combo->itemText(index) : QString()); });
}

void CComDialog::SetPorts(std::vector<CPortRecord> ports) { m_injected = std::move(ports); }

int CComDialog::Run() {
  m_port = 0;
  if (!InitDialog())
    return 0;
  return exec() == Accepted ? m_port : 0;
}

bool CComDialog::InitDialog() {
  m_settings.Load();
  if (m_injected)
    m_ports = *m_injected;
  else
    EnumeratePorts(m_ports);

  m_combo->clear();
  int preselect = 0;
  for (const CPortRecord &record : m_ports) {
    const int index = m_combo->count();
    m_combo->addItem(QString::fromStdString(record.display), static_cast<int>(::PortNumber(record)));
    if (record.name == m_settings.GetCOMPort())
      preselect = index;
  }
  if (m_combo->count() == 0) {
    AfxMessageBox(IDS_NO_COM_PORT, MB_ICONERROR);
    return false;
  }
  m_combo->setCurrentIndex(preselect);
  int widest = 0;
  for (int i = 0; i < m_combo->count(); ++i)
    widest = std::max(widest, m_combo->fontMetrics().horizontalAdvance(m_combo->itemText(i)));
  m_combo->view()->setMinimumWidth(widest + m_combo->view()->verticalScrollBar()->sizeHint().width() + 16);
  return true;
}

void CComDialog::accept() {
  const int index = m_combo->currentIndex();
  if (index < 0 || index >= static_cast<int>(m_ports.size()))
    return;
  m_port = m_combo->itemData(index).toInt();
  m_settings.SetCOMPort(m_ports[static_cast<std::size_t>(index)].name);
  m_settings.Save();
  QDialog::accept();
}
