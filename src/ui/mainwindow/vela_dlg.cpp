#include "vela_dlg.h"

#include "model/par_kt5rs.h"
#include "resources/dialog_templates.h"
#include "resources/language_module.h"
#include "resources/template_builder.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>

namespace {
constexpr int IDC_LANGUAGE = 1040;
constexpr int IDC_PARAMETER_LIST = 1006;
} // namespace

CVELADlg::CVELADlg(CLanguageModule &language, QWidget *parent)
    : QDialog(parent), m_language(language), m_model(std::make_unique<CParKT5RS>()) {
  // Alt+L reaches the language switch only while its button is enabled.
  auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_L), this);
  connect(shortcut, &QShortcut::activated, this, [this] {
    auto *button = FindControl<QPushButton>(m_client, IDC_LANGUAGE);
    if (button && button->isEnabled())
      OnLanguage();
  });
}

CVELADlg::~CVELADlg() = default;

void CVELADlg::BuildWindow() {
  // Everything of the previous run goes with its container: the next run's
  // controls come from the templates of the language now current.
  delete m_client;
  m_client = new QWidget(this);
  const DialogTemplate &tpl = *FindDialogTemplate(IDD_VELA_DIALOG);
  CTemplateBuilder(tpl).Build(m_client);
  CTemplateBuilder::ApplyWindowStyle(this, tpl);
  setFont(m_client->font());
  setFixedSize(m_client->size());
  m_client->show();
}

int CVELADlg::RunModal() {
  BuildWindow();
  OnInitDialog();
  return exec();
}

void CVELADlg::OnInitDialog() {
  UpdateTitle();
  connect(FindControl<QPushButton>(m_client, IDC_LANGUAGE), &QPushButton::clicked, this,
          &CVELADlg::OnLanguage);
  if (QWidget *list = FindControl(m_client, IDC_PARAMETER_LIST))
    list->setFocus();
}

QString CVELADlg::VersionTitle(const std::string &modelName, const std::string &version) {
  return QString::fromStdString(modelName + "CFG" + " Version" + version);
}

void CVELADlg::UpdateTitle() {
  const std::string version = VELA_VERSION;
  if (version.empty())
    return;
  setWindowTitle(VersionTitle(m_model->GetModelName(), version));
}

void CVELADlg::OnLanguage() {
  int next = m_language.CurrentIndex() + 1;
  if (CLanguageModule::Name(next).empty())
    next = 0;
  m_language.Load(next);
  done(kResultLanguageSwitch);
}

void CVELADlg::reject() {}

void CVELADlg::accept() {}

void CVELADlg::keyPressEvent(QKeyEvent *event) {
  switch (event->key()) {
  case Qt::Key_Escape:
    reject();
    event->accept();
    return;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    // Enter on a focused button presses that button; anywhere else it is
    // the dialog's default command.
    if (auto *button = qobject_cast<QPushButton *>(focusWidget()); button && button->isEnabled())
      button->click();
    else
      accept();
    event->accept();
    return;
  default:
    QDialog::keyPressEvent(event);
  }
}

void CVELADlg::closeEvent(QCloseEvent *event) {
  event->accept();
  done(0);
}
