// The History window: the instruments this program has met, each one's
// records and journal, newest first. A record can be opened into the main
// window, compared with the instrument or written back to it; the journal
// can be saved as CSV and the latest visit printed as a commissioning report.
#pragma once

#include "core/history/history_store.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTableWidget;

// What the main window does with a record.
struct HistoryActions {
  std::function<void(const HistoryRecord &)> open;
  std::function<void(const HistoryRecord &)> compare;
  std::function<void(const HistoryRecord &, const CInstrumentIdentity &)> restore;
  // The chart of a trend recorded in this connection, or a null image.
  std::function<QImage()> trend;
};

class CHistoryDialog : public QDialog {
  Q_OBJECT
public:
  explicit CHistoryDialog(HistoryActions actions, QWidget *parent = nullptr);

  // Reads the store again.
  void Reload();
  // Selects the instrument in the given row of the instruments table.
  void SelectInstrument(int row);
  QTableWidget *Instruments() const { return m_instruments; }
  QTableWidget *Records() const { return m_records; }
  QTableWidget *Journal() const { return m_journal; }

  // Writes the journal shown, or the report of the instrument shown; false
  // after telling the user why.
  bool SaveJournal(const QString &path);
  bool SaveReport(const QString &path);

private:
  void ShowInstrument();
  const HistoryRecord *SelectedRecord() const;
  void RunOnRecord(const std::function<void(const HistoryRecord &)> &action);
  void UpdateButtons();

  HistoryActions m_actions;
  std::vector<HistoryInstrument> m_instrumentRows;
  std::vector<HistoryRecord> m_recordRows;
  std::vector<JournalEntry> m_journalRows;
  QTableWidget *m_instruments = nullptr;
  QTableWidget *m_records = nullptr;
  QTableWidget *m_journal = nullptr;
  QLabel *m_identity = nullptr;
  QPushButton *m_open = nullptr;
  QPushButton *m_compare = nullptr;
  QPushButton *m_restore = nullptr;
  QPushButton *m_saveJournal = nullptr;
  QPushButton *m_report = nullptr;
};
