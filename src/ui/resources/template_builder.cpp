#include "ui/resources/template_builder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QQueue>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyleOptionButton>
#include <QTableWidget>
#include <cstdint>
#include <stdexcept>

namespace {

// Marks the spin box that stands for an up-down and its buddy edit box.
constexpr const char *kUpDownProperty = "velaUpDownId";

const DialogTemplate &TemplateOrThrow(int id) {
  const DialogTemplate *t = FindDialogTemplate(id);
  if (!t)
    throw std::invalid_argument("no dialog template " + std::to_string(id));
  return *t;
}

Qt::Alignment TextAlignment(unsigned style) {
  if (style & CS_CENTER)
    return Qt::AlignHCenter;
  if (style & CS_RIGHT)
    return Qt::AlignRight;
  return Qt::AlignLeft;
}

} // namespace

int MulDiv(int a, int b, int c) {
  std::int64_t n = static_cast<std::int64_t>(a) * b;
  std::int64_t half = c / 2;
  std::int64_t r = n >= 0 ? (n + half) / c : -((-n + half) / c);
  return static_cast<int>(r);
}

DialogBaseUnits DialogBaseUnits::FromFont(const QFont &font) {
  QFontMetrics fm(font);
  int letters = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(letters / 26 + 1) / 2, fm.height()};
}

int DialogBaseUnits::MapX(int x) const { return MulDiv(x, cx, 4); }

int DialogBaseUnits::MapY(int y) const { return MulDiv(y, cy, 8); }

QRect DialogBaseUnits::Map(int x, int y, int w, int h) const {
  return QRect(MapX(x), MapY(y), MapX(w), MapY(h));
}

CTemplateButton::CTemplateButton(QWidget *parent) : QPushButton(parent) {}

void CTemplateButton::SetWrap(bool wrap) {
  m_wrap = wrap;
  update();
}

void CTemplateButton::SetManual(bool manual) {
  m_manual = manual;
  if (manual)
    setCheckable(true);
}

void CTemplateButton::nextCheckState() {
  if (!m_manual)
    QPushButton::nextCheckState();
}

void CTemplateButton::paintEvent(QPaintEvent *event) {
  if (!m_wrap) {
    QPushButton::paintEvent(event);
    return;
  }
  // The style draws one line only: let it draw the button without its text,
  // then break the caption into the label area.
  QPainter p(this);
  QStyleOptionButton opt;
  initStyleOption(&opt);
  QString text = opt.text;
  opt.text.clear();
  style()->drawControl(QStyle::CE_PushButton, &opt, &p, this);
  QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
  if (isDown() || isChecked())
    area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &opt, this),
                   style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &opt, this));
  p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
  p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, text);
}

CTemplateBuilder::CTemplateBuilder(const DialogTemplate &tpl) : m_tpl(tpl) {}

CTemplateBuilder::CTemplateBuilder(int templateId) : m_tpl(TemplateOrThrow(templateId)) {}

CTemplateBuilder &CTemplateBuilder::Replace(int controlId, Factory factory) {
  m_factories[controlId] = std::move(factory);
  return *this;
}

QFont CTemplateBuilder::TemplateFont(const DialogTemplate &tpl) {
  // "MS Shell Dlg" is not a real face but the platform's dialog font; here
  // that is the application's own font, at the template's size.
  QFont font = QApplication::font();
  if (tpl.fontPointSize > 0)
    font.setPointSize(tpl.fontPointSize);
  return font;
}

void CTemplateBuilder::ApplyWindowStyle(QWidget *window, const DialogTemplate &tpl) {
  if (!window->isVisible()) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint;
    if (tpl.style & DS_CAPTION)
      flags |= Qt::WindowTitleHint;
    if (tpl.style & DS_SYSMENU)
      flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    window->setWindowFlags(flags);
  }
  if (tpl.caption || tpl.captionId)
    window->setWindowTitle(QString::fromStdString(DialogCaption(tpl)));
}

void CTemplateBuilder::ConfigureListView(QTableWidget *list, unsigned style) {
  list->setShowGrid(false);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode((style & CS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                : QAbstractItemView::ExtendedSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setSortingEnabled(false);
  list->setWordWrap(false);
  list->setTextElideMode(Qt::ElideRight);
  list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  list->verticalHeader()->hide();
  list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
  QHeaderView *header = list->horizontalHeader();
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setSectionsClickable(!(style & CS_NOSORTHEADER));
}

bool CTemplateBuilder::HasDefaultButton() const {
  for (const ControlTemplate &c : m_tpl.controls)
    if (c.kind == ControlKind::DefPushButton)
      return true;
  return false;
}

bool CTemplateBuilder::IsBuddy(int controlId) const {
  for (const ControlTemplate &c : m_tpl.controls)
    if (c.kind == ControlKind::UpDown && c.buddyId == controlId)
      return true;
  return false;
}

QWidget *CTemplateBuilder::CreateDefault(QWidget *parent, const ControlTemplate &ctl) const {
  switch (ctl.kind) {
  case ControlKind::PushButton:
  case ControlKind::DefPushButton:
  case ControlKind::TwoStateButton:
  case ControlKind::ManualTwoStateButton:
    return new CTemplateButton(parent);
  case ControlKind::RadioButton:
    return new QRadioButton(parent);
  case ControlKind::CheckBox:
    return new QCheckBox(parent);
  case ControlKind::Static:
    return new QLabel(parent);
  case ControlKind::GroupBox:
    return new QGroupBox(parent);
  case ControlKind::Edit:
    // The edit box an up-down steps becomes one spin box with it.
    if (IsBuddy(ctl.id))
      return new QSpinBox(parent);
    if (ctl.style & CS_MULTILINE)
      return new QPlainTextEdit(parent);
    return new QLineEdit(parent);
  case ControlKind::DropDownList:
    return new QComboBox(parent);
  case ControlKind::ListView:
    return new QTableWidget(parent);
  case ControlKind::ProgressBar:
    return new QProgressBar(parent);
  case ControlKind::UpDown:
    // With a buddy it is part of the buddy's spin box; alone it is a spin box.
    return ctl.buddyId ? nullptr : new QSpinBox(parent);
  case ControlKind::Placeholder:
    return new QWidget(parent);
  }
  return nullptr;
}

void CTemplateBuilder::Configure(QWidget *w, const ControlTemplate &ctl, const DialogBaseUnits &units) const {
  const QString caption = QString::fromStdString(ControlCaption(m_tpl, ctl));
  const unsigned style = ctl.style;
  w->setObjectName(QString::number(ctl.id));
  QRect rect = units.Map(ctl.x, ctl.y, ctl.w, ctl.h);

  if (auto *button = qobject_cast<QPushButton *>(w)) {
    button->setText(caption);
    // Only a template with a default button lets a focused button stand in
    // for it; elsewhere the toolkit would promote some button on its own.
    button->setAutoDefault(HasDefaultButton());
    if (ctl.kind == ControlKind::DefPushButton)
      button->setDefault(true);
    if (ctl.kind == ControlKind::TwoStateButton)
      button->setCheckable(true);
    if (auto *tb = qobject_cast<CTemplateButton *>(w)) {
      tb->SetWrap(style & CS_MULTILINE);
      if (ctl.kind == ControlKind::ManualTwoStateButton)
        tb->SetManual(true);
    }
  } else if (auto *check = qobject_cast<QAbstractButton *>(w)) {
    check->setText(caption);
  } else if (auto *label = qobject_cast<QLabel *>(w)) {
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setWordWrap(true);
    label->setAlignment(TextAlignment(style) | Qt::AlignTop);
  } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
    group->setTitle(caption);
    // Only a frame: the controls inside are its siblings and take the clicks.
    group->setAttribute(Qt::WA_TransparentForMouseEvents);
  } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
    edit->setText(caption);
    edit->setReadOnly(style & CS_READONLY);
    edit->setAlignment(TextAlignment(style) | Qt::AlignVCenter);
  } else if (auto *text = qobject_cast<QPlainTextEdit *>(w)) {
    text->setPlainText(caption);
    text->setReadOnly(style & CS_READONLY);
  } else if (auto *spin = qobject_cast<QAbstractSpinBox *>(w)) {
    spin->setAlignment(TextAlignment(style) | Qt::AlignVCenter);
    spin->setReadOnly(style & CS_READONLY);
    spin->setGroupSeparatorShown(false);
    for (const ControlTemplate &c : m_tpl.controls)
      if (c.kind == ControlKind::UpDown && c.buddyId == ctl.id) {
        spin->setProperty(kUpDownProperty, c.id);
        // The arrows sit inside the buddy's rectangle, as an up-down aligned
        // to its buddy does; the buddy's own size is the one that counts.
        if (c.style & CS_DISABLED)
          spin->setEnabled(false);
      }
  } else if (auto *combo = qobject_cast<QComboBox *>(w)) {
    combo->setEditable(false);
    // The template's height is that of the open list; the closed box is one line.
    int closed = combo->sizeHint().height();
    int item = std::max(1, combo->fontMetrics().height());
    combo->setMaxVisibleItems(std::max(1, (rect.height() - closed) / item));
    rect.setHeight(closed);
  } else if (auto *list = qobject_cast<QTableWidget *>(w)) {
    ConfigureListView(list, style);
  } else if (auto *progress = qobject_cast<QProgressBar *>(w)) {
    progress->setRange(0, 100);
    progress->setValue(0);
    progress->setTextVisible(false);
  } else if (!caption.isEmpty()) {
    w->setAccessibleName(caption);
  }

  w->setGeometry(rect);
  if (style & CS_DISABLED)
    w->setEnabled(false);
  w->setVisible(!(style & CS_HIDDEN));
}

void CTemplateBuilder::Build(QWidget *host) const {
  QFont font = TemplateFont(m_tpl);
  host->setFont(font);
  DialogBaseUnits units = DialogBaseUnits::FromFont(font);
  QSize client(units.MapX(m_tpl.w), units.MapY(m_tpl.h));
  if (host->isWindow()) {
    ApplyWindowStyle(host, m_tpl);
    host->setFixedSize(client);
  } else {
    host->resize(client);
  }

  QList<QGroupBox *> groups;
  for (const ControlTemplate &ctl : m_tpl.controls) {
    auto it = m_factories.find(ctl.id);
    QWidget *w = it != m_factories.end() ? it->second(host, ctl) : CreateDefault(host, ctl);
    if (!w)
      continue;
    if (w->parentWidget() != host)
      w->setParent(host);
    Configure(w, ctl, units);
    if (auto *g = qobject_cast<QGroupBox *>(w))
      groups.append(g);
  }
  // A frame drawn over the controls it surrounds would hide them.
  for (QGroupBox *g : groups)
    g->lower();
}

QWidget *FindControl(const QWidget *root, int id) {
  if (!root)
    return nullptr;
  const QString name = QString::number(id);
  QQueue<const QWidget *> queue;
  queue.enqueue(root);
  while (!queue.isEmpty()) {
    const QWidget *w = queue.dequeue();
    for (QObject *o : w->children()) {
      auto *child = qobject_cast<QWidget *>(o);
      if (!child)
        continue;
      if (child->objectName() == name)
        return child;
      QVariant upDown = child->property(kUpDownProperty);
      if (upDown.isValid() && upDown.toInt() == id)
        return child;
    }
    for (QObject *o : w->children())
      if (auto *child = qobject_cast<QWidget *>(o))
        queue.enqueue(child);
  }
  return nullptr;
}
