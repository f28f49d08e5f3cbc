#include "ui/mainwindow/command_guard.h"

#include "core/log/log.h"
#include "core/resources/exception.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "core/resources/ui_host.h"
#include "ui/workers/load_dialog.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {

// How often a put-off close looks again whether the command has let go.
constexpr int kWindDownMs = 50;

// A message that must not throw out of the place that reports a failure.
void Report(const std::string &text, unsigned style) {
  try {
    AfxMessageBox(text, style);
  } catch (...) {
  }
}

} // namespace

bool CCommandGuard::Run(const std::string &name, const std::function<void()> &body, bool exclusive) {
  // While a command runs, its modal dialogs keep the window's own buttons
  // and keys away; what arrives anyway (a drop, a queued call) waits for no
  // second command on the line.
  if (exclusive && m_depth > 0) {
    LogInfo("window", name + ": not run, another command is running");
    return false;
  }
  LogInfo("window", name);
  ++m_depth;
  try {
    body();
  } catch (const CException &e) {
    LogWarning("window", name + " failed: " + DescribeCurrentException());
    Report(e.GetErrorMessage(), MB_ICONERROR);
  } catch (const std::exception &) {
    LogWarning("window", name + " failed: " + DescribeCurrentException());
    Report(LoadString(IDS_COMM_ERROR), MB_ICONERROR);
  }
  --m_depth;
  if (m_depth == 0 && m_closePending)
    QTimer::singleShot(0, &m_window, [window = &m_window] { window->close(); });
  return true;
}

bool CCommandGuard::DialogOpen() const {
  QWidget *modal = QApplication::activeModalWidget();
  return modal && modal != &m_window;
}

bool CCommandGuard::PutOffClose() {
  if (m_depth == 0 && !DialogOpen()) {
    // Closing now: a wind-down step still queued must not close a dialog
    // that opens after this (another window's, once this one has gone).
    m_closePending = false;
    return false;
  }
  // The command under way holds the link mutex and maybe an interface a
  // transfer thread still uses, a dialog of the window runs in a loop of its
  // own: they end first, then the window closes.
  m_closePending = true;
  WindDown();
  return true;
}

void CCommandGuard::WindDown() {
  // Every modal window is closed as its user would close it (No, Cancel),
  // except the progress window, whose transfer is left to end by itself;
  // then, with no command left, the window closes.
  if (!m_closePending)
    return;
  QWidget *modal = QApplication::activeModalWidget();
  if (auto *transfer = qobject_cast<CLoadDialog *>(modal)) {
    transfer->Abandon();
  } else if (modal && modal != &m_window) {
    modal->close();
  } else if (m_depth == 0) {
    m_window.close();
    return;
  }
  QTimer::singleShot(kWindDownMs, &m_window, [this] { WindDown(); });
}
