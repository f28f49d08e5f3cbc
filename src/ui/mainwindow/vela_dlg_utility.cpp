// The utility buttons of the main window and the trend graph view that four
// of them open.
#include "ui/mainwindow/vela_dlg.h"

#include "core/history/history.h"
#include "core/history/write_journal.h"

#include "ui/instruments/graph_ctrl.h"
#include "ui/instruments/meter_ctrl.h"
#include "ui/mainwindow/parameter_list_ctrl.h"
#include "core/model/par_base.h"
#include "core/model/utility_actions.h"
#include "core/resources/exception.h"
#include "core/resources/string_ids.h"
#include "core/resources/ui_host.h"
#include "core/workers/update_io_thread.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> AllValues(const CParBase &model) {
  std::vector<std::string> values;
  for (int block = 0; model.GetItemCount(block) > 0; ++block)
    for (int item = 0; item < model.GetItemCount(block); ++item)
      values.push_back(model.GetValueString(block, item));
  return values;
}

// Stops a timer for a scope and starts it again afterwards if it ran.
class CTimerPause {
public:
  explicit CTimerPause(CIdleTimer &timer) : m_timer(timer), m_wasActive(timer.isActive()) { m_timer.stop(); }
  ~CTimerPause() {
    if (m_wasActive)
      m_timer.start();
  }
  CTimerPause(const CTimerPause &) = delete;
  CTimerPause &operator=(const CTimerPause &) = delete;

private:
  CIdleTimer &m_timer;
  bool m_wasActive;
};

} // namespace

void CVELADlg::RunUtility(int slot) {
  // The keys of the hidden buttons still reach here while the chart covers
  // the window: neither a second chart nor a tool dialog behind it.
  if (m_graphPanel)
    return;
  // The "Trend Graph" buttons are the window's own: a chart of the block's
  // live value.
  const UtilityAction *action = FindUtilityAction(m_selectedBlock, slot);
  if (action && action->liveChannel >= 0) {
    if (IsOnline())
      OpenTrendGraph();
    else
      AfxMessageBox(IDS_ONLY_ONLINE, MB_ICONERROR);
    return;
  }

  // As a command: a close asked for inside one of the action's dialogs
  // waits until the action has let go of the line and the interface.
  RunCommand(m_model->GetUtilityLabel(m_selectedBlock, slot), [&] {
    // Held across the action and every dialog it opens, so the poller stays
    // off the line until the action is over.
    CLinkLock lock = m_connection.Lock();
    if (!lock)
      return;
    // A failure the poller reported just before the click waits for the end
    // of the action: answered No inside one of its dialogs, it would close the
    // connection the action is still using. The live values stand still
    // meanwhile anyway.
    CTimerPause pause(m_timer);
    // Offline an action (the user table) changes only the set in the window.
    const bool offline = !IsOnline();
    const std::vector<std::string> before = offline ? AllValues(*m_model) : std::vector<std::string>();
    const std::string label = m_model->GetUtilityLabel(m_selectedBlock, slot);
    try {
      CActionJournal journal(m_connection.Interface(), *m_model, History().PortOf(m_connection.Interface()), m_selectedBlock,
                             slot);
      m_model->ExecuteUtility(m_connection.Interface(), m_selectedBlock, slot);
      journal.Complete(*m_model);
    } catch (const CException &e) {
      // The action stopped half-way: what the list shows stays as it was, and
      // a failing line is the poller's to report next.
      SetStatus(IDS_STATUS_ACTION_FAILED, {label});
      AfxMessageBox(e.GetErrorMessage(), MB_ICONERROR);
      return;
    }
    SetStatus(IDS_STATUS_ACTION_DONE, {label});
    lock.Unlock();
    if (offline && AllValues(*m_model) != before)
      SetModified(true);
    RefreshView();
  });
}

void CVELADlg::OpenTrendGraph() {
  const UtilityAction *entry = FindTrendGraphAction(m_selectedBlock);
  if (!entry || m_graphPanel)
    return;
  ShowMainControls(false);
  auto *panel = new CGraphCtrl(this);
  panel->SetPoller(Poller());
  panel->SetChannel(entry->liveChannel);
  // The printout names what it shows: the instrument read at connect and the panel's block.
  const CMeterCtrl *block = m_panels[m_selectedBlock];
  panel->SetDescription({m_model->GetValueString(kDeviceInfoBlock, 0), m_model->GetValueString(kDeviceInfoBlock, 2),
                         m_model->GetValueString(kDeviceInfoBlock, 3), block->Caption(), block->Unit()});
  panel->Attach(this);
  panel->setGeometry(rect());
  panel->raise();
  panel->show();
  m_graphPanel = panel;
  // The hidden list had the focus; the keys go to the chart now.
  panel->setFocus();
}

void CVELADlg::CloseTrendGraph() {
  QWidget *panel = m_graphPanel;
  if (!panel)
    return;
  m_graphPanel = nullptr;
  // The chart goes into a commissioning report of this visit.
  KeepTrendPicture(qobject_cast<CGraphCtrl *>(panel));
  // CLOSE notifies from inside its own click, a disconnect may come while the
  // panel's print or save dialog runs: the panel goes once that is over.
  panel->hide();
  static_cast<CGraphCtrl *>(panel)->DeleteWhenIdle();
  ShowMainControls(true);
  if (m_list)
    m_list->setFocus();
}

CGraphCtrl *CVELADlg::GraphPanel() const { return qobject_cast<CGraphCtrl *>(m_graphPanel.data()); }
