// What the window says beyond the parameters themselves: the notice of an
// output the loop test holds fixed and the question before the window lets
// go of such an instrument; the changes in the window that no file and no
// instrument has, and the question before they would be lost.
#include "ui/mainwindow/vela_dlg.h"

#include "core/link/comm_interface.h"
#include "core/model/par_kt7w.h"
#include "core/resources/exception.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "core/resources/ui_host.h"
#include "core/workers/update_io_thread.h"
#include "ui/resources/template_builder.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTime>

namespace {

// The banner sits on the line between the block panels and the button row,
// right of the group's title, in dialog units; the button row's free stretch
// holds the History button.
constexpr int kBannerX = 100, kBannerY = 31, kBannerW = 185, kBannerH = 12;

} // namespace

void CVELADlg::BuildNotices() {
  const DialogBaseUnits units = DialogBaseUnits::FromFont(m_client->font());
  m_fixedBanner = new QLabel(m_client);
  m_fixedBanner->setObjectName(QString::number(IDC_FIXED_OUTPUT));
  m_fixedBanner->setGeometry(units.Map(kBannerX, kBannerY, kBannerW, kBannerH));
  m_fixedBanner->setAlignment(Qt::AlignCenter);
  m_fixedBanner->setAutoFillBackground(true);
  QPalette palette = m_fixedBanner->palette();
  palette.setColor(QPalette::Window, QColor(0xFF, 0xD8, 0x40));
  palette.setColor(QPalette::WindowText, Qt::black);
  m_fixedBanner->setPalette(palette);
  m_fixedBanner->setFrameShape(QFrame::Box);
  m_fixedBanner->hide();
}

bool CVELADlg::OutputFixed() const {
  const auto *model = dynamic_cast<const CParKT7W *>(m_model.get());
  return IsOnline() && model && model->GetLoopTest();
}

void CVELADlg::UpdateNotices() {
  if (!m_fixedBanner)
    return;
  const bool fixed = OutputFixed() && !m_graphPanel;
  if (fixed) {
    // The output value the instrument reports is the one it holds.
    std::string text = LoadString(IDS_FIXED_OUTPUT);
    const std::string value = Poller() ? Poller()->GetLiveText(3) : std::string();
    if (!value.empty())
      text += ": " + value + " " + m_model->GetOutputUnit();
    const QString shown = QString::fromStdString(text);
    if (m_fixedBanner->text() != shown)
      m_fixedBanner->setText(shown);
  }
  if (m_fixedBanner->isVisible() != fixed)
    m_fixedBanner->setVisible(fixed);
}

bool CVELADlg::AskReleaseFixedOutput() {
  if (!OutputFixed())
    return true;
  const int answer = AfxMessageBox(IDS_FIXED_OUTPUT_RELEASE, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL)
    return false;
  if (answer == IDYES && IsOnline()) {
    CLinkLock lock = m_connection.Lock();
    if (!lock)
      return false;
    try {
      dynamic_cast<CParKT7W &>(*m_model).EndLoopTest(*m_connection.Interface());
    } catch (const CException &e) {
      // The instrument may still hold its output: the user is told, and
      // what they asked for goes on.
      AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    }
  }
  UpdateNotices();
  return true;
}

bool CVELADlg::AskKeepChanges() {
  if (!m_modified)
    return true;
  switch (AfxMessageBox(IDS_UNSAVED_CHANGES, MB_SAVEDISCARDCANCEL | MB_ICONWARNING)) {
  case IDYES:
    return SaveFile();
  case IDNO:
    return true;
  default:
    return false;
  }
}

void CVELADlg::SetModified(bool modified) {
  if (m_modified == modified)
    return;
  m_modified = modified;
  UpdateTitle();
}

void CVELADlg::SetFilePath(std::string path) {
  m_filePath = std::move(path);
  UpdateTitle();
}

std::string CVELADlg::PortText(int port) const { return "COM" + std::to_string(port); }

void CVELADlg::SetStatus(int id, std::vector<std::string> args) {
  if (!m_status)
    return;
  args.push_back(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")).toStdString());
  const std::vector<MessageArg> inserts(args.begin(), args.end());
  m_status->setText(QString::fromStdString(FormatMessageId(id, inserts)));
}

QString CVELADlg::StatusText() const { return m_status ? m_status->text() : QString(); }

QString CVELADlg::OnlineStatusText() const {
  if (!IsOnline())
    return {};
  return QString::fromStdString(FormatMessageId(
      IDS_STATUS_ONLINE, {m_connectedTo, m_model->GetValueString(kDeviceInfoBlock, 0),
                          m_model->GetValueString(kDeviceInfoBlock, 2), m_model->GetValueString(kDeviceInfoBlock, 3)}));
}

void CVELADlg::UpdateKeyTips() {
  // The Alt key of every button, where the user looks for what it does.
  struct Key {
    int id;
    char key;
  };
  static constexpr Key kKeys[] = {{IDC_CONNECT, 'C'}, {IDC_OPEN_FILE, 'O'}, {IDC_SAVE_FILE, 'S'},
                                  {IDC_COMPARE, 'P'}, {IDC_UPLOAD, 'U'},    {IDC_DOWNLOAD, 'D'},
                                  {IDC_LANGUAGE, 'L'}, {1031, '1'},         {1032, '2'},
                                  {1033, '3'},        {1037, '4'},          {1038, '5'},
                                  {1039, '6'}};
  for (const Key &key : kKeys) {
    QPushButton *button = Button(key.id);
    if (!button)
      continue;
    const QString caption = button->text().remove(QLatin1Char('&')).simplified();
    QString tip;
    if (!caption.isEmpty())
      tip = QString::fromStdString(
          FormatMessageId(IDS_BUTTON_KEY_TIP, {caption.toStdString(), std::string(1, key.key)}));
    if (key.id == IDC_CONNECT && IsOnline() && !m_connectedTo.empty())
      tip += QLatin1Char('\n') + QString::fromStdString(FormatMessageId(IDS_CONNECTED_TO, {m_connectedTo}));
    if (button->toolTip() != tip)
      button->setToolTip(tip);
  }
}
