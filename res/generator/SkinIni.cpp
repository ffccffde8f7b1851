#include "SkinIni.h"

#include <QString>

#include "SkinLayout.h"

namespace SkinArt {
namespace {

const char* CommentFor(const QByteArray& key) {
    if (key == "BTN_0") return "# Dial keys 0-9, * and #";
    if (key == "BTN_SEND")
        return "# Send (call, answer, take back a held call), end (hang up, hold), clear, phone "
               "book";
    if (key == "DISPLAY1")
        return "# Text areas: status line or clock, name, number or charge, signal level";
    if (key == "PICTURE") return "# Picture area";
    return nullptr;
}

}  // namespace

QByteArray DefaultSkinIni() {
    QByteArray ini;
    ini += "# Telvoxa default skin: a candy-bar handset.\n";
    ini += "# Made by telvoxa-make-skin-art (res/generator); change the generator and run\n";
    ini += "# scripts/make-skin-art rather than editing this file.\n";
    ini += "# Rectangles are left, top, right, bottom in pixels of the bitmap;\n";
    ini += "# right and bottom are outside the rectangle.\n";
    ini += "BMPFILE = default.bmp\n";
    ini += "# Colour of the surround that is cut away from the window\n";
    ini += QStringLiteral("TP_R = %1\nTP_G = %2\nTP_B = %3\n")
               .arg(kTransparentRed)
               .arg(kTransparentGreen)
               .arg(kTransparentBlue)
               .toLatin1();
    ini += "DIFF_X = 0\nDIFF_Y = 0\n";
    ini += "# Point size of the text areas\n";
    ini += QStringLiteral("FONTSIZE = %1\n").arg(kFontSize).toLatin1();
    ini += "# Pictures while idle and while a call rings\n";
    ini += "PICTURE1 = picture1.bmp\nPICTURE2 = picture2.bmp\n";

    // Text areas first, then the buttons, as one reads the handset from the top.
    auto writeElement = [&ini](const Element& e) {
        const QByteArray key(e.key);
        if (const char* comment = CommentFor(key)) ini += QByteArray(comment) + "\n";
        ini += QStringLiteral("%1 = %2, %3, %4, %5\n")
                   .arg(QString::fromLatin1(e.key))
                   .arg(e.box.left)
                   .arg(e.box.top)
                   .arg(e.box.right)
                   .arg(e.box.bottom)
                   .toLatin1();
    };
    for (const Element& e : kElements)
        if (!QByteArray(e.key).startsWith("BTN_")) writeElement(e);
    for (const Element& e : kElements)
        if (QByteArray(e.key).startsWith("BTN_")) writeElement(e);
    return ini;
}

}  // namespace SkinArt
