// The Windows program's own pieces that need no window: its resources as
// the program finds them, the texts at its boundary, the control pad's keys
// and the settings dialog's values.

#include "winapp/Win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestBitmaps.h"
#include "winapp/AboutDlg.h"
#include "winapp/IncomingBalloon.h"
#include "winapp/PadKeys.h"
#include "winapp/Resource.h"
#include "winapp/SettingsDlg.h"
#include "winapp/SkinGdi.h"
#include "winapp/WinText.h"

namespace {

// Code page 932 bytes of 山田 and of the half-width katakana ﾔﾏﾀﾞ.
const std::string kYamada = "\x8e\x52\x93\x63";
const std::string kYamadaKana = "\xd4\xcf\xc0\xde";

TEST(WinAppResources, StringsAndDialogsAreThereWithTheirTexts) {
    EXPECT_EQ(LoadResourceString(IDS_PRODUCT), L"Telvoxa");
    EXPECT_EQ(LoadResourceString(IDS_VERSION), L"1.06");
    EXPECT_EQ(VersionText(LoadResourceString(IDS_PRODUCT), LoadResourceString(IDS_VERSION)),
              L"Telvoxa Ver.1.06");
    HINSTANCE self = GetModuleHandleW(nullptr);
    for (int id : {IDD_ABOUTBOX, IDD_HANDSET, IDD_PHONEBOOK, IDD_SETTINGS, IDD_CONTROLPAD})
        EXPECT_NE(FindResourceW(self, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5)), nullptr) << id;
    for (int id : {IDI_APP, IDI_ONHOOK, IDI_OFFHOOK})
        EXPECT_NE(LoadImageW(self, MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, 0), nullptr) << id;
    // The manifest (common controls 6, DPI awareness) and the version.
    EXPECT_NE(FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)), nullptr);
    EXPECT_NE(FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16)), nullptr);
    for (int id : {IDC_ARROW_CURSOR, IDC_HAND_CURSOR})
        EXPECT_NE(LoadCursorW(self, MAKEINTRESOURCEW(id)), nullptr) << id;
}

TEST(WinAppResources, MenusCarryTheirCommandsAndJapaneseTexts) {
    struct Item {
        int position;
        UINT id;
        const wchar_t* text;
    };
    const struct {
        int menu;
        std::vector<Item> items;
    } menus[] = {
        {IDR_SKINMENU,
         {{0, IDM_EXIT, L"終了(&X)"},
          {2, IDM_SETTINGS, L"設定(&I)"},
          {4, IDM_CHANGE_PHONEBOOK, L"電話帳ファイル変更(&R)"},
          {5, IDM_CHANGE_SKIN, L"スキン設定ファイル変更(要再起動)（&C)"},
          {7, IDM_SHOW_SETTINGS, L"現在の設定の表示(&S)"},
          {9, IDM_ABOUT, L"バージョン情報(&A)"}}},
        {IDR_TRAYMENU, {{0, IDM_EXIT, L"終了(&X)"}, {2, IDM_SETTINGS, L"設定(&I)"}}},
    };
    for (const auto& menu : menus) {
        HMENU loaded = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menu.menu));
        ASSERT_NE(loaded, nullptr) << menu.menu;
        HMENU popup = GetSubMenu(loaded, 0);
        for (const Item& item : menu.items) {
            EXPECT_EQ(GetMenuItemID(popup, item.position), item.id) << menu.menu;
            wchar_t text[128] = {};
            GetMenuStringW(popup, item.id, text, 128, MF_BYCOMMAND);
            EXPECT_STREQ(text, item.text) << menu.menu;
        }
        EXPECT_EQ(GetMenuItemID(popup, 1), 0u) << "a separator follows the first item";
        DestroyMenu(loaded);
    }
}

TEST(WinAppTexts, CodePage932ToTheScreenAndBack) {
    const struct {
        std::string cp932;
        bool yen;
        std::wstring wide;
    } cases[] = {
        {"Charge \\120", true, L"Charge ¥120"},
        {"C:\\skins\\a.ini", false, L"C:\\skins\\a.ini"},
        {kYamada, true, L"山田"},
        {kYamadaKana, true, L"ﾔﾏﾀﾞ"},
        {"", true, L""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WideFromCp932(c.cp932, c.yen), c.wide);
        if (c.yen) {
            EXPECT_EQ(Cp932FromWide(c.wide), c.cp932);
        }
    }
    // A character without a code page 932 form is dropped on the way in.
    EXPECT_EQ(Cp932FromWide(L"a\u0100b"), "ab");
    EXPECT_EQ(Utf8FromWide(WideFromUtf8("電話帳.csv")), "電話帳.csv");
}

TEST(WinAppTexts, IncomingBalloonNamesTheCallerAsFarAsKnown) {
    const struct {
        std::string name;
        std::string number;
        std::wstring text;
    } cases[] = {
        {kYamada, "0312345678", L"山田\n0312345678"},
        {"", "0312345678", L"0312345678"},
        {kYamada, "", L"山田"},
        {"", "", L"Not Notified"},
    };
    for (const auto& c : cases) EXPECT_EQ(IncomingBalloonText(c.name, c.number), c.text);
}

TEST(WinAppPad, EveryKeyReachesItsNameOnceWithShiftForALongPress) {
    const struct {
        unsigned virtualKey;
        int id;
        const char* name;
    } cases[] = {
        {VK_UP, 1041, "CONTROL_UP"},        {VK_DOWN, 1044, "CONTROL_DOWN"},
        {VK_LEFT, 1042, "CONTROL_LEFT"},    {VK_RIGHT, 1043, "CONTROL_RIGHT"},
        {VK_CONTROL, 1045, "CONTROL_I1"},   {VK_RETURN, 1047, "CONTROL_I2"},
        {VK_NEXT, 1049, "CONTROL_I3"},      {VK_PRIOR, 1048, "CONTROL_I4"},
        {VK_INSERT, 1046, "CONTROL_I5"},    {VK_NUMPAD1, 1052, "CONTROL_1"},
        {VK_NUMPAD5, 1056, "CONTROL_5"},    {VK_NUMPAD9, 1060, "CONTROL_9"},
        {VK_NUMPAD0, 1062, "CONTROL_0"},    {VK_END, 1051, "CONTROL_ONHOOK"},
        {VK_HOME, 1050, "CONTROL_OFFHOOK"},
    };
    for (const auto& c : cases) {
        const PadKey* key = PadKeyForVirtualKey(c.virtualKey);
        ASSERT_NE(key, nullptr) << c.name;
        EXPECT_EQ(key, PadKeyForId(c.id)) << c.name;
        EXPECT_EQ(PadKeyText(*key, false), c.name);
        EXPECT_EQ(PadKeyText(*key, true), std::string(c.name) + "CONTROL_PUSH_LONG");
    }
    // * and # only through their mnemonics; the digit row and letters type text.
    EXPECT_EQ(PadKeyText(*PadKeyForId(1063), false), "CONTROL_AS");
    EXPECT_EQ(PadKeyText(*PadKeyForId(1061), false), "CONTROL_SH");
    for (unsigned typed : {unsigned('1'), unsigned('A'), unsigned(VK_ESCAPE), unsigned(VK_F12), 0u})
        EXPECT_EQ(PadKeyForVirtualKey(typed), nullptr) << typed;
    EXPECT_EQ(PadKeyForId(IDC_PAD_TEXT), nullptr);
}

TEST(WinAppSettings, ValuesAsTheDialogShowsThem) {
    const struct {
        int interval;
        int slider;
        const wchar_t* label;
    } intervals[] = {
        {250, 250, L"250ms"}, {50, 50, L"50ms"},      {650, 650, L"650ms"},
        {49, 50, L"49ms"},    {1000, 650, L"1000ms"}, {-5, 50, L"-5ms"},
    };
    for (const auto& c : intervals) {
        EXPECT_EQ(SliderPosition(c.interval), c.slider) << c.interval;
        EXPECT_EQ(IntervalLabel(c.interval), c.label);
    }
    const struct {
        int stored;
        int selection;
    } selections[] = {{0, 0}, {7, 7}, {8, -1}, {-1, -1}, {100, -1}};
    for (const auto& c : selections) EXPECT_EQ(ListSelection(c.stored, 8), c.selection);
    const struct {
        const char* name;
        int index;
    } ports[] = {{"COM1", 0}, {"com9", 8}, {"COM0", -1}, {"COM10", -1}, {"LPT1", -1}, {"", -1}};
    for (const auto& c : ports) EXPECT_EQ(PortIndex(c.name), c.index) << c.name;
    EXPECT_EQ(PortStatusText({"COM1", "COM1", ""}), "opens now");
    EXPECT_EQ(PortStatusText({"COM2", "COM2", "No such device"}), "No such device");
}

}  // namespace

namespace {

// The colour the system drew at (x, y) of `bitmap`, as 0xRRGGBB.
uint32_t PixelAt(HBITMAP bitmap, int x, int y) {
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const COLORREF colour = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteDC(memory);
    return (uint32_t(GetRValue(colour)) << 16) | (uint32_t(GetGValue(colour)) << 8) |
           GetBValue(colour);
}

TEST(WinAppSkin, BitmapsKeepTheirTopRowOnTop) {
    // Bottom-up 24-bit and top-down 8-bit files, each with a red top row.
    const auto redTop = [](int, int y) { return y == 0 ? TestRgb{255, 0, 0} : TestRgb{0, 0, 255}; };
    const std::vector<uint8_t> files[] = {
        MakeBmp24(3, 2, redTop),
        MakeBmp8(3, -2, {{255, 0, 0}, {0, 0, 255}}, [](int, int y) { return uint8_t(y); }),
    };
    for (const auto& file : files) {
        const BmpReadResult bmp = ParsePictureBmp(file);
        ASSERT_TRUE(bmp.ok());
        HBITMAP bitmap = BitmapFromBmp(bmp.image);
        ASSERT_NE(bitmap, nullptr);
        EXPECT_EQ(PixelAt(bitmap, 0, 0), 0xFF0000u);
        EXPECT_EQ(PixelAt(bitmap, 2, 1), 0x0000FFu);
        DeleteObject(bitmap);
    }
}

TEST(WinAppSkin, RegionCutsOnlyTheMarginsOfEachRow) {
    const BmpReadResult bmp = ParseSkinBmp(MakeBmpFromRows({
        "........",  // wholly transparent: adds nothing
        "..####..",
        ".##..##.",  // the hole between stays inside
        "...#....",
    }));
    ASSERT_TRUE(bmp.ok());
    HRGN region = RegionFromSpans(BuildRegionSpans(bmp.image, SkinColour{}));
    ASSERT_NE(region, nullptr);
    const struct {
        int x, y;
        bool inside;
    } points[] = {
        {3, 0, false}, {2, 1, true},  {5, 1, true},  {1, 1, false}, {6, 1, false},
        {1, 2, true},  {3, 2, true},  {6, 2, true},  {0, 2, false}, {7, 2, false},
        {3, 3, true},  {2, 3, false}, {4, 3, false},
    };
    for (const auto& p : points)
        EXPECT_EQ(PtInRegion(region, p.x, p.y) != FALSE, p.inside) << p.x << "," << p.y;
    DeleteObject(region);
    EXPECT_EQ(RegionFromSpans({}), nullptr);
}

}  // namespace
