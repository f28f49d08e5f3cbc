#include "core/resources/dialog_templates.h"

#include "core/resources/string_ids.h"
#include "core/resources/strings.h"

#include <algorithm>
#include <atomic>
#include <iterator>

namespace {

using K = ControlKind;
constexpr const char *kShellDlg = "MS Shell Dlg";
constexpr unsigned kModal = DS_MODALFRAME | DS_CAPTION | DS_SYSMENU;

// Main window.
constexpr ControlTemplate kVelaDialog[] = {
    {1028, K::TwoStateButton, "Connect", 0, 4, 4, 42, 24, 0, 0},
    {1029, K::PushButton, "Open File", 0, 53, 4, 60, 24, 0, 0},
    {1030, K::PushButton, "Save File", 0, 115, 4, 60, 24, 0, 0},
    {1036, K::PushButton, "Compare", 0, 183, 4, 39, 24, 0, 0},
    {1041, K::PushButton, "Upload", 0, 231, 4, 50, 24, 0, 0},
    {1042, K::PushButton, "Download", 0, 283, 4, 50, 24, 0, 0},
    {1040, K::PushButton, "Japanese", 0, 439, 4, 39, 24, 0, 0},
    {1059, K::GroupBox, "Function Block", 0, 5, 32, 474, 269, 0, 0},
    {1034, K::Placeholder, "METER_BASE", 0, 12, 43, 273, 252, CS_HIDDEN, 0},
    {1060, K::Static, "Parameter", 0, 290, 43, 77, 8, 0, 0},
    {1006, K::ListView, nullptr, 0, 290, 53, 182, 186, CS_SINGLESEL | CS_NOSORTHEADER, 0},
    {1061, K::Static, "Utility", 0, 290, 242, 77, 8, 0, 0},
    {1031, K::PushButton, "Button1", 0, 290, 251, 91, 15, 0, 0},
    {1032, K::PushButton, "Button1", 0, 381, 251, 91, 15, 0, 0},
    {1033, K::PushButton, "Button1", 0, 290, 266, 91, 15, 0, 0},
    {1037, K::PushButton, "Button1", 0, 381, 266, 91, 15, 0, 0},
    {1038, K::PushButton, "Button1", 0, 290, 281, 91, 15, 0, 0},
    {1039, K::PushButton, "Button1", 0, 381, 281, 91, 15, 0, 0},
};

// COM port choice.
constexpr ControlTemplate kComDialog[] = {
    {1022, K::DropDownList, nullptr, 0, 16, 12, 218, 113, CS_VSCROLL, 0},
    {1, K::DefPushButton, "OK", 0, 246, 7, 50, 14, 0, 0},
    {2, K::PushButton, "Cancel", 0, 246, 24, 50, 14, 0, 0},
};

// One function-block panel: selector, meter, value, unit.
constexpr ControlTemplate kMeterCtrl[] = {
    {1027, K::ManualTwoStateButton, nullptr, 0, 0, 0, 39, 24, CS_MULTILINE, 0},
    {1037, K::Placeholder, nullptr, 0, 0, 25, 39, 201, 0, 0},
    {1025, K::Edit, nullptr, 0, 0, 227, 39, 12, CS_READONLY | CS_CENTER, 0},
    {1026, K::Static, nullptr, 0, 0, 240, 39, 12, CS_CENTER, 0},
};

// Value prompt.
constexpr ControlTemplate kInputDialog[] = {
    {1025, K::Edit, nullptr, 0, 7, 32, 168, 14, 0, 0},
    {1, K::DefPushButton, "OK", 0, 184, 7, 50, 14, 0, 0},
    {2, K::PushButton, "Cancel", 0, 184, 24, 50, 14, 0, 0},
    {1035, K::Static, "Please input value", 0, 7, 7, 166, 21, 0, 0},
};

// Trend graph panel.
constexpr ControlTemplate kGraphCtrl[] = {
    {1038, K::Placeholder, nullptr, 0, 5, 5, 471, 277, 0, 0},
    {1042, K::PushButton, "Print", 0, 5, 288, 50, 14, CS_DISABLED, 0},
    {1039, K::PushButton, "START", 0, 308, 288, 50, 14, 0, 0},
    {1040, K::PushButton, "STOP", 0, 361, 288, 50, 14, CS_DISABLED, 0},
    {1041, K::PushButton, "CLOSE", 0, 428, 288, 50, 14, 0, 0},
    // Beside Print and enabled with it: the chart as a picture, the recording as numbers.
    {1043, K::PushButton, nullptr, IDS_GRAPH_SAVE, 58, 288, 50, 14, CS_DISABLED, 0},
};

// Input calibration; its texts exist in Japanese only.
constexpr ControlTemplate kInputCalibDialog[] = {
    {IDC_STATIC, K::Static,
     "機器に0%, 100%を入力した状態で、それぞれの設定ボタンを押してください。"
     "入力のADデータが校正データとして保存されます。"
     "また、そのときの入力の測定値を入力することによって、より高精度な校正を行えます。",
     0, 5, 5, 390, 17, 0, 0},
    {IDC_STATIC, K::Static, "1. 入力タイプを設定します", 0, 20, 35, 84, 8, 0, 0},
    {1042, K::DropDownList, nullptr, 0, 115, 33, 103, 81, CS_VSCROLL, 0},
    {IDC_STATIC, K::Static, "2. 機器に0%を入力して測定値を入力して設定ボタンを押します", 0, 20, 55, 202, 8, 0,
     0},
    {1043, K::Edit, nullptr, 0, 240, 53, 50, 14, 0, 0},
    {1058, K::Edit, nullptr, 0, 295, 53, 50, 14, CS_READONLY | CS_RIGHT, 0},
    {1044, K::PushButton, "設定", 0, 350, 53, 50, 14, CS_DISABLED, 0},
    {IDC_STATIC, K::Static, "3. 機器に100%を入力して測定値を入力して設定ボタンを押します", 0, 20, 75, 210, 8,
     0, 0},
    {1045, K::Edit, nullptr, 0, 240, 73, 50, 14, 0, 0},
    {1059, K::Edit, nullptr, 0, 295, 73, 50, 14, CS_READONLY | CS_RIGHT, 0},
    {1046, K::PushButton, "設定", 0, 350, 73, 50, 14, CS_DISABLED, 0},
    {IDC_STATIC, K::Static, "4. 別の入力タイプも校正する場合は機器の入力接続を変更し、1の手順から操作します",
     0, 20, 95, 276, 8, 0, 0},
    {2, K::PushButton, "閉じる", 0, 350, 115, 50, 14, 0, 0},
};

// Output calibration; its texts exist in Japanese only.
constexpr ControlTemplate kOutputCalibDialog[] = {
    {IDC_STATIC, K::Static,
     "DA値を調整して機器の出力を0%, 100%になるようにして、それぞれの設定ボタンを押してください。"
     "出力のDAデータが校正データとして保存されます。"
     "また、そのときの出力の測定値を入力することによって、より高精度な校正を行えます。",
     0, 5, 5, 391, 17, 0, 0},
    {IDC_STATIC, K::Static, "1. 出力タイプを設定します", 0, 20, 35, 84, 8, 0, 0},
    {1047, K::DropDownList, nullptr, 0, 115, 33, 103, 86, CS_VSCROLL, 0},
    {IDC_STATIC, K::Static,
     "2. "
     "調整開始ボタンを押し、DA値を調整して機器の出力が0%になるようにし、測定値を入力して設定ボタンを押します",
     0, 20, 55, 364, 8, 0, 0},
    {1056, K::PushButton, "調整開始", 0, 180, 65, 50, 14, CS_DISABLED, 0},
    {1048, K::Edit, nullptr, 0, 235, 65, 50, 14, CS_RIGHT, 0},
    {1049, K::UpDown, nullptr, 0, 279, 66, 11, 14, CS_ALIGNRIGHT, 1048},
    {1050, K::Edit, nullptr, 0, 290, 65, 50, 14, 0, 0},
    {1051, K::PushButton, "設定", 0, 345, 65, 50, 14, CS_DISABLED, 0},
    {IDC_STATIC, K::Static,
     "3. "
     "調整開始ボタンを押し、DA値を調整して機器の出力が100%"
     "になるようにし、測定値を入力して設定ボタンを押します",
     0, 20, 85, 372, 8, 0, 0},
    {1057, K::PushButton, "調整開始", 0, 180, 95, 50, 14, CS_DISABLED, 0},
    {1052, K::Edit, nullptr, 0, 235, 95, 50, 14, CS_RIGHT, 0},
    {1053, K::UpDown, nullptr, 0, 280, 95, 11, 14, 0, 1052},
    {1054, K::Edit, nullptr, 0, 290, 95, 50, 14, 0, 0},
    {1055, K::PushButton, "設定", 0, 345, 95, 50, 14, CS_DISABLED, 0},
    {IDC_STATIC, K::Static,
     "4. "
     "別の出力タイプも校正する場合は機器の電源を切り、ディップスイッチを設定して再度通電して1の手順から操作し"
     "ます",
     0, 20, 115, 374, 8, 0, 0},
    {2, K::PushButton, "閉じる", 0, 345, 135, 50, 14, 0, 0},
};

// User table.
constexpr ControlTemplate kTableFileDialog[] = {
    {1038, K::Placeholder, nullptr, 0, 5, 5, 276, 216, 0, 0},
    {1029, K::PushButton, "Open File", 0, 290, 5, 50, 14, 0, 0},
    {1030, K::PushButton, "Save File", 0, 290, 22, 50, 14, 0, 0},
    {1, K::DefPushButton, "OK", 0, 290, 192, 50, 14, 0, 0},
    {2, K::PushButton, "Cancel", 0, 290, 209, 50, 14, 0, 0},
};

// Compare results.
constexpr ControlTemplate kCompareDialog[] = {
    {2, K::PushButton, "Close", 0, 292, 278, 50, 14, 0, 0},
    {1062, K::ListView, nullptr, 0, 6, 6, 335, 267, CS_NOSORTHEADER, 0},
    {1035, K::Static, "###", 0, 6, 281, 226, 8, 0, 0},
    // Beside Close: the rows as a file for a commissioning record.
    {1063, K::PushButton, nullptr, IDS_COMPARE_SAVE_CSV, 238, 278, 50, 14, 0, 0},
};

// Whole-set transfer progress.
constexpr ControlTemplate kLoadDialog[] = {
    {1035, K::Static, "###", 0, 8, 12, 169, 8, CS_CENTER, 0},
    {1024, K::ProgressBar, nullptr, 0, 8, 42, 170, 14, 0, 0},
};

// Loop test output.
constexpr ControlTemplate kLoopDialog[] = {
    {1, K::DefPushButton, "OK", 0, 195, 7, 50, 14, 0, 0},
    {2, K::PushButton, "Cancel", 0, 195, 24, 50, 14, 0, 0},
    {1064, K::RadioButton, "Set output for current input value", 0, 10, 10, 176, 10, 0, 0},
    {1065, K::RadioButton, "Set output for specified value", 0, 10, 30, 111, 10, 0, 0},
    {1066, K::RadioButton, "Exit fixed output mode (normal state)", 0, 10, 50, 136, 10, 0, 0},
    {1067, K::Edit, nullptr, 0, 122, 28, 56, 14, 0, 0},
};

constexpr DialogTemplate kTemplates[] = {
    {IDD_VELA_DIALOG, "VELA", 0, 484, 308, kShellDlg, 8, kModal, kVelaDialog},
    {IDD_COM_DIALOG, "COM Port", 0, 303, 44, kShellDlg, 8, kModal, kComDialog},
    {IDD_METER_CTRL, nullptr, 0, 39, 252, kShellDlg, 8, DS_CHILD, kMeterCtrl},
    {IDD_INPUT_DIALOG, "Input value", 0, 242, 53, kShellDlg, 8, kModal, kInputDialog},
    {IDD_GRAPH_CTRL, nullptr, 0, 484, 307, kShellDlg, 8, DS_CHILD, kGraphCtrl},
    {IDD_INPUT_CALIB_DIALOG, "入力校正", 0, 405, 133, kShellDlg, 8, kModal, kInputCalibDialog},
    {IDD_OUTPUT_CALIB_DIALOG, "出力校正", 0, 400, 154, kShellDlg, 8, kModal, kOutputCalibDialog},
    {IDD_TABLE_FILE_DIALOG, "User Table", 0, 344, 226, kShellDlg, 8, kModal, kTableFileDialog},
    {IDD_COMPARE_DIALOG, "Compare Results", 0, 348, 297, kShellDlg, 8, kModal, kCompareDialog},
    // A transfer cannot be abandoned half-way, so the window has no close box.
    {IDD_LOAD_DIALOG, "Communicating", 0, 186, 63, kShellDlg, 8, DS_MODALFRAME | DS_CAPTION, kLoadDialog},
    {IDD_LOOP_DIALOG, "Loop Test Output", 0, 252, 70, kShellDlg, 8, kModal, kLoopDialog},
};

std::atomic<const TemplateCaptionTable *> g_captions{nullptr};

const char *FindCaption(int templateId, int controlId) {
  const TemplateCaptionTable *t = g_captions.load();
  if (!t)
    return nullptr;
  for (std::size_t i = 0; i < t->count; ++i)
    if (t->entries[i].templateId == templateId && t->entries[i].controlId == controlId)
      return t->entries[i].text;
  return nullptr;
}

std::string Resolve(const char *translated, int captionId, const char *text) {
  if (translated)
    return translated;
  if (captionId != 0)
    return LoadString(captionId);
  return text ? text : "";
}

} // namespace

const ControlTemplate *DialogTemplate::Control(int controlId) const {
  auto it = std::find_if(controls.begin(), controls.end(),
                         [controlId](const ControlTemplate &c) { return c.id == controlId; });
  return it == controls.end() ? nullptr : &*it;
}

const DialogTemplate *FindDialogTemplate(int templateId) {
  for (const DialogTemplate &t : kTemplates)
    if (t.id == templateId)
      return &t;
  return nullptr;
}

std::span<const DialogTemplate> DialogTemplates() { return kTemplates; }

void SetCurrentTemplateCaptions(const TemplateCaptionTable *table) { g_captions.store(table); }

const TemplateCaptionTable *CurrentTemplateCaptions() { return g_captions.load(); }

std::string DialogCaption(const DialogTemplate &dlg) {
  return Resolve(FindCaption(dlg.id, 0), dlg.captionId, dlg.caption);
}

std::string ControlCaption(const DialogTemplate &dlg, const ControlTemplate &ctl) {
  // Statics without an id cannot be told apart, so only addressed controls translate.
  const char *translated = ctl.id == IDC_STATIC ? nullptr : FindCaption(dlg.id, ctl.id);
  return Resolve(translated, ctl.captionId, ctl.caption);
}
