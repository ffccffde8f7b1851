// The display font and the window shape, free of the window itself.

#include "handset/ui/SkinRegion.h"

#include <QRect>
#include <QStringList>
#include <QtMath>

namespace {

void InstallFontSubstitutes() {
    static bool done = false;
    if (done) return;
    done = true;
    const QStringList faces = {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP"),
                               QStringLiteral("VL Gothic")};
    for (const QString& name : {QStringLiteral("MS ゴシック"), QStringLiteral("ＭＳ ゴシック"),
                                QStringLiteral("MS Gothic")})
        QFont::insertSubstitutions(name, faces);
}

}  // namespace

QFont MakeDisplayFont(int pointSize) {
    InstallFontSubstitutes();
    QFont font(QStringLiteral("MS ゴシック"));
    font.setPointSize(pointSize);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

QRegion RegionFromSpans(const std::vector<RowSpan>& spans) {
    // The first row's rectangle, then each further row united with it.
    QRegion region;
    for (const RowSpan& span : spans) region += QRect(span.left, span.y, span.right - span.left, 1);
    return region;
}

QImage CutToRegion(const QImage& skin, const QRegion& region) {
    QImage cut(skin.size(), QImage::Format_ARGB32);
    if (cut.isNull()) return {};
    cut.fill(Qt::transparent);
    // Row by row, as the region is one span a row; a span that reaches past
    // the picture is cut to it.
    const QRect bounds = skin.rect();
    const QImage source = skin.convertToFormat(QImage::Format_ARGB32);
    for (const QRect& rect : region) {
        const QRect part = rect & bounds;
        for (int y = part.top(); y <= part.bottom(); ++y) {
            const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            auto* to = reinterpret_cast<QRgb*>(cut.scanLine(y));
            for (int x = part.left(); x <= part.right(); ++x) to[x] = from[x] | 0xFF000000u;
        }
    }
    return cut;
}

QPoint SkinPixel(const QPointF& position) {
    return QPoint(qFloor(position.x()), qFloor(position.y()));
}
