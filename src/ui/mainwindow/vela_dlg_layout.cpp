// The window's size: the template's arrangement is the smallest it gets;
// extra space goes to the parameter list (both ways) and the meters
// (height), the buttons keep theirs. On a screen smaller than that the
// window fits the screen and scrolls. The size is kept in the settings.
// Also the status line under the function blocks.
#include "ui/mainwindow/vela_dlg.h"

#include "ui/instruments/meter_ctrl.h"
#include "core/resources/settings_store.h"
#include "core/resources/string_ids.h"
#include "core/resources/strings.h"
#include "ui/resources/template_builder.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>

namespace {

// The status line below the function block frame, in dialog units.
constexpr int kStatusY = 303, kStatusH = 10;
constexpr int kStatusX = 5, kStatusW = 474, kOnlineW = 200;

constexpr char kSection[] = "Settings";
constexpr char kWidthKey[] = "WindowWidth";
constexpr char kHeightKey[] = "WindowHeight";
constexpr char kMaximizedKey[] = "WindowMaximized";

} // namespace

void CVELADlg::BuildStatusLine() {
  const DialogBaseUnits units = DialogBaseUnits::FromFont(m_client->font());
  const QRect line = units.Map(kStatusX, kStatusY, kStatusW, kStatusH);
  const int onlineWidth = units.MapX(kOnlineW);
  m_status = new QLabel(m_client);
  m_status->setObjectName(QString::number(IDC_STATUS));
  m_status->setGeometry(line.adjusted(0, 0, -onlineWidth, 0));
  m_statusOnline = new QLabel(m_client);
  m_statusOnline->setObjectName(QString::number(IDC_STATUS_ONLINE));
  m_statusOnline->setGeometry(line.adjusted(line.width() - onlineWidth, 0, 0, 0));
  m_statusOnline->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  m_status->setAccessibleName(QString::fromStdString(LoadString(IDS_A11Y_STATUS)));
  m_baseSize.setHeight(line.bottom() + 1 + units.MapY(2));
}

void CVELADlg::RecordArrangement() {
  m_baseGeometry.clear();
  for (QWidget *child : m_client->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
    m_baseGeometry.insert(child, child->geometry());
  m_client->setMinimumSize(m_baseSize);
  m_client->resize(m_client->size().expandedTo(m_baseSize));
  m_client->installEventFilter(this);
  Relayout();
}

void CVELADlg::FitToScreen() {
  QSize smallest = m_baseSize;
  QSize wanted = m_baseSize;
  const int width = SettingsStore().GetInt(kSection, kWidthKey, 0);
  const int height = SettingsStore().GetInt(kSection, kHeightKey, 0);
  if (width > 0 && height > 0)
    wanted = wanted.expandedTo(QSize(width, height));
  if (const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
    // The frame around the client takes its part of the screen too.
    const QSize room = screen->availableSize() - (frameGeometry().size() - geometry().size());
    smallest = smallest.boundedTo(room);
    wanted = wanted.boundedTo(room);
  }
  setMinimumSize(smallest);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  resize(wanted);
  if (SettingsStore().GetInt(kSection, kMaximizedKey, 0) != 0)
    setWindowState(windowState() | Qt::WindowMaximized);
}

void CVELADlg::SaveWindowSize() {
  const bool maximized = isMaximized();
  SettingsStore().SetInt(kSection, kMaximizedKey, maximized ? 1 : 0);
  const QSize size = maximized ? normalGeometry().size() : this->size();
  if (size.isValid()) {
    SettingsStore().SetInt(kSection, kWidthKey, size.width());
    SettingsStore().SetInt(kSection, kHeightKey, size.height());
  }
}

void CVELADlg::Relayout() {
  const int dx = std::max(0, m_client->width() - m_baseSize.width());
  const int dy = std::max(0, m_client->height() - m_baseSize.height());
  for (auto it = m_baseGeometry.cbegin(); it != m_baseGeometry.cend(); ++it) {
    QWidget *control = it.key();
    QRect place = it.value();
    const int id = control->objectName().toInt();
    if (id == IDC_FUNCTION_BLOCK || id == IDC_PARAMETER_LIST) {
      place.adjust(0, 0, dx, dy);
    } else if (id == IDC_UTILITY_LABEL || std::find(kUtilityButtons.begin(), kUtilityButtons.end(), id) != kUtilityButtons.end()) {
      place.translate(0, dy);
    } else if (id == IDC_LANGUAGE || id == IDC_STATUS_ONLINE) {
      place.translate(dx, dy * (id == IDC_STATUS_ONLINE));
    } else if (id == IDC_STATUS) {
      place.translate(0, dy);
      place.setWidth(place.width() + dx);
    } else if (qobject_cast<CMeterCtrl *>(control)) {
      place.setHeight(place.height() + dy);
    }
    if (control->geometry() != place)
      control->setGeometry(place);
  }
  if (m_graphPanel)
    m_graphPanel->setGeometry(rect());
}

bool CVELADlg::eventFilter(QObject *watched, QEvent *event) {
  if (watched == m_client && event->type() == QEvent::Resize)
    Relayout();
  return QDialog::eventFilter(watched, event);
}

void CVELADlg::resizeEvent(QResizeEvent *event) {
  QDialog::resizeEvent(event);
  if (m_graphPanel)
    m_graphPanel->setGeometry(rect());
}
