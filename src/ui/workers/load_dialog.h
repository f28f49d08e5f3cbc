// The progress window of a whole-set transfer: shows the direction and a bar
// fed from the model's progress counter while a CLoadParThread moves every
// parameter, reports a failure and offers to try again.
//
// The caller holds the link mutex for the whole call, so the live value
// poller stays off the line while the transfer thread talks to the
// instrument.
#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

class CCommInterface;
class CLoadParThread;
class CParBase;
class QLabel;
class QProgressBar;

class CLoadDialog : public QDialog {
  Q_OBJECT
public:
  static constexpr int TickMs = 100;

  explicit CLoadDialog(QWidget *parent = nullptr);
  ~CLoadDialog() override;

  // Reads every parameter of the instrument into model / writes every
  // parameter of model to the instrument. True exactly when the transfer
  // completed; false when it failed and the user declined to try again.
  // Nothing is thrown.
  bool Upload(CCommInterface *protocol, CParBase *model);
  bool Download(CCommInterface *protocol, CParBase *model);

  // Transfers started by the current or last call (1 + the retries).
  int Attempts() const { return m_attempts; }

  // The window behind is closing: the running transfer is left to end by
  // itself (each exchange gives up within its time-out), and a failure then
  // ends the dialog without a report or the question to try again.
  void Abandon() { m_abandoned = true; }

public slots:
  // A transfer cannot be cancelled half-way; the dialog ends only when the
  // transfer has completed or the user has declined to retry it.
  void reject() override;

protected:
  void closeEvent(QCloseEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;

private:
  bool Run(CCommInterface *protocol, CParBase *model, bool upload);
  void StartTransfer();
  void OnTick();
  void Tick();
  // Asks whether to try again until the answer is No or a restart succeeded.
  bool Retry();
  void Finish(int result);

  QLabel *m_label = nullptr;
  QProgressBar *m_bar = nullptr;
  QTimer m_timer;
  CCommInterface *m_protocol = nullptr;
  CParBase *m_model = nullptr;
  bool m_upload = true;
  int m_attempts = 0;
  bool m_abandoned = false;
  std::unique_ptr<CLoadParThread> m_thread;
};
