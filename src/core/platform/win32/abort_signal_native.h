// The Windows form of CAbortSignal: a manual-reset event, which a wait for
// overlapped serial I/O can watch beside the I/O's own event.
#pragma once

#include "core/platform/abort_signal.h"

#include <windows.h>

struct CAbortSignal::Native {
  HANDLE event = nullptr; // null when the system gave none: the signal then never ends a wait
};
