// The main window's commands run one at a time, and a close asked for while
// one runs waits for it: the command's dialogs are closed as their user
// would close them, and once the command has let go of the line and its
// interface the window closes as usual.
#pragma once

#include <functional>
#include <string>

class QWidget;

class CCommandGuard {
public:
  // window: the one to close once a put-off close may proceed.
  explicit CCommandGuard(QWidget &window) : m_window(window) {}
  CCommandGuard(const CCommandGuard &) = delete;
  CCommandGuard &operator=(const CCommandGuard &) = delete;

  // Runs body as a command: nothing it throws gets past (the user is told).
  // An exclusive command does not run while another does; false then. name
  // is what the log calls it.
  bool Run(const std::string &name, const std::function<void()> &body, bool exclusive = true);
  bool IsRunning() const { return m_depth > 0; }
  bool IsClosePending() const { return m_closePending; }
  // For the window's close: false when no command runs, no dialog of the
  // window is open and the close may go ahead; true when it has been put off
  // until they have ended.
  bool PutOffClose();
  // A modal window other than the main window is open.
  bool DialogOpen() const;

private:
  void WindDown();

  QWidget &m_window;
  int m_depth = 0;
  bool m_closePending = false;
};
