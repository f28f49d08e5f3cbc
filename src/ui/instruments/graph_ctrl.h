// The trend graph panel: records one live value on a CGraph every 500 ms
// between START and STOP, scaling the axes as the values come, then lets the
// user look at the recording, print it and save it. CLOSE notifies the
// observers; the owner then takes the panel away.
//
// For the main window: construct it as a child of the window, give it the
// poller and the channel (0 input value, 1 input %, 2 output %, 3 output
// value), attach an observer, place it over the client area and show it. The
// panel reads the poller's values without the link mutex. The notification
// comes from inside the CLOSE button's click, so the observer takes the panel
// away with DeleteWhenIdle(), never with delete.
#pragma once

#include "core/model/observable.h"

#include <QDateTime>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <string>

class CGraph;
class CLiveValueSource;
class CUpdateIOThread;
class QPushButton;

// What a printout says the recording is of.
struct TrendDescription {
  std::string model;
  std::string serial;
  std::string tag;
  std::string block;
  std::string unit;
};

class CGraphCtrl : public QWidget, public CObservable {
  Q_OBJECT
public:
  static constexpr int TickMs = 500;

  explicit CGraphCtrl(QWidget *parent);
  ~CGraphCtrl() override;

  // Samples the poller's live values; it must outlive the panel.
  void SetPoller(const CUpdateIOThread *poller);
  // Samples any other source instead (not owned).
  void SetValueSource(const CLiveValueSource *source);
  void SetChannel(int channel) { m_channel = channel; }
  void SetDescription(TrendDescription description) { m_description = std::move(description); }
  // The printout's and the PDF's header: the block and its unit, the
  // instrument, when the recording started and how long it ran.
  QStringList PrintHeader() const;
  int GetChannel() const { return m_channel; }

  CGraph *Graph() const { return m_graph; }
  bool IsRecording() const { return m_timer.isActive(); }

  // The sampling period; tests shorten it.
  void SetTickInterval(int ms) { m_timer.setInterval(ms); }

  // Takes the panel away once none of its own dialogs (print, save and their
  // messages) is running any more: a dialog's event loop may be the one that
  // asked, and the dialog and the function waiting on it belong to the panel.
  void DeleteWhenIdle();

protected:
  // Enter and Escape would otherwise reach the main window and end it;
  // Escape while reviewing shows the whole recording again.
  void keyPressEvent(QKeyEvent *event) override;

private:
  void OnStart();
  void OnStop();
  void OnClose();
  void OnPrint();
  void OnSave();
  void PrintChart();
  void SaveChart();
  // Runs one of the panel's dialogs with the panel kept alive throughout.
  void RunDialog(void (CGraphCtrl::*body)());
  void OnTick();
  void EnableButtons(bool recording);
  bool SavePicture(const QString &path);
  bool SavePdf(const QString &path);
  bool SaveCsv(const QString &path);

  CGraph *m_graph = nullptr;
  QPushButton *m_print = nullptr;
  QPushButton *m_save = nullptr;
  QPushButton *m_start = nullptr;
  QPushButton *m_stop = nullptr;
  QPushButton *m_close = nullptr;

  std::unique_ptr<CLiveValueSource> m_pollerSource;
  const CLiveValueSource *m_source = nullptr;
  int m_channel = 0;
  QTimer m_timer;

  int m_dialogsRunning = 0;
  bool m_deletePending = false;

  TrendDescription m_description;
  QDateTime m_started;
  QDateTime m_stopped;

  double m_nextX = 1;
  double m_yLow = -0.1;
  double m_yHigh = 0.1;
  double m_min = 0;
  double m_max = 0;
};
