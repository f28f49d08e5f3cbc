// The Japanese resource library, VELA_jpn.so. The program loads it from its
// own folder and takes the string table and the template captions below;
// ids it lacks show in English.
#include "resources/dialog_templates.h"
#include "resources/strings.h"

#include <iterator>

namespace {

const StringEntry kJapanese[] = {
    {201, "通信エラーが発生しました。再試行しますか？"},
    {206, "通信エラーが発生しました。"},
    {300, "コマンド応答の受信がタイムアウトしました。"},
    {10000, "入力"},
    {10001, "入力値"},
    {10002, "入力 %"},
    {10003, "出力 %"},
    {10004, "出力値"},
    {10005, "出力"},
    {10006, "機器情報"},
    {12000, "名称"},
    {12001, "値"},
    {13000, "接続"},
    {13001, "切断"},
    {30200, "アップロード中"},
    {30201, "ダウンロード中"},
};

const StringTable kJapaneseTable{kJapanese, std::size(kJapanese)};

// Control 0 is the window's own caption.
const TemplateCaption kCaptions[] = {
    {IDD_VELA_DIALOG, 1028, "接続"},
    {IDD_VELA_DIALOG, 1029, "ファイルを開く"},
    {IDD_VELA_DIALOG, 1030, "ファイル保存"},
    {IDD_VELA_DIALOG, 1036, "比較"},
    {IDD_VELA_DIALOG, 1041, "アップロード"},
    {IDD_VELA_DIALOG, 1042, "ダウンロード"},
    // The switch names the language it leads to, in that language.
    {IDD_VELA_DIALOG, 1040, "English"},
    {IDD_VELA_DIALOG, 1059, "ファンクションブロック"},
    {IDD_VELA_DIALOG, 1060, "パラメータ"},
    {IDD_VELA_DIALOG, 1061, "ユーティリティ"},
    {IDD_COM_DIALOG, 0, "COMポート"},
    {IDD_COM_DIALOG, 2, "キャンセル"},
    {IDD_INPUT_DIALOG, 0, "値の入力"},
    {IDD_INPUT_DIALOG, 2, "キャンセル"},
    {IDD_INPUT_DIALOG, 1035, "値を入力してください"},
    {IDD_GRAPH_CTRL, 1042, "印刷"},
    {IDD_GRAPH_CTRL, 1039, "開始"},
    {IDD_GRAPH_CTRL, 1040, "停止"},
    {IDD_GRAPH_CTRL, 1041, "閉じる"},
    {IDD_TABLE_FILE_DIALOG, 0, "ユーザーテーブル"},
    {IDD_TABLE_FILE_DIALOG, 1029, "ファイルを開く"},
    {IDD_TABLE_FILE_DIALOG, 1030, "ファイル保存"},
    {IDD_TABLE_FILE_DIALOG, 2, "キャンセル"},
    {IDD_COMPARE_DIALOG, 0, "比較結果"},
    {IDD_COMPARE_DIALOG, 2, "閉じる"},
    {IDD_LOAD_DIALOG, 0, "通信中"},
    {IDD_LOOP_DIALOG, 0, "ループテスト出力"},
    {IDD_LOOP_DIALOG, 2, "キャンセル"},
    {IDD_LOOP_DIALOG, 1064, "現在の入力値で出力を固定する"},
    {IDD_LOOP_DIALOG, 1065, "指定値で出力を固定する"},
    {IDD_LOOP_DIALOG, 1066, "出力固定モードを終了する（通常状態）"},
};

const TemplateCaptionTable kCaptionTable{kCaptions, std::size(kCaptions)};

} // namespace

extern "C" __attribute__((visibility("default"))) const StringTable *VelaStringTable() {
  return &kJapaneseTable;
}

extern "C" __attribute__((visibility("default"))) const TemplateCaptionTable *VelaTemplateCaptions() {
  return &kCaptionTable;
}
