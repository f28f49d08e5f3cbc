// The journal of the writes of one operation. The caller says what the
// operation is and what it means to write; the scope watches the line and
// commits the rows before the first write goes out, then completes them with
// what the instrument kept. It never sends anything itself.
#pragma once

#include "core/history/history_store.h"
#include "core/history/instrument_identity.h"
#include "core/link/comm_interface.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CParBase;

// Journal contexts (what did it) besides the utility actions' labels.
inline constexpr const char *kContextEdit = "edit";
inline constexpr const char *kContextDownload = "download";
inline constexpr const char *kContextOpenFile = "open file";
inline constexpr const char *kContextRestore = "restore";

// One row per parameter of the selection (blocks 0 to 5 for the whole set),
// with the value to be sent; before from `before` when given.
std::vector<JournalEntry> ParameterRows(const CParBase &set, const CParBase *before, int block, int item);
// The row of one edited parameter: before is its text before the edit.
std::vector<JournalEntry> EditRows(const CParBase &set, int block, int item, const std::string &before);
// One row for a utility action of a block.
std::vector<JournalEntry> ActionRows(int block, int slot, const std::string &label);
// The parameters of blocks 0 to 5 that differ, as "name=value; ..." for each side.
std::pair<std::string, std::string> ChangedValues(const CParBase &before, const CParBase &after);

// True for a command that changes the instrument: anything but a selection
// and the replies-only commands of the reads.
bool IsWriteCommand(int group, int item, const std::string &command);

class CJournalScope : public CTransactHook {
public:
  CJournalScope(CCommInterface &comm, const CInstrumentIdentity &who, const std::string &context,
                std::vector<JournalEntry> rows);
  ~CJournalScope() override;
  CJournalScope(const CJournalScope &) = delete;
  CJournalScope &operator=(const CJournalScope &) = delete;

  // The rows' read-back from the set as the instrument returned it; without
  // one the rows say the values were sent and not read back.
  void Complete(const CParBase *readBack);
  // An action's rows: what changed, as the caller saw it before and after.
  void CompleteAction(const std::string &before, const std::string &after);

  bool Wrote() const { return m_begun; }

  void BeforeSend(const std::string &command) override;
  void Failed(const std::string &message) override;

private:
  void Finish();

  CCommInterface &m_comm;
  CTransactHook *m_previous;
  CInstrumentIdentity m_who;
  std::vector<JournalEntry> m_rows;
  int m_group = -1;
  int m_item = -1;
  bool m_begun = false;
  bool m_completed = false;
  std::string m_failure;
};

// The journal of one utility action: one row naming it, with the commands it
// wrote and the parameters it changed. Offline (no interface) it keeps nothing.
class CActionJournal {
public:
  CActionJournal(CCommInterface *comm, const CParBase &set, const std::string &port, int block, int slot);
  ~CActionJournal();
  CActionJournal(const CActionJournal &) = delete;
  CActionJournal &operator=(const CActionJournal &) = delete;
  // The set after the action, as it re-read the instrument.
  void Complete(const CParBase &after);

private:
  std::unique_ptr<CParBase> m_before;
  std::unique_ptr<CJournalScope> m_scope;
};
