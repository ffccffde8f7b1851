#pragma once
// A small skin written into a test folder: settings file, body bitmap and the
// two pictures.

#include <QDir>
#include <QString>
#include <string>
#include <vector>

#include "support/TestBitmaps.h"

// The body: 12 x 6 pixels, black surround. Row 0 wholly transparent, row 2
// with a transparent hole inside, row 5 a one-pixel column.
inline const std::vector<std::string>& TestSkinRows() {
    static const std::vector<std::string> rows = {
        "............",  //
        "..########..",  //
        ".###....###.",  //
        "############",  //
        "..########..",  //
        ".....#......",  //
    };
    return rows;
}

inline const char* TestSkinIni() {
    return "# test skin\n"
           "BMPFILE = body.bmp\n"
           "DIFF_X = 1\n"
           "DISPLAY1 = 0, 0, 10, 2\n"
           "DISPLAY2 = 0, 2, 10, 3\n"
           "DISPLAY3 = 10, 4, 0, 3\n"
           "ANTENNA = 0, 4, 4, 6\n"
           "PICTURE = 2, 1, 8, 4\n"
           "BTN_SEND = 0, 0, 2, 2\n"
           "FONTSIZE = 9\n"
           "PICTURE1 = pic1.bmp\n"
           "PICTURE2 = pic2.bmp\n";
}

// Writes the skin as `iniName` into `folder`; the body's pixels can be
// replaced, and `ini` overrides the settings text.
inline void WriteTestSkin(const QString& folder,
                          const QString& iniName = QStringLiteral("default.ini"),
                          const std::string& ini = TestSkinIni()) {
    QDir().mkpath(folder);
    const std::string dir = QDir(folder).absolutePath().toStdString() + "/";
    WriteText(dir + iniName.toStdString(), ini);
    WriteBytes(dir + "body.bmp", MakeBmpFromRows(TestSkinRows(), {200, 200, 200}));
    WriteBytes(dir + "pic1.bmp", MakeBmp24(3, 2, [](int, int) { return TestRgb{0, 255, 0}; }));
    WriteBytes(dir + "pic2.bmp", MakeBmp24(4, 4, [](int, int) { return TestRgb{255, 0, 0}; }));
}
