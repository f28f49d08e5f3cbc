#include "core/history/write_journal.h"

#include "core/history/history.h"
#include "core/model/par_base.h"

#include <cstdlib>

namespace {

constexpr int kComparedBlocks = 6; // the device information is not a setting

void AddRow(std::vector<JournalEntry> &rows, const CParBase &set, const CParBase *before, int block, int item) {
  JournalEntry row;
  row.block = block;
  row.item = item;
  row.name = set.GetName(block, item);
  row.sent = set.GetValueText(block, item);
  if (before)
    row.before = before->GetValueText(block, item);
  rows.push_back(std::move(row));
}

// "I31", "DZ4.000": the command without its carriage return.
std::string Shown(const std::string &command) {
  std::string text = command;
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
    text.pop_back();
  return text;
}

int Number(const std::string &command) { return std::atoi(command.c_str() + 1); }

} // namespace

std::vector<JournalEntry> ParameterRows(const CParBase &set, const CParBase *before, int block, int item) {
  std::vector<JournalEntry> rows;
  if (block < 0) {
    for (int b = 0; b < kComparedBlocks; ++b)
      for (int i = 0; i < set.GetItemCount(b); ++i)
        AddRow(rows, set, before, b, i);
  } else if (item < 0) {
    for (int i = 0; i < set.GetItemCount(block); ++i)
      AddRow(rows, set, before, block, i);
  } else {
    AddRow(rows, set, before, block, item);
  }
  return rows;
}

std::vector<JournalEntry> EditRows(const CParBase &set, int block, int item, const std::string &before) {
  std::vector<JournalEntry> rows = ParameterRows(set, nullptr, block, item);
  for (JournalEntry &row : rows)
    row.before = before;
  return rows;
}

std::vector<JournalEntry> ActionRows(int block, int slot, const std::string &label) {
  JournalEntry row;
  row.block = block;
  row.item = slot;
  row.name = label;
  return {row};
}

std::pair<std::string, std::string> ChangedValues(const CParBase &before, const CParBase &after) {
  std::pair<std::string, std::string> out;
  for (int b = 0; b < kComparedBlocks; ++b) {
    for (int i = 0; i < after.GetItemCount(b); ++i) {
      const std::string was = before.GetValueText(b, i);
      const std::string now = after.GetValueText(b, i);
      if (was == now)
        continue;
      const std::string sep = out.first.empty() ? "" : "; ";
      out.first += sep + after.GetName(b, i) + "=" + was;
      out.second += sep + after.GetName(b, i) + "=" + now;
    }
  }
  return out;
}

bool IsWriteCommand(int group, int item, const std::string &command) {
  if (command.empty() || command[0] != 'D')
    return false;
  const std::string c = Shown(command);
  if (c == "D")
    return false;
  // The device information: D0, D2, D3, D6 alone read a text.
  if (item == 90 && c.size() == 2)
    return false;
  if (group == 99 && item == 7 && c == "DW")
    return false;
  if (item == 31 && c == "DZ")
    return false;
  if (item == 20 && c == "DS")
    return false;
  if (item == 62) {
    if (c == "DR" || c == "DZ")
      return false;
    // DXk and DYk read a table point; DXkDv writes one.
    if ((c[1] == 'X' || c[1] == 'Y') && c.find('D', 2) == std::string::npos)
      return false;
  }
  return true;
}

CJournalScope::CJournalScope(CCommInterface &comm, const CInstrumentIdentity &who, const std::string &context,
                             std::vector<JournalEntry> rows)
    : m_comm(comm), m_previous(comm.GetTransactHook()), m_who(who), m_rows(std::move(rows)) {
  for (JournalEntry &row : m_rows) {
    row.port = who.port;
    row.model = who.model;
    row.serial = who.serial;
    row.tag = who.tag;
    row.context = context;
  }
  comm.SetTransactHook(this);
}

CJournalScope::~CJournalScope() {
  m_comm.SetTransactHook(m_previous);
  if (m_begun && !m_completed) {
    // Left without a read-back: a failure says so; otherwise the outcome
    // stays unknown.
    for (JournalEntry &row : m_rows) {
      row.result = m_failure.empty() ? kResultUnknown : kResultFailed;
      row.message = m_failure;
    }
    Finish();
  }
  History().FlushWarning();
}

void CJournalScope::BeforeSend(const std::string &command) {
  if (m_previous)
    m_previous->BeforeSend(command);
  if (command[0] == 'G') {
    m_group = Number(command);
    return;
  }
  if (command[0] == 'I') {
    m_item = Number(command);
    return;
  }
  if (!IsWriteCommand(m_group, m_item, command))
    return;
  for (JournalEntry &row : m_rows) {
    // An action's row lists what it wrote.
    if (row.block >= 0 && row.item >= 0 && row.name == row.context)
      row.sent += (row.sent.empty() ? "" : " ") + std::string("I") + std::to_string(m_item) + " " + Shown(command);
  }
  if (m_begun)
    return;
  m_begun = true;
  const std::string time = UtcNow();
  for (JournalEntry &row : m_rows)
    row.time = time;
  History().BeginRows(m_who, m_rows);
  History().MarkWritten(&m_comm);
}

void CJournalScope::Failed(const std::string &message) {
  if (m_previous)
    m_previous->Failed(message);
  m_failure = message;
}

void CJournalScope::Finish() {
  m_completed = true;
  History().CompleteRows(m_rows);
}

void CJournalScope::Complete(const CParBase *readBack) {
  if (!m_begun)
    return;
  for (JournalEntry &row : m_rows) {
    if (!readBack) {
      row.result = kResultSent;
      continue;
    }
    row.readBack = readBack->GetValueText(row.block, row.item);
    row.result = row.readBack == row.sent ? kResultKept : kResultDiffers;
  }
  Finish();
}

void CJournalScope::CompleteAction(const std::string &before, const std::string &after) {
  if (!m_begun)
    return;
  for (JournalEntry &row : m_rows) {
    row.before = before;
    row.readBack = after;
    row.result = kResultKept;
  }
  Finish();
}

CActionJournal::CActionJournal(CCommInterface *comm, const CParBase &set, const std::string &port, int block,
                               int slot) {
  if (!comm)
    return;
  const std::string label = set.GetUtilityLabel(block, slot);
  m_before = set.Clone();
  m_before->CopyFrom(set);
  m_scope = std::make_unique<CJournalScope>(*comm, IdentityOf(set, port), label, ActionRows(block, slot, label));
}

CActionJournal::~CActionJournal() = default;

void CActionJournal::Complete(const CParBase &after) {
  if (!m_scope)
    return;
  const auto [before, now] = ChangedValues(*m_before, after);
  m_scope->CompleteAction(before, now);
}
