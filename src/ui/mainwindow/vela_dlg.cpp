#include "ui/mainwindow/vela_dlg.h"

#include "ui/mainwindow/edit_combo_box.h"
#include "ui/mainwindow/edit_text.h"
#include "ui/instruments/graph_ctrl.h"
#include "ui/instruments/meter_ctrl.h"
#include "core/link/comm_interface.h"
#include "core/model/par_edit.h"
#include "core/model/par_kt5rs.h"
#include "ui/mainwindow/parameter_list_ctrl.h"
#include "core/platform/exe_path.h"
#include "core/platform/number_text.h"
#include "ui/resources/app_icon.h"
#include "core/resources/dialog_templates.h"
#include "core/resources/exception.h"
#include "core/resources/language_module.h"
#include "core/resources/message_format.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"
#include "core/resources/ui_host.h"
#include "ui/workers/load_dialog.h"
#include "core/workers/update_io_thread.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QVBoxLayout>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace {

// Panels 1 to 4 show the poller's live values 0 to 3.
constexpr int kFirstLivePanel = 1;
constexpr int kLivePanels = 4;

double ReadNumber(const std::string &text) {
  std::string_view view(text);
  double value = 0.0;
  return ScanDouble(view, value) ? value : 0.0;
}

QString Text(int id) { return QString::fromStdString(LoadString(id)); }

bool IsConfigFile(const QString &path) {
  return QFileInfo(path).suffix().compare(QLatin1String("cfg"), Qt::CaseInsensitive) == 0;
}

// The local .cfg file a drag carries, or an empty text.
QString DroppedConfigFile(const QMimeData *mime) {
  if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
    return {};
  const QUrl url = mime->urls().front();
  if (!url.isLocalFile() || !IsConfigFile(url.toLocalFile()))
    return {};
  return url.toLocalFile();
}

} // namespace

CVELADlg::CVELADlg(CLanguageModule &language, QWidget *parent)
    : QDialog(parent), m_language(language), m_model(std::make_unique<CParKT5RS>()) {
  // The editors outlive every run's list: each run moves them into its own.
  auto text = std::make_unique<CEditText>();
  auto combo = std::make_unique<CEditComboBox>();
  m_editText = text.get();
  m_editCombo = combo.get();
  m_edit = std::make_unique<CParEdit>(std::move(text), std::move(combo));
  m_edit->Attach(this);
  Attach(m_edit.get());

  setWindowIcon(AppIcon());
  setAcceptDrops(true);
  // The window's controls scroll when the screen is smaller than they are.
  m_scroll = new QScrollArea(this);
  m_scroll->setFrameShape(QFrame::NoFrame);
  m_scroll->setWidgetResizable(true);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(m_scroll);
  m_timer.setInterval(kTimerMs);
  connect(&m_timer, &CIdleTimer::timeout, this, &CVELADlg::OnTimer);

  // Alt+C turns the connect button over first, as a click would.
  AddShortcut(Qt::Key_C, IDC_CONNECT, nullptr);
  AddShortcut(Qt::Key_O, IDC_OPEN_FILE, &CVELADlg::OnOpenFile);
  AddShortcut(Qt::Key_S, IDC_SAVE_FILE, &CVELADlg::OnSaveFile);
  AddShortcut(Qt::Key_P, IDC_COMPARE, &CVELADlg::OnCompare);
  AddShortcut(Qt::Key_U, IDC_UPLOAD, &CVELADlg::OnUpload);
  AddShortcut(Qt::Key_D, IDC_DOWNLOAD, &CVELADlg::OnDownload);
  AddShortcut(Qt::Key_L, IDC_LANGUAGE, &CVELADlg::OnLanguage);
  AddShortcut(Qt::Key_H, IDC_HISTORY, &CVELADlg::OnHistory);
  for (int slot = 0; slot < kUtilitySlots; ++slot)
    AddShortcut(Qt::Key_1 + slot, kUtilityButtons[slot], nullptr);
}

CVELADlg::~CVELADlg() { m_connection.RequestStop(); }

void CVELADlg::AddShortcut(int key, int buttonId, void (CVELADlg::*handler)()) {
  auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | key), this);
  connect(shortcut, &QShortcut::activated, this, [this, buttonId, handler] {
    // Each key works only while its button does: not behind the chart, which
    // hides the buttons but leaves them enabled.
    QPushButton *button = Button(buttonId);
    if (!button || !button->isVisible() || !button->isEnabled())
      return;
    if (buttonId == IDC_CONNECT) {
      button->toggle();
      ConnectOrDisconnect();
    } else if (handler) {
      (this->*handler)();
    } else {
      for (int slot = 0; slot < kUtilitySlots; ++slot)
        if (kUtilityButtons[slot] == buttonId)
          RunUtility(slot);
    }
  });
}

QPushButton *CVELADlg::Button(int id) const { return FindControl<QPushButton>(m_client, id); }

void CVELADlg::BuildWindow() {
  // Everything of the previous run goes with its container: the next run's
  // controls come from the templates of the language now current. The
  // editors are kept out of it.
  m_editText->setParent(nullptr);
  m_editCombo->setParent(nullptr);
  m_panels.fill(nullptr);
  m_fixedBanner = nullptr;
  m_list = nullptr;
  m_connect = nullptr;
  m_status = nullptr;
  m_statusOnline = nullptr;
  m_baseGeometry.clear();
  delete m_scroll->takeWidget();
  m_client = new QWidget(m_scroll);
  const DialogTemplate &tpl = *FindDialogTemplate(IDD_VELA_DIALOG);
  CTemplateBuilder(tpl)
      .Replace(IDC_PARAMETER_LIST,
               [](QWidget *host, const ControlTemplate &) { return new CParameterListCtrl(host); })
      .Build(m_client);
  CTemplateBuilder::ApplyWindowStyle(this, tpl);
  // It may grow: the list and the meters take the room.
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  setWindowFlag(Qt::WindowMinMaxButtonsHint, true);
  setFont(m_client->font());
  // The template's size, before the scroll area fits the widget to itself.
  m_baseSize = m_client->size();
  m_scroll->setWidget(m_client);
  m_client->show();
  m_list = qobject_cast<CParameterListCtrl *>(FindControl(m_client, IDC_PARAMETER_LIST));
  m_connect = Button(IDC_CONNECT);
  AddHistoryButton();
}

void CVELADlg::Create() {
  BuildWindow();
  OnInitDialog();
}

int CVELADlg::RunModal() {
  Create();
  return exec();
}

std::string CVELADlg::ServiceMarkerPath(const std::string &exePath) {
  // Only the file name's own extension is replaced; a dot in a folder name
  // ("~/.local/bin/vela") is not an extension.
  const std::size_t slash = exePath.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = exePath.rfind('.');
  if (dot != std::string::npos && dot > nameStart)
    return exePath.substr(0, dot) + ".adm";
  return exePath + ".adm";
}

void CVELADlg::OnInitDialog() {
  setWindowIcon(AppIcon());
  const std::string exe = ExecutablePath();
  std::error_code ec;
  if (!exe.empty() && std::filesystem::exists(ServiceMarkerPath(exe), ec))
    m_model->SetServiceFlag(true);
  UpdateTitle();

  m_selectedBlock = 0;
  m_timer.start();
  m_connection.StartPoller();
  WireButtons();
  InitViews();
  m_list->setFocus();

  if (!m_startFile.empty()) {
    // Once the window is up, so its messages have a window to stand on.
    QTimer::singleShot(0, this, [this, path = m_startFile] { OpenConfigFile(path); });
    m_startFile.clear();
  }
}

void CVELADlg::WireButtons() {
  connect(m_connect, &QPushButton::clicked, this, &CVELADlg::ConnectOrDisconnect);
  connect(Button(IDC_OPEN_FILE), &QPushButton::clicked, this, &CVELADlg::OnOpenFile);
  connect(Button(IDC_SAVE_FILE), &QPushButton::clicked, this, &CVELADlg::OnSaveFile);
  connect(Button(IDC_COMPARE), &QPushButton::clicked, this, &CVELADlg::OnCompare);
  connect(Button(IDC_UPLOAD), &QPushButton::clicked, this, &CVELADlg::OnUpload);
  connect(Button(IDC_DOWNLOAD), &QPushButton::clicked, this, &CVELADlg::OnDownload);
  connect(Button(IDC_LANGUAGE), &QPushButton::clicked, this, &CVELADlg::OnLanguage);
  for (int slot = 0; slot < kUtilitySlots; ++slot)
    connect(Button(kUtilityButtons[slot]), &QPushButton::clicked, this, [this, slot] { RunUtility(slot); });
  connect(m_list, &CParameterListCtrl::CellClicked, this, &CVELADlg::OnCellClicked);
  connect(m_list, &CParameterListCtrl::EditRequested, this, &CVELADlg::OnEditRequested);
  connect(m_list, &CParameterListCtrl::BlockStepRequested, this, &CVELADlg::OnBlockStep);
}

void CVELADlg::InitViews() {
  m_list->SetupColumns(Text(IDS_COL_NAME), Text(IDS_COL_VALUE));
  // Every name of every block, in this run's language.
  QStringList names;
  for (int block = 0; m_model->GetItemCount(block) > 0; ++block)
    for (int item = 0; item < m_model->GetItemCount(block); ++item)
      names << QString::fromStdString(m_model->GetName(block, item));
  m_list->FitNameColumn(names);
  m_list->SetRowToolTip([this](int row) {
    return QString::fromStdString(m_model->GetDescription(m_selectedBlock, row, IsOnline()));
  });
  m_list->setRowCount(1);
  m_list->SetRowText(0, 0, QString());
  m_list->SelectRow(0);

  QWidget *meterBase = FindControl(m_client, IDC_METER_BASE);
  // Only a place: it has no name a user could make sense of.
  meterBase->setAccessibleName(QString());
  const QPoint origin = meterBase->geometry().topLeft();
  if (auto *label = FindControl<QLabel>(m_client, IDC_PARAMETER_LABEL))
    m_list->setAccessibleName(label->text());
  for (int j = 0; j < kBlockCount; ++j) {
    auto *panel = new CMeterCtrl(m_client);
    panel->move(origin.x() + j * panel->width(), origin.y());
    panel->show();
    panel->SetIndex(j);
    panel->SetCaption(LoadString(IDS_BLOCK_0 + j));
    panel->Attach(this);
    m_panels[j] = panel;
  }

  BuildNotices();
  BuildStatusLine();
  RecordArrangement();

  for (QWidget *editor : {static_cast<QWidget *>(m_editText), static_cast<QWidget *>(m_editCombo)}) {
    editor->setParent(m_list->viewport());
    editor->hide();
  }
  if (!m_sized) {
    m_sized = true;
    FitToScreen();
  }
  RefreshView();
}

QString CVELADlg::VersionTitle(const std::string &modelName, const std::string &version) {
  return QString::fromStdString(modelName + "CFG" + " Version" + version);
}

void CVELADlg::UpdateTitle() {
  const std::string version = VELA_VERSION;
  if (version.empty())
    return;
  QString title = VersionTitle(m_model->GetModelName(), version);
  // Which set the window holds, and whether it holds more than that file.
  if (!m_filePath.empty() || m_modified) {
    title += QStringLiteral(" - ");
    title += m_filePath.empty() ? Text(IDS_NOT_SAVED) : QFileInfo(QFile::decodeName(m_filePath.c_str())).fileName();
    if (m_modified)
      title += QStringLiteral(" *");
  }
  setWindowTitle(title);
}

void CVELADlg::RefreshView() {
  FillParameterList();

  m_panels[1]->SetRange(ReadNumber(m_model->GetValueString(2, 0)), ReadNumber(m_model->GetValueString(2, 1)));
  m_panels[2]->SetRange(0.0, 100.0);
  m_panels[3]->SetRange(0.0, 100.0);
  m_panels[4]->SetRange(ReadNumber(m_model->GetValueString(4, 0)), ReadNumber(m_model->GetValueString(4, 1)));
  m_panels[1]->SetUnit(m_model->GetInputUnit());
  m_panels[2]->SetUnit(LoadString(IDS_UNIT_PERCENT));
  m_panels[3]->SetUnit(LoadString(IDS_UNIT_PERCENT));
  m_panels[4]->SetUnit(m_model->GetOutputUnit());

  for (int j = 0; j < kBlockCount; ++j)
    m_panels[j]->SetSelected(j == m_selectedBlock);
  m_panels[kDeviceInfoBlock]->EnablePanel(IsOnline());
  Button(IDC_LANGUAGE)->setEnabled(!IsOnline());
  UpdateNotices();
  UpdateKeyTips();
  if (m_statusOnline)
    m_statusOnline->setText(OnlineStatusText());
}

void CVELADlg::FillParameterList() {
  const int block = m_selectedBlock;
  const int count = m_model->GetItemCount(block);
  // Rows are overwritten where they are, and only the difference is added
  // or taken away, with the drawing held back until the list is complete.
  m_list->setUpdatesEnabled(false);
  if (m_list->rowCount() != count)
    m_list->setRowCount(count);
  for (int i = 0; i < count; ++i) {
    m_list->SetRowText(i, 0, QString::fromStdString(m_model->GetName(block, i)));
    m_list->SetRowText(i, 1, QString::fromStdString(m_model->GetValueText(block, i)));
  }
  m_list->setUpdatesEnabled(true);
  // The selected row stays where it was, as long as the block has it.
  if (m_list->FirstSelectedRow() < 0 && count > 0)
    m_list->SelectRow(count - 1);

  HideEditors();

  int slot = 0;
  for (; slot < kUtilitySlots; ++slot) {
    const std::string label = m_model->GetUtilityLabel(block, slot);
    if (label.empty())
      break;
    QPushButton *button = Button(kUtilityButtons[slot]);
    button->setText(QString::fromStdString(label));
    button->setEnabled(true);
  }
  for (; slot < kUtilitySlots; ++slot) {
    QPushButton *button = Button(kUtilityButtons[slot]);
    button->setText(QString());
    button->setEnabled(false);
  }
  ShowUtilityButtons(!m_graphPanel);
}

void CVELADlg::HideEditors() {
  m_editText->Hide();
  m_editCombo->Hide();
}

void CVELADlg::SelectBlock(int block) {
  if (block < 0 || block >= kBlockCount)
    return;
  m_selectedBlock = block;
  RefreshView();
}

void CVELADlg::OnBlockStep(int step) {
  const int next = m_selectedBlock + step;
  if (step > 0) {
    // A block whose panel is disabled ("Device Info" offline) is out of reach.
    if (m_selectedBlock >= kBlockCount - 1)
      return;
    QWidget *selector = FindControl(m_panels[next], CMeterCtrl::IDC_SELECTOR);
    if (!selector || !selector->isEnabled())
      return;
  } else if (m_selectedBlock <= 0) {
    return;
  }
  SelectBlock(next);
}

void CVELADlg::OnCellClicked(int row, int column) {
  m_selectedRow = row;
  if (column == 1)
    BeginEdit(row);
}

void CVELADlg::OnEditRequested() {
  const int row = m_list->FirstSelectedRow();
  if (row < 0)
    return;
  m_selectedRow = row;
  BeginEdit(row);
}

void CVELADlg::BeginEdit(int row) {
  const QRect cell = m_list->ValueCellRect(row);
  m_edit->SetRect({cell.x(), cell.y(), cell.x() + cell.width(), cell.y() + cell.height()});
  m_model->ShowEditor(m_selectedBlock, row, *m_edit);
}

void CVELADlg::Update(CObservable &source) {
  if (&source == &m_edit->Subject()) {
    CommitEdit();
    return;
  }
  for (CMeterCtrl *panel : m_panels)
    if (panel && &source == static_cast<CObservable *>(panel)) {
      SelectBlock(panel->GetIndex());
      m_list->setFocus();
      return;
    }
  if (m_graphPanel && &source == static_cast<CObservable *>(GraphPanel()))
    CloseTrendGraph();
}

bool CVELADlg::DialogOpen() const { return m_commands.DialogOpen(); }

void CVELADlg::OnTimer() {
  // A command in progress holds the line and answers its own failures. Any
  // other dialog of the window (the chart's print or save dialog, a message)
  // is answered first: a No over it would disconnect, and take away the
  // chart, under a dialog still running. The question comes once it closes.
  if (Poller() && Poller()->GetError() && !m_commands.IsRunning() && !DialogOpen())
    AskAfterCommError();
  if (IsOnline()) {
    for (int i = 0; i < kLivePanels; ++i)
      m_panels[kFirstLivePanel + i]->SetValueText(Poller()->GetLiveText(i));
  } else {
    m_panels[1]->SetValueText(m_model->GetValueString(2, 0));
    m_panels[2]->SetValueText("0.0");
    m_panels[3]->SetValueText("0.0");
    m_panels[4]->SetValueText(m_model->GetValueString(4, 0));
    // Offline these change only through something done in the window.
    if (!(Poller() && Poller()->GetError()))
      m_timer.Rest();
  }
  UpdateNotices();
}

void CVELADlg::AskAfterCommError() {
  // The timer stands still while the question is open, so it never stacks.
  if (m_askingCommError)
    return;
  m_askingCommError = true;
  m_timer.stop();
  for (;;) {
    if (AfxMessageBox(IDS_COMM_ERROR_RETRY, MB_YESNO | MB_ICONQUESTION) != IDYES) {
      Disconnect();
      break;
    }
    CLinkLock lock = m_connection.Lock();
    if (!lock)
      continue;
    try {
      m_connection.Reopen();
      break;
    } catch (const CException &e) {
      lock.Unlock();
      AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
    }
  }
  // An error the poller met while offline means nothing any more.
  if (!IsOnline())
    Poller()->ClearError();
  m_askingCommError = false;
  if (isVisible())
    m_timer.start();
}

void CVELADlg::Disconnect() {
  TakeAsLeft();
  if (m_connect)
    m_connect->setChecked(false);
  CLinkLock lock = m_connection.Lock();
  if (IsOnline()) {
    if (!m_connection.Release(lock)) {
      // The poller may still be using the line: the interface stays.
      if (m_connect)
        m_connect->setChecked(true);
      return;
    }
    CloseTrendGraph();
    m_model->ReadFromDevice(nullptr, -1, -1);
    if (m_selectedBlock == kDeviceInfoBlock)
      m_selectedBlock = kDeviceInfoBlock - 1;
    m_connectedTo.clear();
    SetStatus(IDS_STATUS_DISCONNECTED, {});
  }
  if (m_connect)
    m_connect->setText(Text(IDS_CONNECT));
  lock.Unlock();
  if (m_list)
    RefreshView();
}

void CVELADlg::TakeConnection(std::unique_ptr<CCommInterface> comm) {
  CLinkLock lock = m_connection.Lock();
  if (!lock)
    return;
  m_connection.Take(std::move(comm));
  // Live values come in from now on: the timer stops resting.
  if (m_timer.IsResting())
    m_timer.start();
  m_connect->setChecked(true);
  m_connect->setText(Text(IDS_DISCONNECT));
  // Which cable the window talks through, when several instruments are near.
  const CSerialIO &serial = m_connection.Interface()->Serial();
  std::string where = serial.DevicePath();
  if (!serial.PortName().empty() && serial.PortName() != where)
    where = serial.PortName() + " (" + where + ")";
  m_connectedTo = where;
  SetStatus(IDS_STATUS_CONNECTED, {where});
  lock.Unlock();
  RefreshView();
}

void CVELADlg::ShowMainControls(bool show) {
  static constexpr int kMainControls[] = {IDC_CONNECT, IDC_OPEN_FILE, IDC_SAVE_FILE, IDC_PARAMETER_LIST,
                                          1031, 1032, 1033, 1037, 1038, 1039,
                                          IDC_FUNCTION_BLOCK, IDC_PARAMETER_LABEL, IDC_UTILITY_LABEL,
                                          IDC_COMPARE, IDC_LANGUAGE, IDC_UPLOAD, IDC_DOWNLOAD, IDC_HISTORY};
  for (int id : kMainControls)
    if (QWidget *control = FindControl(m_client, id))
      control->setVisible(show);
  ShowUtilityButtons(show);
  for (CMeterCtrl *panel : m_panels)
    if (panel)
      panel->setVisible(show);
}

void CVELADlg::OnLanguage() {
  Disconnect();
  int next = m_language.CurrentIndex() + 1;
  if (CLanguageModule::Name(next).empty())
    next = 0;
  m_language.Load(next);
  m_timer.stop();
  done(kResultLanguageSwitch);
}

void CVELADlg::reject() {
  HideEditors();
  if (m_list)
    m_list->setFocus();
}

void CVELADlg::accept() {
  if (m_list && m_list->hasFocus())
    OnEditRequested();
}

void CVELADlg::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Escape:
    reject();
    event->accept();
    return;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    // Enter on a focused button presses that button; anywhere else it is
    // the dialog's default command.
    if (auto *button = qobject_cast<QPushButton *>(focusWidget()); button && button->isEnabled())
      button->click();
    else
      accept();
    event->accept();
    return;
  default:
    QDialog::keyPressEvent(event);
  }
}

void CVELADlg::Shutdown() {
  m_timer.stop();
  SaveWindowSize();
  // Before the poller is told to stop: that stop ends every read at once.
  TakeAsLeft();
  // Asked to stop first, the poller gives up a cycle stuck on a silent
  // instrument at once, so the disconnect never waits behind it.
  m_connection.RequestStop();
  Disconnect();
  m_connection.Stop();
}

void CVELADlg::closeEvent(QCloseEvent *event) {
  if (m_commands.PutOffClose()) {
    event->ignore();
    return;
  }
  // The instrument is left as the user chooses: a question already open
  // answers for a second close.
  if (m_askingClose) {
    event->ignore();
    return;
  }
  m_askingClose = true;
  const bool go = AskReleaseFixedOutput() && AskKeepChanges();
  m_askingClose = false;
  if (!go) {
    event->ignore();
    return;
  }
  event->accept();
  Shutdown();
  done(0);
}

void CVELADlg::dragEnterEvent(QDragEnterEvent *event) {
  if (!DroppedConfigFile(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void CVELADlg::dropEvent(QDropEvent *event) {
  const QString path = DroppedConfigFile(event->mimeData());
  if (path.isEmpty())
    return;
  event->acceptProposedAction();
  // Not inside the drop itself: the messages of a failed load need an event
  // loop of their own, which the dragging source must not wait on.
  QTimer::singleShot(0, this, [this, file = path.toStdString()] { OpenConfigFile(file); });
}

void CVELADlg::ShowUtilityButtons(bool show) {
  // A slot without an action is left out, not offered as a nameless button.
  for (int id : kUtilityButtons)
    if (QPushButton *button = Button(id))
      button->setVisible(show && !button->text().isEmpty());
}
