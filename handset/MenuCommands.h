#pragma once
// The handset window's pop-up menus and the command ids their items carry.

#include <span>

// Command ids of the menu items.
inline constexpr int ID_APP_EXIT_OK = 1;  // ends the window as confirmed
inline constexpr int ID_SETTINGS = 32774;
inline constexpr int ID_CHANGE_PHONEBOOK = 32772;
inline constexpr int ID_CHANGE_SKIN = 32771;
inline constexpr int ID_SHOW_SETTINGS = 32773;
inline constexpr int ID_APP_ABOUT = 57664;
inline constexpr int ID_CALL_HISTORY = 32775;

// Menu resources: the skin's context menu and the tray icon's menu.
inline constexpr int IDR_SKIN_MENU = 134;
inline constexpr int IDR_TRAY_MENU = 144;

// One item of a menu; a zero id is a separator. Texts are UTF-8.
struct MenuItem {
    int id;
    const char* text;
};

// The items of menu `resourceId` in order; empty for an unknown menu.
std::span<const MenuItem> MenuItems(int resourceId);
