// The main window: a modal dialog built from template 102. It is made once
// and run again after every display-language switch, each run building its
// window afresh from the templates and strings of the current language. The
// model, its values and the live value poller live as long as the object.
#pragma once

#include "core/model/observable.h"
#include "ui/mainwindow/command_guard.h"
#include "ui/mainwindow/connection.h"
#include "ui/mainwindow/idle_timer.h"

#include <QDialog>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CCommInterface;
class CEditComboBox;
class CEditText;
class CGraphCtrl;
class CLanguageModule;
class CMeterCtrl;
class CParBase;
class CParEdit;
class CParameterListCtrl;
class CUpdateIOThread;
struct CInstrumentIdentity;
struct HistoryRecord;
class QLabel;
class QPushButton;
class QScrollArea;

class CVELADlg : public QDialog, public CObserver, public CObservable {
  Q_OBJECT
public:
  // Result of a run that ended for a language switch; a closed window gives 0.
  static constexpr int kResultLanguageSwitch = 1;
  static constexpr int kBlockCount = 7;
  static constexpr int kDeviceInfoBlock = 6;
  static constexpr int kUtilitySlots = 6;
  static constexpr int kTimerMs = 100;

  // Controls of the window.
  static constexpr int IDC_CONNECT = 1028;
  static constexpr int IDC_OPEN_FILE = 1029;
  static constexpr int IDC_SAVE_FILE = 1030;
  static constexpr int IDC_COMPARE = 1036;
  static constexpr int IDC_UPLOAD = 1041;
  static constexpr int IDC_DOWNLOAD = 1042;
  static constexpr int IDC_LANGUAGE = 1040;
  static constexpr int IDC_FUNCTION_BLOCK = 1059;
  static constexpr int IDC_METER_BASE = 1034;
  static constexpr int IDC_PARAMETER_LABEL = 1060;
  static constexpr int IDC_PARAMETER_LIST = 1006;
  static constexpr int IDC_UTILITY_LABEL = 1061;
  // Not in the template: placed in the free space of the top row.
  static constexpr int IDC_HISTORY = 1090;
  // Not in the template: the window's own notice of a fixed output.
  static constexpr int IDC_FIXED_OUTPUT = 1091;
  // The status line: what the last command did, and the instrument online.
  static constexpr int IDC_STATUS = 1092;
  static constexpr int IDC_STATUS_ONLINE = 1093;
  // Utility slots 0 to 5.
  static constexpr std::array<int, kUtilitySlots> kUtilityButtons = {1031, 1032, 1033, 1037, 1038, 1039};

  explicit CVELADlg(CLanguageModule &language, QWidget *parent = nullptr);
  ~CVELADlg() override;

  // Builds the window from the current language and runs it modally;
  // returns kResultLanguageSwitch or 0.
  int RunModal();
  // The first half of a run: builds and initialises the window without
  // entering its event loop.
  void Create();

  // The title: model name, "CFG", " Version" and the version, with no blank
  // before the version; the template's caption when there is no version.
  static QString VersionTitle(const std::string &modelName, const std::string &version);
  void UpdateTitle();
  // The service-mode marker of the executable at exePath: the same name
  // with ".adm" for its extension, in the same folder.
  static std::string ServiceMarkerPath(const std::string &exePath);

  // The whole view from the model, the selection and the connection.
  void RefreshView();
  void FillParameterList();
  // Opens the editor of the row's value cell, if the item is editable.
  void BeginEdit(int row);
  // Makes block the one listed (0 to 6).
  void SelectBlock(int block);
  void ShowMainControls(bool show);
  // The trend graph view of the selected block's live value over the whole
  // window, and back (vela_dlg_utility.cpp).
  void OpenTrendGraph();
  void CloseTrendGraph();
  CGraphCtrl *GraphPanel() const;
  void Disconnect();
  // Takes the edit object's accepted result into the model.
  void CommitEdit();
  // The end of a successful connect: the interface becomes the window's
  // connection, lent to the poller.
  void TakeConnection(std::unique_ptr<CCommInterface> comm);
  // Loads a configuration file over the current set the way Open File does
  // once the file is chosen. False when the file was not taken; the set
  // stays as it was and the user has been told why.
  bool OpenConfigFile(const std::string &path);
  // A file to open as soon as the window shows (the command line's).
  void SetStartFile(std::string path) { m_startFile = std::move(path); }

  // From the edit object, a panel or the trend graph panel.
  void Update(CObservable &source) override;

  // While the loop test holds the output: asks whether to return it to
  // normal before the window lets go of the instrument. Yes returns it, No
  // leaves it; false on Cancel (vela_dlg_state.cpp).
  bool AskReleaseFixedOutput();
  bool OutputFixed() const;
  // Before the set in the window is replaced or dropped: while it holds
  // changes neither saved to a file nor downloaded, asks Save / Discard /
  // Cancel. False on Cancel, or when the save did not happen.
  bool AskKeepChanges();
  // Changes made to the set that no file and no instrument has.
  bool IsModified() const { return m_modified; }
  void SetModified(bool modified);
  // The file the set was last opened from or saved to; empty when none.
  const std::string &FilePath() const { return m_filePath; }
  void SetFilePath(std::string path);

  // The status line's text of the last command, and of the connection.
  QString StatusText() const;
  QString OnlineStatusText() const;
  // The smallest size of the window's contents: the template's arrangement.
  QSize BaseSize() const { return m_baseSize; }

  CParBase *Model() const { return m_model.get(); }
  // The window's controls live in this widget, rebuilt for every run.
  QWidget *Client() const { return m_client; }
  CParameterListCtrl *List() const { return m_list; }
  CMeterCtrl *Panel(int block) const { return m_panels.at(block); }
  CParEdit &Edit() const { return *m_edit; }
  CUpdateIOThread *Poller() const { return m_connection.Poller(); }
  int SelectedBlock() const { return m_selectedBlock; }
  int SelectedRow() const { return m_selectedRow; }
  bool IsOnline() const { return m_connection.IsOnline(); }

public slots:
  // The dialog's cancel command (Escape): hides the editors, never closes.
  void reject() override;
  // The dialog's default command (Enter): edits the selected row when the
  // list has the focus, never closes.
  void accept() override;
  void OnLanguage();
  void ConnectOrDisconnect();
  void OnOpenFile();
  void OnSaveFile();
  void OnCompare();
  void OnUpload();
  void OnDownload();
  void RunUtility(int slot);
  void OnHistory();

protected:
  virtual void OnInitDialog();
  void InitViews();
  void keyPressEvent(QKeyEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void dragEnterEvent(QDragEnterEvent *event) override;
  void dropEvent(QDropEvent *event) override;

private:
  void BuildWindow();
  void WireButtons();
  void AddShortcut(int key, int buttonId, void (CVELADlg::*handler)());
  void OnTimer();
  void AskAfterCommError();
  // A modal window other than the main window itself is open.
  bool DialogOpen() const;
  void OnBlockStep(int step);
  void OnCellClicked(int row, int column);
  void OnEditRequested();
  void HideEditors();
  void Shutdown();
  QPushButton *Button(int id) const;
  // The notices the window adds to the template's controls (vela_dlg_state.cpp).
  void ShowUtilityButtons(bool show);
  void BuildNotices();
  void UpdateNotices();
  // The status line, the size the window may take, and the tooltips with
  // the Alt keys (vela_dlg_layout.cpp, vela_dlg_state.cpp).
  void BuildStatusLine();
  void RecordArrangement();
  void FitToScreen();
  void SaveWindowSize();
  void Relayout();
  void SetStatus(int id, std::vector<std::string> args);
  void UpdateKeyTips();
  std::string PortText(int port) const;

  // Device and file commands (vela_dlg_commands.cpp). A command runs inside
  // RunCommand: one at a time, nothing thrown past it, and a close asked for
  // meanwhile waits until it has let go of the link and its interface.
  // name: what the log calls the command.
  bool RunCommand(const std::string &name, const std::function<void()> &body, bool exclusive = true) {
    return m_commands.Run(name, body, exclusive);
  }
  void Connect();
  void Upload();
  void Download();
  void Compare();
  void OpenFile();
  // True when the set was written to a file.
  bool SaveFile();
  void WriteEdit(int block, int row, const std::string &before);
  bool RefusedOnline();
  int AskPort();
  std::unique_ptr<CCommInterface> OpenPort(int port);
  // AskPort, then OpenPort: null when the user cancelled or the port did not
  // open (then said why). port: the one chosen.
  std::unique_ptr<CCommInterface> AskAndOpenPort(int &port);
  // Asks for a port, opens it into comm and reads the whole instrument into a
  // fresh copy of the model; null when a step was cancelled or failed (the
  // user has been told). Read into a copy, a transfer that fails half-way
  // leaves the set the user had, not a mixture of it and the instrument's.
  std::unique_ptr<CParBase> ReadInstrument(std::unique_ptr<CCommInterface> &comm);
  bool CheckEditSwitchNow();
  bool TakeConfigFile(const std::string &path);
  QString AskConfigFile(bool save);
  void ShowOutOfRangeReport();

  // The history (vela_dlg_history.cpp).
  void AddHistoryButton();
  void NoteWholeRead(CParBase &set, CCommInterface &comm, int port);
  // The as-left record when the online connection has been written to.
  void TakeAsLeft();
  bool ReadIdentityNow(CCommInterface &comm, int port, CInstrumentIdentity &who);
  // The before-download record unless one was taken of the instrument in
  // this run (or the setting turns it off); false when the read failed.
  bool TakeBeforeDownload(CCommInterface &comm, const CInstrumentIdentity &who, std::unique_ptr<CParBase> &held);
  std::unique_ptr<CParBase> LoadRecord(const HistoryRecord &record);
  void OpenRecord(const HistoryRecord &record);
  void CompareRecord(const HistoryRecord &record);
  void RestoreRecord(const HistoryRecord &record, const CInstrumentIdentity &who);
  void KeepTrendPicture(CGraphCtrl *panel);
  QImage m_trendPicture;

  CLanguageModule &m_language;
  std::unique_ptr<CParBase> m_model;
  int m_selectedBlock = 0;
  int m_selectedRow = 0;
  CEditText *m_editText = nullptr;
  CEditComboBox *m_editCombo = nullptr;
  std::unique_ptr<CParEdit> m_edit;
  CIdleTimer m_timer;
  CConnection m_connection;
  CCommandGuard m_commands{*this};
  std::array<CMeterCtrl *, kBlockCount> m_panels{};
  QPointer<QWidget> m_graphPanel;
  CParameterListCtrl *m_list = nullptr;
  QPushButton *m_connect = nullptr;
  QWidget *m_client = nullptr;
  std::string m_startFile;
  bool m_askingCommError = false;
  QLabel *m_fixedBanner = nullptr;
  bool m_askingClose = false;
  bool m_modified = false;
  std::string m_filePath;
  QScrollArea *m_scroll = nullptr;
  QLabel *m_status = nullptr;
  QLabel *m_statusOnline = nullptr;
  QSize m_baseSize;
  QHash<QWidget *, QRect> m_baseGeometry;
  bool m_sized = false;
  // The port a one-shot command asked for last, and where the window is connected.
  int m_lastPort = 0;
  std::string m_connectedTo;
};
