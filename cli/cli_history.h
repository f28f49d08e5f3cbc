// vela-cli's part of the history: the records around its device commands
// and the history and report commands.
#pragma once

#include "cli_support.h"
#include "core/history/instrument_identity.h"

#include <memory>

class CCommInterface;
class CParBase;

// The port as the history names it.
std::string HistoryPortName(const CliOptions &options);

// After a whole upload of upload, compare or set: the as-found record.
void NoteCliUpload(CParBase &set, const CliOptions &options);

// Before a download's writes: the whole set read by `held` (the caller's
// upload) becomes the before-download record unless --no-backup.
void NoteBeforeDownload(CParBase &held, const CInstrumentIdentity &who, const CliOptions &options);

int CmdHistory(const CliOptions &options);
int CmdReport(const CliOptions &options);
