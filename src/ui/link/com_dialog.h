// The port choice shown before a connection: the ports the system reports,
// the one used last time preselected, the choice remembered on OK.
#pragma once

#include "core/platform/com_ports.h"
#include "core/resources/app_settings.h"

#include <QDialog>
#include <optional>
#include <vector>

class QComboBox;

class CComDialog : public QDialog {
  Q_OBJECT
public:
  static constexpr int IDC_PORT = 1022;

  explicit CComDialog(QWidget *parent = nullptr);

  // Offers exactly these ports instead of asking the system; for tests and
  // for a caller that has just enumerated them.
  void SetPorts(std::vector<CPortRecord> ports);

  // Shows the dialog; the chosen port number on OK, 0 when cancelled or
  // when there is no port at all (that is reported first).
  int Run();

  int PortNumber() const { return m_port; }

public slots:
  void accept() override;

private:
  bool InitDialog();

  CAppSettings m_settings;
  std::optional<std::vector<CPortRecord>> m_injected;
  std::vector<CPortRecord> m_ports;
  QComboBox *m_combo = nullptr;
  int m_port = 0;
};
