// Every dialog template as the instrument documentation draws it: size,
// caption and each control's id, kind, text, place and state. Kept here by
// hand so that an accidental edit of the data shows up as a difference.
#include "core/resources/dialog_templates.h"
#include "core/resources/strings.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using K = ControlKind;

struct Dlg {
  int id;
  const char *caption;
  int w, h;
  unsigned style;
  std::size_t controls;
};

const std::vector<Dlg> kDialogs = {
    {102, "VELA", 484, 308, DS_MODALFRAME | DS_CAPTION | DS_SYSMENU, 18},
    {130, "COM Port", 303, 44, DS_MODALFRAME | DS_CAPTION | DS_SYSMENU, 3},
    {131, "", 39, 252, DS_CHILD, 4},
    {133, "Input value", 242, 53, DS_MODALFRAME | DS_CAPTION | DS_SYSMENU, 4},
    {134, "", 484, 307, DS_CHILD, 6},
    {136, "入力校正", 405, 133, DS_MODALFRAME | DS_CAPTION | DS_SYSMENU, 13},
    {137, "出力校正", 400, 154, DS_MODALFRAME | DS_CAPTION | DS_SYSMENU, 17},
    {138, "User Table", 344, 226, DS_MODALFRAME | DS_CAPTION | DS_SYSMENU, 5},
    {139, "Compare Results", 348, 297, DS_MODALFRAME | DS_CAPTION | DS_SYSMENU, 4},
    {140, "Communicating", 186, 63, DS_MODALFRAME | DS_CAPTION, 2},
    {141, "Loop Test Output", 252, 70, DS_MODALFRAME | DS_CAPTION | DS_SYSMENU, 6},
};

struct Ctl {
  int tpl;
  int id;
  K kind;
  const char *caption;
  int x, y, w, h;
  unsigned style;
};

const std::vector<Ctl> kControls = {
    {102, 1028, K::TwoStateButton, "Connect", 4, 4, 42, 24, 0},
    {102, 1029, K::PushButton, "Open File", 53, 4, 60, 24, 0},
    {102, 1030, K::PushButton, "Save File", 115, 4, 60, 24, 0},
    {102, 1036, K::PushButton, "Compare", 183, 4, 39, 24, 0},
    {102, 1041, K::PushButton, "Upload", 231, 4, 50, 24, 0},
    {102, 1042, K::PushButton, "Download", 283, 4, 50, 24, 0},
    {102, 1040, K::PushButton, "Japanese", 439, 4, 39, 24, 0},
    {102, 1059, K::GroupBox, "Function Block", 5, 32, 474, 269, 0},
    {102, 1034, K::Placeholder, "METER_BASE", 12, 43, 273, 252, CS_HIDDEN},
    {102, 1060, K::Static, "Parameter", 290, 43, 77, 8, 0},
    {102, 1006, K::ListView, "", 290, 53, 182, 186, CS_SINGLESEL | CS_NOSORTHEADER},
    {102, 1061, K::Static, "Utility", 290, 242, 77, 8, 0},
    {102, 1031, K::PushButton, "Button1", 290, 251, 91, 15, 0},
    {102, 1032, K::PushButton, "Button1", 381, 251, 91, 15, 0},
    {102, 1033, K::PushButton, "Button1", 290, 266, 91, 15, 0},
    {102, 1037, K::PushButton, "Button1", 381, 266, 91, 15, 0},
    {102, 1038, K::PushButton, "Button1", 290, 281, 91, 15, 0},
    {102, 1039, K::PushButton, "Button1", 381, 281, 91, 15, 0},

    {130, 1022, K::DropDownList, "", 16, 12, 218, 113, CS_VSCROLL},
    {130, 1, K::DefPushButton, "OK", 246, 7, 50, 14, 0},
    {130, 2, K::PushButton, "Cancel", 246, 24, 50, 14, 0},

    {131, 1027, K::ManualTwoStateButton, "", 0, 0, 39, 24, CS_MULTILINE},
    {131, 1037, K::Placeholder, "", 0, 25, 39, 201, 0},
    {131, 1025, K::Edit, "", 0, 227, 39, 12, CS_READONLY | CS_CENTER},
    {131, 1026, K::Static, "", 0, 240, 39, 12, CS_CENTER},

    {133, 1025, K::Edit, "", 7, 32, 168, 14, 0},
    {133, 1, K::DefPushButton, "OK", 184, 7, 50, 14, 0},
    {133, 2, K::PushButton, "Cancel", 184, 24, 50, 14, 0},
    {133, 1035, K::Static, "Please input value", 7, 7, 166, 21, 0},

    {134, 1038, K::Placeholder, "", 5, 5, 471, 277, 0},
    {134, 1042, K::PushButton, "Print", 5, 288, 50, 14, CS_DISABLED},
    {134, 1039, K::PushButton, "START", 308, 288, 50, 14, 0},
    {134, 1040, K::PushButton, "STOP", 361, 288, 50, 14, CS_DISABLED},
    {134, 1041, K::PushButton, "CLOSE", 428, 288, 50, 14, 0},
    {134, 1043, K::PushButton, "Save", 58, 288, 50, 14, CS_DISABLED},

    {136, 1042, K::DropDownList, "", 115, 33, 103, 81, CS_VSCROLL},
    {136, 1043, K::Edit, "", 240, 53, 50, 14, 0},
    {136, 1058, K::Edit, "", 295, 53, 50, 14, CS_READONLY | CS_RIGHT},
    {136, 1044, K::PushButton, "設定", 350, 53, 50, 14, CS_DISABLED},
    {136, 1045, K::Edit, "", 240, 73, 50, 14, 0},
    {136, 1059, K::Edit, "", 295, 73, 50, 14, CS_READONLY | CS_RIGHT},
    {136, 1046, K::PushButton, "設定", 350, 73, 50, 14, CS_DISABLED},
    {136, 2, K::PushButton, "閉じる", 350, 115, 50, 14, 0},

    {137, 1047, K::DropDownList, "", 115, 33, 103, 86, CS_VSCROLL},
    {137, 1056, K::PushButton, "調整開始", 180, 65, 50, 14, CS_DISABLED},
    {137, 1048, K::Edit, "", 235, 65, 50, 14, CS_RIGHT},
    {137, 1049, K::UpDown, "", 279, 66, 11, 14, CS_ALIGNRIGHT},
    {137, 1050, K::Edit, "", 290, 65, 50, 14, 0},
    {137, 1051, K::PushButton, "設定", 345, 65, 50, 14, CS_DISABLED},
    {137, 1057, K::PushButton, "調整開始", 180, 95, 50, 14, CS_DISABLED},
    {137, 1052, K::Edit, "", 235, 95, 50, 14, CS_RIGHT},
    {137, 1053, K::UpDown, "", 280, 95, 11, 14, 0},
    {137, 1054, K::Edit, "", 290, 95, 50, 14, 0},
    {137, 1055, K::PushButton, "設定", 345, 95, 50, 14, CS_DISABLED},
    {137, 2, K::PushButton, "閉じる", 345, 135, 50, 14, 0},

    {138, 1038, K::Placeholder, "", 5, 5, 276, 216, 0},
    {138, 1029, K::PushButton, "Open File", 290, 5, 50, 14, 0},
    {138, 1030, K::PushButton, "Save File", 290, 22, 50, 14, 0},
    {138, 1, K::DefPushButton, "OK", 290, 192, 50, 14, 0},
    {138, 2, K::PushButton, "Cancel", 290, 209, 50, 14, 0},

    {139, 2, K::PushButton, "Close", 292, 278, 50, 14, 0},
    {139, 1062, K::ListView, "", 6, 6, 335, 267, CS_NOSORTHEADER},
    {139, 1035, K::Static, "###", 6, 281, 226, 8, 0},
    {139, 1063, K::PushButton, "Save CSV", 238, 278, 50, 14, 0},

    {140, 1035, K::Static, "###", 8, 12, 169, 8, CS_CENTER},
    {140, 1024, K::ProgressBar, "", 8, 42, 170, 14, 0},

    {141, 1, K::DefPushButton, "OK", 195, 7, 50, 14, 0},
    {141, 2, K::PushButton, "Cancel", 195, 24, 50, 14, 0},
    {141, 1064, K::RadioButton, "Set output for current input value", 10, 10, 176, 10, 0},
    {141, 1065, K::RadioButton, "Set output for specified value", 10, 30, 111, 10, 0},
    {141, 1066, K::RadioButton, "Exit fixed output mode (normal state)", 10, 50, 136, 10, 0},
    {141, 1067, K::Edit, "", 122, 28, 56, 14, 0},
};

// The statics without an id of the two calibration dialogs, in order.
struct Text {
  int tpl;
  const char *text;
  int x, y, w, h;
};

const std::vector<Text> kStatics = {
    {136,
     "機器に0%, "
     "100%"
     "を入力した状態で、それぞれの設定ボタンを押してください。入力のADデータが校正データとして保存されます。"
     "また、そのときの入力の測定値を入力することによって、より高精度な校正を行えます。",
     5, 5, 390, 17},
    {136, "1. 入力タイプを設定します", 20, 35, 84, 8},
    {136, "2. 機器に0%を入力して測定値を入力して設定ボタンを押します", 20, 55, 202, 8},
    {136, "3. 機器に100%を入力して測定値を入力して設定ボタンを押します", 20, 75, 210, 8},
    {136, "4. 別の入力タイプも校正する場合は機器の入力接続を変更し、1の手順から操作します", 20, 95, 276, 8},
    {137,
     "DA値を調整して機器の出力を0%, "
     "100%"
     "になるようにして、それぞれの設定ボタンを押してください。出力のDAデータが校正データとして保存されます。"
     "また、そのときの出力の測定値を入力することによって、より高精度な校正を行えます。",
     5, 5, 391, 17},
    {137, "1. 出力タイプを設定します", 20, 35, 84, 8},
    {137,
     "2. "
     "調整開始ボタンを押し、DA値を調整して機器の出力が0%になるようにし、測定値を入力して設定ボタンを押します",
     20, 55, 364, 8},
    {137,
     "3. "
     "調整開始ボタンを押し、DA値を調整して機器の出力が100%"
     "になるようにし、測定値を入力して設定ボタンを押します",
     20, 85, 372, 8},
    {137,
     "4. "
     "別の出力タイプも校正する場合は機器の電源を切り、ディップスイッチを設定して再度通電して1の手順から操作し"
     "ます",
     20, 115, 374, 8},
};

TEST(DialogTemplates, SizesCaptionsAndFonts) {
  ASSERT_EQ(DialogTemplates().size(), kDialogs.size());
  for (const Dlg &d : kDialogs) {
    const DialogTemplate *t = FindDialogTemplate(d.id);
    ASSERT_NE(t, nullptr) << d.id;
    EXPECT_EQ(DialogCaption(*t), d.caption) << d.id;
    EXPECT_EQ(t->w, d.w) << d.id;
    EXPECT_EQ(t->h, d.h) << d.id;
    EXPECT_EQ(t->style, d.style) << d.id;
    EXPECT_STREQ(t->fontName, "MS Shell Dlg") << d.id;
    EXPECT_EQ(t->fontPointSize, 8) << d.id;
    EXPECT_EQ(t->controls.size(), d.controls) << d.id;
  }
  EXPECT_EQ(FindDialogTemplate(999), nullptr);
}

TEST(DialogTemplates, EveryAddressedControl) {
  for (const Ctl &c : kControls) {
    const DialogTemplate &t = *FindDialogTemplate(c.tpl);
    const ControlTemplate *ctl = t.Control(c.id);
    ASSERT_NE(ctl, nullptr) << c.tpl << "/" << c.id;
    EXPECT_EQ(ctl->kind, c.kind) << c.tpl << "/" << c.id;
    EXPECT_EQ(ControlCaption(t, *ctl), c.caption) << c.tpl << "/" << c.id;
    EXPECT_EQ(ctl->x, c.x) << c.tpl << "/" << c.id;
    EXPECT_EQ(ctl->y, c.y) << c.tpl << "/" << c.id;
    EXPECT_EQ(ctl->w, c.w) << c.tpl << "/" << c.id;
    EXPECT_EQ(ctl->h, c.h) << c.tpl << "/" << c.id;
    EXPECT_EQ(ctl->style, c.style) << c.tpl << "/" << c.id;
  }
  // No control beyond the ones above (the unnamed statics are checked below).
  std::size_t addressed = 0;
  for (const DialogTemplate &t : DialogTemplates())
    for (const ControlTemplate &c : t.controls)
      if (c.id != IDC_STATIC)
        ++addressed;
  EXPECT_EQ(addressed, kControls.size());
}

TEST(DialogTemplates, JapaneseOnlyTextsOfTheCalibrationDialogs) {
  std::size_t k = 0;
  for (int tpl : {136, 137}) {
    for (const ControlTemplate &c : FindDialogTemplate(tpl)->controls) {
      if (c.id != IDC_STATIC)
        continue;
      ASSERT_LT(k, kStatics.size());
      const Text &e = kStatics[k++];
      EXPECT_EQ(e.tpl, tpl);
      EXPECT_EQ(c.kind, K::Static);
      EXPECT_STREQ(c.caption, e.text);
      EXPECT_EQ(c.x, e.x);
      EXPECT_EQ(c.y, e.y);
      EXPECT_EQ(c.w, e.w);
      EXPECT_EQ(c.h, e.h);
    }
  }
  EXPECT_EQ(k, kStatics.size());
}

TEST(DialogTemplates, UpDownsStepTheirBuddies) {
  const DialogTemplate &t = *FindDialogTemplate(IDD_OUTPUT_CALIB_DIALOG);
  EXPECT_EQ(t.Control(1049)->buddyId, 1048);
  EXPECT_EQ(t.Control(1053)->buddyId, 1052);
  // A buddy comes before its up-down, so a builder meets it first.
  auto pos = [&](int id) { return t.Control(id) - t.controls.data(); };
  EXPECT_LT(pos(1048), pos(1049));
  EXPECT_LT(pos(1052), pos(1053));
}

TEST(DialogTemplates, IdsAreUniqueWithinATemplate) {
  for (const DialogTemplate &t : DialogTemplates()) {
    std::set<int> seen;
    for (const ControlTemplate &c : t.controls) {
      if (c.id != IDC_STATIC) {
        EXPECT_TRUE(seen.insert(c.id).second) << t.id << "/" << c.id;
      }
    }
  }
}

TEST(DialogTemplates, TranslatedCaptionsReplaceTheBuiltInOnes) {
  const TemplateCaption entries[] = {{IDD_VELA_DIALOG, 0, "ベラ"}, {IDD_VELA_DIALOG, 1040, "English"}};
  const TemplateCaptionTable table{entries, std::size(entries)};
  const DialogTemplate &t = *FindDialogTemplate(IDD_VELA_DIALOG);
  SetCurrentTemplateCaptions(&table);
  EXPECT_EQ(DialogCaption(t), "ベラ");
  EXPECT_EQ(ControlCaption(t, *t.Control(1040)), "English");
  EXPECT_EQ(ControlCaption(t, *t.Control(1029)), "Open File");
  // The same control id in another template is another control.
  const DialogTemplate &graph = *FindDialogTemplate(IDD_GRAPH_CTRL);
  EXPECT_EQ(ControlCaption(graph, *graph.Control(1040)), "STOP");
  SetCurrentTemplateCaptions(nullptr);
  EXPECT_EQ(DialogCaption(t), "VELA");
  EXPECT_EQ(ControlCaption(t, *t.Control(1040)), "Japanese");
}

TEST(DialogTemplates, CaptionIdsComeFromTheStringTable) {
  static const ControlTemplate controls[] = {
      {7, ControlKind::PushButton, "unused", 13000, 0, 0, 10, 10, 0, 0}};
  const DialogTemplate t{999, nullptr, 10000, 10, 10, "MS Shell Dlg", 8, DS_CHILD, controls};
  EXPECT_EQ(DialogCaption(t), "Input");
  EXPECT_EQ(ControlCaption(t, controls[0]), "Connect");
  const StringEntry japanese[] = {{13000, "接続"}};
  const StringTable table{japanese, 1};
  SetCurrentStringTable(&table);
  EXPECT_EQ(ControlCaption(t, controls[0]), "接続");
  SetCurrentStringTable(nullptr);
}

} // namespace
