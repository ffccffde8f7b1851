// Makes the default skin, its pictures, the icons and the cursors:
//   telvoxa-make-skin-art RES_DIR
// writes RES_DIR/skin/{default.ini,default.bmp,picture1.bmp,picture2.bmp},
// RES_DIR/icons/*.png, the desktop's application icons
// RES_DIR/icons/hicolor/<N>x<N>/apps/telvoxa.png and RES_DIR/cursors/*.png, and
// prints each path.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "BmpWriter.h"
#include "CursorArt.h"
#include "HandsetArt.h"
#include "IconArt.h"
#include "PictureArt.h"
#include "SkinIni.h"

namespace {

// The sizes a desktop's icon theme looks for.
constexpr int kDesktopIconSizes[] = {16, 32, 48, 64, 128, 256};

bool Report(bool ok, const QString& path) {
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(QDir::toNativeSeparators(path)));
    return ok;
}

bool SavePng(const QImage& image, const QString& path) {
    return Report(image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG"), path);
}

bool SaveBmp(const QImage& image, const QString& path) {
    return Report(SkinArt::WriteBmp24(image, path), path);
}

bool SaveText(const QByteArray& text, const QString& path) {
    QFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                    file.write(text) == text.size() && file.flush();
    return Report(ok, path);
}

}  // namespace

int main(int argc, char* argv[]) {
    // Drawing needs fonts but no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: telvoxa-make-skin-art RES_DIR\n");
        return 2;
    }
    const QDir res(QString::fromLocal8Bit(argv[1]));
    for (const char* sub : {"skin", "icons", "cursors"}) {
        if (!res.mkpath(QString::fromLatin1(sub))) {
            std::fprintf(stderr, "cannot make %s/%s\n", argv[1], sub);
            return 1;
        }
    }
    auto at = [&res](const char* name) { return res.filePath(QString::fromLatin1(name)); };

    bool ok = true;
    ok &= SaveText(SkinArt::DefaultSkinIni(), at("skin/default.ini"));
    ok &= SaveBmp(SkinArt::DrawHandset(), at("skin/default.bmp"));
    ok &= SaveBmp(SkinArt::DrawStandbyPicture(), at("skin/picture1.bmp"));
    ok &= SaveBmp(SkinArt::DrawIncomingPicture(), at("skin/picture2.bmp"));
    ok &= SavePng(SkinArt::DrawAppIcon(64), at("icons/128.png"));
    ok &= SavePng(SkinArt::DrawAppIcon(32), at("icons/128-32.png"));
    ok &= SavePng(SkinArt::DrawAppIcon(16), at("icons/128-16.png"));
    ok &= SavePng(SkinArt::DrawOnHookIcon(), at("icons/146.png"));
    ok &= SavePng(SkinArt::DrawOffHookIcon(), at("icons/147.png"));
    ok &= SavePng(SkinArt::DrawArrowCursor(), at("cursors/104.png"));
    ok &= SavePng(SkinArt::DrawHandCursor(), at("cursors/133.png"));
    for (int size : kDesktopIconSizes) {
        const QString folder = QStringLiteral("icons/hicolor/%1x%1/apps").arg(size);
        if (!res.mkpath(folder)) {
            std::fprintf(stderr, "cannot make %s/%s\n", argv[1], qPrintable(folder));
            return 1;
        }
        ok &= SavePng(SkinArt::DrawAppIcon(size), res.filePath(folder + "/telvoxa.png"));
    }
    return ok ? 0 : 1;
}
