#include "ui/workers/load_dialog.h"

#include "core/link/comm_interface.h"
#include "core/log/log.h"
#include "core/model/par_base.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"
#include "core/workers/load_par_thread.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>

namespace {

constexpr int IDC_DIRECTION = 1035;
constexpr int IDC_PROGRESS = 1024;

} // namespace

CLoadDialog::CLoadDialog(QWidget *parent) : QDialog(parent) {
  CTemplateBuilder(IDD_LOAD_DIALOG).Build(this);
  m_label = FindControl<QLabel>(this, IDC_DIRECTION);
  m_bar = FindControl<QProgressBar>(this, IDC_PROGRESS);
  m_timer.setInterval(TickMs);
  connect(&m_timer, &QTimer::timeout, this, &CLoadDialog::OnTick);
}

CLoadDialog::~CLoadDialog() {
  m_timer.stop();
  // The thread object waits for its thread; the interface and the model it
  // borrowed stay alive until then.
  m_thread.reset();
}

bool CLoadDialog::Upload(CCommInterface *protocol, CParBase *model) { return Run(protocol, model, true); }

bool CLoadDialog::Download(CCommInterface *protocol, CParBase *model) { return Run(protocol, model, false); }

bool CLoadDialog::Run(CCommInterface *protocol, CParBase *model, bool upload) {
  if (!protocol || !model || m_thread)
    return false;
  m_protocol = protocol;
  m_model = model;
  m_upload = upload;
  m_attempts = 0;
  m_abandoned = false;
  int result = Rejected;
  try {
    if (m_label)
      m_label->setText(QString::fromStdString(LoadString(upload ? IDS_UPLOADING : IDS_DOWNLOADING)));
    if (m_bar) {
      m_bar->setRange(0, 100);
      m_bar->setValue(0);
    }
    StartTransfer();
    m_timer.start();
    result = exec();
  } catch (...) {
    // Only the transfer's own failures are reported, and those inside the
    // dialog; anything else still must not reach the caller.
    LogWarning("transfer", "progress dialog ended by " + DescribeCurrentException());
    result = Rejected;
  }
  m_timer.stop();
  m_thread.reset();
  m_protocol = nullptr;
  m_model = nullptr;
  return result == Accepted;
}

void CLoadDialog::StartTransfer() {
  // The previous attempt's thread has ended (its finished flag was seen);
  // joining it here keeps that certain before its object and error go.
  m_thread.reset();
  m_model->ResetProgress();
  m_thread = std::make_unique<CLoadParThread>(*m_protocol, *m_model, m_upload);
  ++m_attempts;
  m_thread->Start();
}

void CLoadDialog::OnTick() {
  // Nothing may leave a slot through Qt's event loop; a failure the dialog
  // cannot report ends it as a transfer that did not complete.
  try {
    Tick();
  } catch (...) {
    LogWarning("transfer", "progress dialog ended by " + DescribeCurrentException());
    Finish(Rejected);
  }
}

void CLoadDialog::Tick() {
  if (m_bar)
    m_bar->setValue(m_model->GetProgress());
  if (!m_thread || !m_thread->IsFinished())
    return;
  const CException *error = m_thread->GetError();
  if (!error) {
    Finish(Accepted);
    return;
  }
  if (m_abandoned) {
    Finish(Rejected);
    return;
  }
  m_timer.stop();
  AfxMessageBox(error->GetErrorMessage(), MB_OK);
  if (Retry())
    m_timer.start();
  else
    Finish(Rejected);
}

bool CLoadDialog::Retry() {
  for (;;) {
    if (AfxMessageBox(IDS_COMM_ERROR_RETRY, MB_YESNO | MB_ICONQUESTION) != IDYES || m_abandoned)
      return false;
    try {
      m_protocol->Reopen();
      StartTransfer();
      return true;
    } catch (const CException &e) {
      AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    }
  }
}

void CLoadDialog::Finish(int result) {
  m_timer.stop();
  if (m_thread)
    m_thread->Join();
  done(result);
}

void CLoadDialog::reject() {
  // Escape and the window's close request land here; see the header.
}

void CLoadDialog::closeEvent(QCloseEvent *event) { event->ignore(); }

void CLoadDialog::keyPressEvent(QKeyEvent *event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}
