#include "ui/app/termination.h"

#include "ui/mainwindow/vela_dlg.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// A signal handler may do next to nothing: it writes a byte into a pipe
// whose other end the event loop watches.
int g_requestPipe[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char c = 1;
  [[maybe_unused]] ssize_t n = ::write(g_requestPipe[1], &c, 1);
  errno = saved;
}

} // namespace

void HandleTerminationRequests(QObject *owner, std::function<void()> onRequest) {
  if (g_requestPipe[0] < 0) {
    if (::pipe2(g_requestPipe, O_CLOEXEC | O_NONBLOCK) != 0)
      return;
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
      ::sigaction(signal, &sa, nullptr);
  }
  auto *notifier = new QSocketNotifier(g_requestPipe[0], QSocketNotifier::Read, owner);
  QObject::connect(notifier, &QSocketNotifier::activated, owner, [onRequest] {
    char bytes[16];
    while (::read(g_requestPipe[0], bytes, sizeof bytes) > 0) {
    }
    onRequest();
  });
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, owner, [onRequest](QSessionManager &) { onRequest(); });
}

void CloseMainWindow() {
  for (QWidget *widget : QApplication::topLevelWidgets())
    if (auto *window = qobject_cast<CVELADlg *>(widget); window && window->isVisible()) {
      window->close();
      return;
    }
  QCoreApplication::exit(0);
}
