// The Japanese resource library, VELA_jpn.so. The program loads it from its
// own folder and takes the string table and the template captions below;
// ids it lacks show in English.
#include "resources/dialog_templates.h"
#include "resources/strings.h"

#include <iterator>

namespace {

const StringEntry kJapanese[] = {
    {100, "設定ファイル (*.cfg)|*.cfg|すべてのファイル (*.*)|*.*||"},
    {201, "通信エラーが発生しました。再試行しますか？"},
    {202, "この機能はオンライン時のみ実行できます。"},
    {203, "真の入力値を入力してください。"},
    {204, "出力の測定値を入力してください。"},
    {205, "%1 は %2 から %3 の範囲で指定してください。"},
    {206, "通信エラーが発生しました。"},
    {207, "パラメータファイルの読み込みに失敗しました。"},
    {208, "パラメータファイルの保存に失敗しました。"},
    {209, "この機能はオフライン時のみ実行できます。"},
    {210, "出力値が不正です。"},
    {211, "出力値"},
    {212, "フィルタ時定数は 0 または 0.5 から 30 の範囲で指定してください。"},
    {213, "このパラメータファイルはこの機種のものではありません。"},
    {214, "接続された機器はサポートされていません。"},
    {216, "機器の SW2-8 が OFF のため、パラメータを変更できません。"},
    {300, "コマンド応答の受信がタイムアウトしました。"},
    {301, "G コマンドの応答が不正です。"},
    {302, "I コマンドの応答が不正です。"},
    {303, "D コマンドの応答が不正です。"},
    {304, "使用できる COM ポートが見つかりません。"},
    {305, "通信ポート %s を開けません。"},
    {306, "通信ポートの設定を変更できません。"},
    {320, "ポートは他のプログラムが使用中です。"},
    {321, "アクセスが拒否されました。%1 グループに自分を追加し (sudo usermod -aG %1 $USER)、"
          "ログアウトしてから再度ログインしてください。"},
    {322, "アクセスが拒否されました。%1 "
          "グループには属していますが、このログインセッションにはまだ反映されていません。"
          "ログアウトしてから再度ログインしてください。"},
    {323, "アクセスが拒否されました。"},
    {324, "デバイスが存在しません。"},
    {1000, "入力タイプ"},
    {1001, "バーンアウト"},
    {1100, "フィルタ時定数"},
    {1101, "微調整ゼロ X"},
    {1102, "微調整スパン"},
    {1103, "微調整ゼロ Y"},
    {1200, "0% 入力"},
    {1201, "100% 入力"},
    {1300, "リニアライズ"},
    {1301, "点数"},
    {1400, "0% 出力"},
    {1401, "100% 出力"},
    {1500, "出力タイプ"},
    {1501, "微調整ゼロ"},
    {1502, "微調整スパン"},
    {1600, "機種"},
    {1601, "ハードウェア"},
    {1602, "ファームウェア"},
    {1603, "シリアル番号"},
    {1604, "タグ No."},
    {1999, "タイプを選択"},
    {2100, "0: 無効"},
    {2101, "1: 有効"},
    {2105, "なし"},
    {2106, "ダウンスケール"},
    {2107, "アップスケール"},
    {3000, "入力校正"},
    {3100, "0% 入力校正"},
    {3101, "100% 入力校正"},
    {3102, "入力校正リセット"},
    {3103, "微調整ゼロ"},
    {3104, "微調整スパン"},
    {3105, "微調整リセット"},
    {3106, "トレンドグラフ"},
    {3300, "ユーザーテーブル"},
    {3400, "0% 出力校正"},
    {3401, "100% 出力校正"},
    {3402, "出力校正リセット"},
    {3500, "微調整ゼロ"},
    {3501, "微調整スパン"},
    {3502, "微調整リセット"},
    {3503, "出力校正"},
    {3504, "ループテスト出力"},
    {10000, "入力"},
    {10001, "入力値"},
    {10002, "入力 %"},
    {10003, "出力 %"},
    {10004, "出力値"},
    {10005, "出力"},
    {10006, "機器情報"},
    {12000, "名称"},
    {12001, "値"},
    {12002, "編集値"},
    {12003, "機器の値"},
    {12004, "ファンクションブロック"},
    {12005, "パラメータ名"},
    {13000, "接続"},
    {13001, "切断"},
    {30000, "テーブルファイルを開けません。"},
    {30001, "テーブルファイルを書き込めません。"},
    {30002, "テーブルファイルの構造が不正です。"},
    {30003, "テーブルファイルの点数が多すぎます。"},
    {30100, "すべてのパラメータが一致しています。"},
    {30101, "%1!d! 個のパラメータが一致していません。"},
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
