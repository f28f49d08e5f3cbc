// The Japanese resource library, VELA_jpn.so. The program loads it from its
// own folder and takes the string table below; ids it lacks show in English.
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

} // namespace

extern "C" __attribute__((visibility("default"))) const StringTable *VelaStringTable() { return &kJapaneseTable; }
