// The main window: a modal dialog built from template 102. It is made once
// and run again after every display-language switch, each run building its
// window afresh from the templates and strings of the current language.
#pragma once

#include <QDialog>
#include <memory>
#include <string>

class CLanguageModule;
class CParBase;

class CVELADlg : public QDialog {
  Q_OBJECT
public:
  // Result of a run that ended for a language switch; a closed window gives 0.
  static constexpr int kResultLanguageSwitch = 1;

  explicit CVELADlg(CLanguageModule &language, QWidget *parent = nullptr);
  ~CVELADlg() override;

  // Builds the window from the current language and runs it modally;
  // returns kResultLanguageSwitch or 0.
  int RunModal();

  // The title: model name, "CFG", " Version" and the version, with no blank
  // before the version; the template's caption when there is no version.
  static QString VersionTitle(const std::string &modelName, const std::string &version);
  void UpdateTitle();

  CParBase *Model() const { return m_model.get(); }
  // The window's controls live in this widget, rebuilt for every run.
  QWidget *Client() const { return m_client; }

public slots:
  // The dialog's cancel command (Escape): never closes the window.
  void reject() override;
  // The dialog's default command (Enter): never closes the window.
  void accept() override;
  void OnLanguage();

protected:
  virtual void OnInitDialog();
  void keyPressEvent(QKeyEvent *event) override;
  void closeEvent(QCloseEvent *event) override;

private:
  void BuildWindow();

  CLanguageModule &m_language;
  std::unique_ptr<CParBase> m_model;
  QWidget *m_client = nullptr;
};
