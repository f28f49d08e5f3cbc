// The POSIX form of CAbortSignal: a descriptor that becomes readable once the
// signal is raised, so it can sit in the same poll() as the serial line.
#pragma once

#include "core/platform/abort_signal.h"

struct CAbortSignal::Native {
  int readFd = -1; // -1 when the system gave none: the signal then never ends a wait
  int writeFd = -1;
};
