#include "handset/SettingsSummary.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

CurrentSettings Sample(int port, int cable) {
    CurrentSettings s;
    s.port = port;
    s.cable = cable;
    s.skinFile = "/skins/blue.ini";
    s.bitmapFile = "/skins/blue.bmp";
    s.phoneBookFile = "/books/家族.mdd";
    return s;
}

std::string Expected(const std::string& portLine) {
    return "現在の設定\r\n\r\n" + portLine +
           "\r\n\r\n"
           "スキン設定ファイル(.ini)\r\n/skins/blue.ini\r\n\r\n"
           "ビットマップファイル(.bmp)\r\n/skins/blue.bmp\r\n\r\n"
           "電話帳ファイル(.mdd/.vcf/.csv)\r\n/books/家族.mdd";
}

TEST(SettingsSummary, TextIsJoinedWithCrLfForEachCableKind) {
    const struct {
        int port, cable;
        const char* portLine;
    } rows[] = {
        {0, 0, "接続ポート COM1   ケーブル シリアルポート用メモリ編集ケーブル"},
        {2, 1, "接続ポート COM3   ケーブル 上記以外のメモリ編集ケーブル"},
        {8, 4, "接続ポート COM9   ケーブル データ通信ケーブル3"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CurrentSettingsText(Sample(row.port, row.cable)), Expected(row.portLine))
            << row.cable;
    }
}

TEST(SettingsSummary, DataCablesAreNumberedOneToSixAndOtherTypesByTheirNumber) {
    const std::pair<int, const char*> rows[] = {
        {2, "データ通信ケーブル1"},
        {3, "データ通信ケーブル2"},
        {7, "データ通信ケーブル6"},
        {8, "8"},  // scripted cable: no name of its own
        {-1, "-1"},
        {INT_MIN, "-2147483648"},
    };
    for (auto [cable, name] : rows) EXPECT_EQ(CableName(cable), name) << cable;
}

TEST(SettingsSummary, AnyStoredPortIndexIsShownWithoutOverflow) {
    CurrentSettings s;
    s.port = INT_MAX;
    EXPECT_NE(CurrentSettingsText(s).find("COM2147483648   "), std::string::npos);
    s.port = -1;
    EXPECT_NE(CurrentSettingsText(s).find("COM0   "), std::string::npos);
    // Without a phone book the last line is empty.
    const std::string tail = "電話帳ファイル(.mdd/.vcf/.csv)\r\n";
    const std::string text = CurrentSettingsText(s);
    ASSERT_GE(text.size(), tail.size());
    EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
}

}  // namespace
