// The display font and the window shape, free of the window itself.

#include "handset/ui/SkinRegion.h"

#include <QRect>
#include <QStringList>

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
