// Dialog templates kept as data: every window the program builds from a
// template is described here once, in dialog units, with the control ids the
// code and the tests address. The toolkit layer turns a template into widgets.
#pragma once

#include <cstddef>
#include <span>
#include <string>

// Template ids.
inline constexpr int IDD_VELA_DIALOG = 102;
inline constexpr int IDD_COM_DIALOG = 130;
inline constexpr int IDD_METER_CTRL = 131;
inline constexpr int IDD_INPUT_DIALOG = 133;
inline constexpr int IDD_GRAPH_CTRL = 134;
inline constexpr int IDD_INPUT_CALIB_DIALOG = 136;
inline constexpr int IDD_OUTPUT_CALIB_DIALOG = 137;
inline constexpr int IDD_TABLE_FILE_DIALOG = 138;
inline constexpr int IDD_COMPARE_DIALOG = 139;
inline constexpr int IDD_LOAD_DIALOG = 140;
inline constexpr int IDD_LOOP_DIALOG = 141;

// Id of a static control the code never addresses.
inline constexpr int IDC_STATIC = -1;

enum class ControlKind {
  PushButton,
  DefPushButton,        // the dialog's default button (Enter)
  TwoStateButton,       // push button that stays pressed or released, toggling on each click
  ManualTwoStateButton, // looks the same, but only the code changes its state
  RadioButton,          // automatic: checking one unchecks its siblings
  CheckBox,
  Static, // text label
  GroupBox,
  Edit,
  DropDownList, // combo box without free text
  ListView,     // report style: rows and columns under a header
  ProgressBar,
  UpDown,      // steps the number in its buddy edit box
  Placeholder, // an area that the code fills with its own window
};

// Control style flags (combinable).
enum : unsigned {
  CS_HIDDEN = 0x0001,
  CS_DISABLED = 0x0002,
  CS_READONLY = 0x0004,     // edit
  CS_CENTER = 0x0008,       // static, edit
  CS_RIGHT = 0x0010,        // static, edit
  CS_MULTILINE = 0x0020,    // edit: several lines; button: caption wraps
  CS_VSCROLL = 0x0040,      // drop-down list with a scroll bar
  CS_SINGLESEL = 0x0080,    // list view
  CS_NOSORTHEADER = 0x0100, // list view: header is not a sort button
  CS_ALIGNRIGHT = 0x0200,   // up-down: sits on the right edge of its buddy
};

// Dialog style flags.
enum : unsigned {
  DS_CAPTION = 0x01, // title bar
  DS_SYSMENU = 0x02, // close box
  DS_MODALFRAME = 0x04,
  DS_CHILD = 0x08, // a panel inside another window, no frame of its own
};

struct ControlTemplate {
  int id;
  ControlKind kind;
  const char *caption; // UTF-8; nullptr for none
  int captionId;       // string id used instead of caption when not 0
  int x, y, w, h;      // dialog units
  unsigned style;
  int buddyId; // up-down: the edit box it steps; 0 otherwise
};

struct DialogTemplate {
  int id;
  const char *caption; // UTF-8; nullptr for none
  int captionId;       // string id used instead of caption when not 0
  int w, h;            // client size in dialog units
  const char *fontName;
  int fontPointSize;
  unsigned style;
  std::span<const ControlTemplate> controls;

  const ControlTemplate *Control(int controlId) const;
};

// The template of the id, or nullptr.
const DialogTemplate *FindDialogTemplate(int templateId);
// Every template, in id order.
std::span<const DialogTemplate> DialogTemplates();

// A translated caption supplied by a language library. Control id 0 stands
// for the window's own caption.
struct TemplateCaption {
  int templateId;
  int controlId;
  const char *text; // UTF-8
};

struct TemplateCaptionTable {
  const TemplateCaption *entries;
  std::size_t count;
};

// Selects the translated captions; nullptr goes back to the built-in ones.
void SetCurrentTemplateCaptions(const TemplateCaptionTable *table);
const TemplateCaptionTable *CurrentTemplateCaptions();

// The caption to show for the dialog or control: the current translation if
// there is one, else the string of captionId, else the template's text.
std::string DialogCaption(const DialogTemplate &dlg);
std::string ControlCaption(const DialogTemplate &dlg, const ControlTemplate &ctl);
