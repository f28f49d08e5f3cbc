// Turns a dialog template into Qt widgets. Positions and sizes are converted
// from dialog units with the template's font, the way the dialog manager of
// the original platform does it, so that every window keeps its proportions
// whatever font the system supplies. Every control's objectName is its id.
#pragma once

#include "core/resources/dialog_templates.h"

#include <QFont>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>

class QTableWidget;

// Pixels per 4 horizontal and per 8 vertical dialog units.
struct DialogBaseUnits {
  int cx = 0; // average width of the 52 Latin letters
  int cy = 0; // height of a line of text

  static DialogBaseUnits FromFont(const QFont &font);

  int MapX(int x) const;
  int MapY(int y) const;
  QRect Map(int x, int y, int w, int h) const;
};

// Integer a*b/c rounded half away from zero.
int MulDiv(int a, int b, int c);

class CTemplateBuilder {
public:
  // Makes the widget of one control, a child of parent. The builder then
  // gives it its id, place, size and state, and the kind's usual settings
  // when it is of the kind's widget class (a list view made here as a
  // subclass of QTableWidget is styled like any other list view).
  using Factory = std::function<QWidget *(QWidget *parent, const ControlTemplate &ctl)>;

  explicit CTemplateBuilder(const DialogTemplate &tpl);
  // The template of the id; it must exist.
  explicit CTemplateBuilder(int templateId);

  // Lets the caller make the control of this id itself.
  CTemplateBuilder &Replace(int controlId, Factory factory);

  // Creates every control as a child of host, sets host's font and size
  // (fixed for a window) and, for a window, its title and frame.
  void Build(QWidget *host) const;

  const DialogTemplate &Template() const { return m_tpl; }

  // The font the template asks for, as this system can provide it.
  static QFont TemplateFont(const DialogTemplate &tpl);
  // Title and frame buttons of a window built from the template.
  static void ApplyWindowStyle(QWidget *window, const DialogTemplate &tpl);
  // The settings a list view of the template gets.
  static void ConfigureListView(QTableWidget *list, unsigned style);

private:
  QWidget *CreateDefault(QWidget *parent, const ControlTemplate &ctl) const;
  void Configure(QWidget *w, const ControlTemplate &ctl, const DialogBaseUnits &units) const;
  bool IsBuddy(int controlId) const;
  bool HasDefaultButton() const;

  const DialogTemplate &m_tpl;
  std::map<int, Factory> m_factories;
};

// The push button of the templates: optionally wraps its caption over
// several lines, and optionally keeps its pressed state until the code
// changes it (a click then only reports).
class CTemplateButton : public QPushButton {
  Q_OBJECT
public:
  explicit CTemplateButton(QWidget *parent = nullptr);

  void SetWrap(bool wrap);
  bool Wrap() const { return m_wrap; }
  // A manual button is checkable, but a click leaves its state alone.
  void SetManual(bool manual);
  bool Manual() const { return m_manual; }

protected:
  void nextCheckState() override;
  void paintEvent(QPaintEvent *event) override;

private:
  bool m_wrap = false;
  bool m_manual = false;
};

// The control of the id below root, nearest to root first; an up-down's id
// finds the spin box that carries it. nullptr when there is none.
QWidget *FindControl(const QWidget *root, int id);

template <class T> T *FindControl(const QWidget *root, int id) {
  return qobject_cast<T *>(FindControl(root, id));
}
