// SIGTERM, SIGINT and SIGHUP (logout, shutdown, kill, Ctrl+C) and the
// session manager's logout reach the program as a close of its main window,
// so that open dialogs are answered as Cancel or No would answer them and a
// running transfer ends first: an instrument left in an adjust mode would
// keep its output forced.
#pragma once

#include <functional>

class QObject;

// Installs the handlers; onRequest runs on the GUI thread, from the event
// loop, once for every request. The handlers live as long as owner.
void HandleTerminationRequests(QObject *owner, std::function<void()> onRequest);

// What the program does on a request: closes the main window as its close
// button would, or ends the event loop when no main window is shown.
void CloseMainWindow();
