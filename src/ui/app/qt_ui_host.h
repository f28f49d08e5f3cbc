// The user interface host of the Qt program: message boxes, the value
// prompt and the tool dialogs on top of whatever window is active. Every
// call must come from the GUI thread; the worker threads report to the GUI
// thread instead of asking the user themselves.
#pragma once

#include "core/resources/ui_host.h"

#include <QPointer>
#include <QString>
#include <QWidget>

class CQtUIHost : public CUIHost {
public:
  // Installs itself as the program's host, and removes itself again.
  CQtUIHost();
  ~CQtUIHost() override;
  CQtUIHost(const CQtUIHost &) = delete;
  CQtUIHost &operator=(const CQtUIHost &) = delete;

  int MessageBox(const std::string &text, unsigned style) override;
  bool AskValue(int promptId, std::string &text) override;
  void RunInputCalibration(CCommInterface &comm) override;
  void RunOutputCalibration(CCommInterface &comm) override;
  LoopChoice RunLoopDialog(const LoopLimits &limits) override;
  int RunTableDialog(CTableFile &table) override;

  // The window whose title the message boxes carry; the main window's
  // template caption while there is none.
  void SetMainWindow(QWidget *window) { m_mainWindow = window; }
  QString Title() const;

private:
  QWidget *DialogParent() const;

  QPointer<QWidget> m_mainWindow;
};
