#pragma once
// Resource ids of res/win32/telvoxa.rc, shared by the resource compiler and
// the program. Plain #defines: the resource compiler reads this file too.

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_HANDSET 102
#define IDD_PHONEBOOK 135
#define IDD_SETTINGS 136
#define IDD_CONTROLPAD 145
#define IDD_CALLHISTORY 150

// Strings.
#define IDS_PRODUCT 102
#define IDS_VERSION 103

// Icons and cursors.
#define IDI_APP 128
#define IDI_ONHOOK 146
#define IDI_OFFHOOK 147
#define IDC_ARROW_CURSOR 104
#define IDC_HAND_CURSOR 133

// Menus.
#define IDR_SKINMENU 134
#define IDR_TRAYMENU 144

// Menu commands.
#define IDM_EXIT 1
#define IDM_CHANGE_SKIN 32771
#define IDM_CHANGE_PHONEBOOK 32772
#define IDM_SHOW_SETTINGS 32773
#define IDM_SETTINGS 32774
#define IDM_CALL_HISTORY 32775
#define IDM_ABOUT 57664

// Handset window 102.
#define IDC_DISPLAY1 1004
#define IDC_DISPLAY2 1005
#define IDC_DISPLAY3 1008
#define IDC_ANTENNA 1019

// Version dialog 100.
#define IDC_VERSION 1020

// Phone book dialog 135.
#define IDC_PHONEBOOK_LIST 1006

// Settings dialog 136.
#define IDC_PORT 1009
#define IDC_CABLE 1010
#define IDC_NUMDISP 1011
#define IDC_INTERVAL 1015
#define IDC_INTERVAL_TEXT 1016
#define IDC_PORT_STATUS 1017
// Ends the program instead of trying another port.
#define IDC_SETTINGS_QUIT 3

// Control pad 145.
#define IDC_PAD_TEXT 1026
#define IDC_PAD_UP 1041
#define IDC_PAD_LEFT 1042
#define IDC_PAD_RIGHT 1043
#define IDC_PAD_DOWN 1044
#define IDC_PAD_I1 1045
#define IDC_PAD_I5 1046
#define IDC_PAD_I2 1047
#define IDC_PAD_I4 1048
#define IDC_PAD_I3 1049
#define IDC_PAD_OFFHOOK 1050
#define IDC_PAD_ONHOOK 1051
#define IDC_PAD_1 1052
#define IDC_PAD_9 1060
#define IDC_PAD_SH 1061
#define IDC_PAD_0 1062
#define IDC_PAD_AS 1063

// Call history dialog.
#define IDC_HISTORY_LIST 1070
#define IDC_HISTORY_EXPORT 1071

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
