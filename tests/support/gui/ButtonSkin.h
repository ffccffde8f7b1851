#pragma once
// A skin with all sixteen buttons, written into a test folder: a 64 x 84
// grey body, the text areas along the top and a four by four keypad below,
// 12 x 10 pixels a key, with gaps between the keys and a free strip at the
// bottom that belongs to no button.
//
//     1   2   3   SEND
//     4   5   6   QUIT
//     7   8   9   CLEAR
//     *   0   #   CALL

#include <QDir>
#include <QString>
#include <string>

#include "support/TestBitmaps.h"

inline constexpr int BUTTON_SKIN_WIDTH = 64;
inline constexpr int BUTTON_SKIN_HEIGHT = 84;

inline std::string ButtonSkinIni() {
    const char* const grid[4][4] = {{"BTN_1", "BTN_2", "BTN_3", "BTN_SEND"},
                                    {"BTN_4", "BTN_5", "BTN_6", "BTN_QUIT"},
                                    {"BTN_7", "BTN_8", "BTN_9", "BTN_CLEAR"},
                                    {"BTN_AS", "BTN_0", "BTN_SH", "BTN_CALL"}};
    std::string ini =
        "BMPFILE = body.bmp\n"
        "DISPLAY1 = 0, 0, 64, 8\n"
        "DISPLAY2 = 0, 8, 64, 16\n"
        "DISPLAY3 = 0, 16, 64, 24\n"
        "ANTENNA = 0, 24, 20, 28\n"
        "PICTURE = 40, 24, 60, 28\n"
        "PICTURE1 = pic1.bmp\n"
        "PICTURE2 = pic2.bmp\n";
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            const int left = 4 + col * 15;
            const int top = 30 + row * 12;
            ini += std::string(grid[row][col]) + " = " + std::to_string(left) + ", " +
                   std::to_string(top) + ", " + std::to_string(left + 12) + ", " +
                   std::to_string(top + 10) + "\n";
        }
    }
    return ini;
}

// Writes the skin; `ini` replaces the settings text (for other layouts).
inline void WriteButtonSkin(const QString& folder, const std::string& ini = ButtonSkinIni()) {
    QDir().mkpath(folder);
    const std::string dir = QDir(folder).absolutePath().toStdString() + "/";
    WriteText(dir + "default.ini", ini);
    WriteBytes(dir + "body.bmp", MakeBmp24(BUTTON_SKIN_WIDTH, BUTTON_SKIN_HEIGHT, [](int, int) {
                   return TestRgb{190, 190, 190};
               }));
    WriteBytes(dir + "pic1.bmp", MakeBmp24(3, 2, [](int, int) { return TestRgb{0, 255, 0}; }));
    WriteBytes(dir + "pic2.bmp", MakeBmp24(4, 4, [](int, int) { return TestRgb{255, 0, 0}; }));
}
