#include "handset/MenuCommands.h"

namespace {

constexpr MenuItem kSkinMenu[] = {
    {ID_APP_EXIT_OK, "終了(&X)"},
    {0, ""},
    {ID_SETTINGS, "設定(&I)"},
    {0, ""},
    {ID_CHANGE_PHONEBOOK, "電話帳ファイル変更(&R)"},
    {ID_CHANGE_SKIN, "スキン設定ファイル変更(要再起動)（&C)"},
    {0, ""},
    {ID_SHOW_SETTINGS, "現在の設定の表示(&S)"},
    {0, ""},
    {ID_APP_ABOUT, "バージョン情報(&A)"},
    {0, ""},
    {ID_CALL_HISTORY, "通話履歴(&H)"},
};

constexpr MenuItem kTrayMenu[] = {
    {ID_APP_EXIT_OK, "終了(&X)"},      {0, ""}, {ID_SETTINGS, "設定(&I)"}, {0, ""},
    {ID_CALL_HISTORY, "通話履歴(&H)"},
};

}  // namespace

std::span<const MenuItem> MenuItems(int resourceId) {
    switch (resourceId) {
        case IDR_SKIN_MENU:
            return kSkinMenu;
        case IDR_TRAY_MENU:
            return kTrayMenu;
        default:
            return {};
    }
}
