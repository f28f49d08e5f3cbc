// The user table dialog: shows a linearization table as a curve, loads it
// from and saves it to table files, and hands it back on OK.
#pragma once

#include "core/tools/table_file.h"

#include <QDialog>

class CGraph;

class CTableFileDialog : public QDialog {
  Q_OBJECT
public:
  explicit CTableFileDialog(QWidget *parent = nullptr);

  // Shows the dialog on a copy of table. On OK the copy replaces table and
  // the result is 1 (IDOK); otherwise 2 (IDCANCEL) with table unchanged.
  int Run(CTableFile &table);

  const CTableFile &WorkingCopy() const { return m_table; }
  CGraph *Preview() const { return m_preview; }

private:
  void OpenFile();
  void SaveFile();
  void RefreshPreview();

  CTableFile m_table;
  CGraph *m_preview = nullptr;
};
