#include "handset/SettingsSummary.h"

#include <cstdio>

namespace {

constexpr char kBreak[] = "\r\n";

}  // namespace

std::string CableName(int cable) {
    switch (cable) {
        case 0:
            return "シリアルポート用メモリ編集ケーブル";
        case 1:
            return "上記以外のメモリ編集ケーブル";
        default:
            break;
    }
    if (cable >= 2 && cable <= 7) {
        // Data communication cables 1 to 6: one digit.
        return std::string("データ通信ケーブル") + static_cast<char>('0' + cable - 1);
    }
    // A type outside the list (a scripted cable, or none chosen) has no name
    // of its own: its number stands for it rather than some stray character.
    return std::to_string(cable);
}

std::string CurrentSettingsText(const CurrentSettings& settings) {
    char portLine[64];
    // The port index + 1, widened so that no stored value can overflow.
    std::snprintf(portLine, sizeof portLine, "接続ポート COM%lld   ケーブル ",
                  static_cast<long long>(settings.port) + 1);
    std::string text = "現在の設定";
    text += kBreak;
    text += kBreak;
    text += portLine;
    text += CableName(settings.cable);
    text += kBreak;
    text += kBreak;
    text += "スキン設定ファイル(.ini)";
    text += kBreak;
    text += settings.skinFile;
    text += kBreak;
    text += kBreak;
    text += "ビットマップファイル(.bmp)";
    text += kBreak;
    text += settings.bitmapFile;
    text += kBreak;
    text += kBreak;
    text += "電話帳ファイル(.mdd/.vcf/.csv)";
    text += kBreak;
    text += settings.phoneBookFile;
    return text;
}
