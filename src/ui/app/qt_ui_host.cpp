#include "ui/app/qt_ui_host.h"

#include "core/resources/dialog_templates.h"
#include "ui/tools/input_calib_dialog.h"
#include "ui/tools/input_dialog.h"
#include "ui/tools/loop_dialog.h"
#include "ui/tools/output_calib_dialog.h"
#include "ui/tools/table_file_dialog.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

namespace {

// The type bits of a message box style.
constexpr unsigned kTypeMask = 0x0F;
constexpr unsigned kOkCancel = 0x01;
constexpr unsigned kYesNoCancel = 0x03;
constexpr unsigned kIconMask = 0xF0;

void AssertGuiThread() {
  Q_ASSERT_X(QThread::currentThread() == qApp->thread(), "CQtUIHost", "called outside the GUI thread");
}

QMessageBox::Icon IconOf(unsigned style) {
  switch (style & kIconMask) {
  case MB_ICONERROR:
    return QMessageBox::Critical;
  case MB_ICONQUESTION:
    return QMessageBox::Question;
  case MB_ICONWARNING:
    return QMessageBox::Warning;
  case MB_ICONINFORMATION:
    return QMessageBox::Information;
  default:
    return QMessageBox::NoIcon;
  }
}

} // namespace

CQtUIHost::CQtUIHost() { SetUIHost(this); }

CQtUIHost::~CQtUIHost() {
  if (&UIHost() == this)
    SetUIHost(nullptr);
}

QString CQtUIHost::Title() const {
  if (m_mainWindow && !m_mainWindow->windowTitle().isEmpty())
    return m_mainWindow->windowTitle();
  // Before the main window exists (a language that fails to load) the
  // message still carries the program's title.
  return QString::fromStdString(DialogCaption(*FindDialogTemplate(IDD_VELA_DIALOG)));
}

QWidget *CQtUIHost::DialogParent() const {
  if (QWidget *modal = QApplication::activeModalWidget())
    return modal;
  if (QWidget *active = QApplication::activeWindow())
    return active;
  return m_mainWindow;
}

int CQtUIHost::MessageBox(const std::string &text, unsigned style) {
  AssertGuiThread();
  QMessageBox box(IconOf(style), Title(), QString::fromStdString(text), QMessageBox::NoButton,
                  DialogParent());
  switch (style & kTypeMask) {
  case MB_YESNO:
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    break;
  case kYesNoCancel:
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);
    break;
  case MB_SAVEDISCARDCANCEL:
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Save);
    break;
  case kOkCancel:
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    break;
  default:
    box.setStandardButtons(QMessageBox::Ok);
    break;
  }
  box.exec();
  // A box closed with its close box or Escape counts as its cancelling answer.
  switch (box.standardButton(box.clickedButton())) {
  case QMessageBox::Yes:
  case QMessageBox::Save:
    return IDYES;
  case QMessageBox::No:
  case QMessageBox::Discard:
    return IDNO;
  case QMessageBox::Cancel:
    return IDCANCEL;
  case QMessageBox::Ok:
    return IDOK;
  default:
    if ((style & kTypeMask) == MB_YESNO)
      return IDNO;
    return (style & kTypeMask) == MB_OK ? IDOK : IDCANCEL;
  }
}

bool CQtUIHost::AskValue(int promptId, std::string &text) {
  AssertGuiThread();
  CInputDialog dialog(DialogParent());
  return dialog.Ask(promptId, text);
}

void CQtUIHost::RunInputCalibration(CCommInterface &comm) {
  AssertGuiThread();
  CInputCalibDialog dialog(DialogParent());
  dialog.SetProtocol(&comm);
  dialog.exec();
}

void CQtUIHost::RunOutputCalibration(CCommInterface &comm) {
  AssertGuiThread();
  COutputCalibDialog dialog(DialogParent());
  dialog.SetProtocol(&comm);
  dialog.exec();
}

LoopChoice CQtUIHost::RunLoopDialog(const LoopLimits &limits) {
  AssertGuiThread();
  CLoopDialog dialog(DialogParent());
  return dialog.Run(limits);
}

int CQtUIHost::RunTableDialog(CTableFile &table) {
  AssertGuiThread();
  CTableFileDialog dialog(DialogParent());
  return dialog.Run(table);
}
