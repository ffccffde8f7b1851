// The handset window's skin: bitmap, shape, painting, text areas, pictures.

#include <QFile>
#include <QFont>
#include <QLabel>
#include <QPainter>
#include <QRect>
#include <algorithm>

#include "common/ui/DesktopAbilities.h"
#include "handset/ui/HandsetDlg.h"

namespace {

// Decoded straight into the image, so the pixels are held once. An image
// that cannot be allocated is null, and the bitmap is then not used.
QImage ToImage(const BmpImage& bmp) {
    QImage image(bmp.Width(), bmp.Height(), QImage::Format_RGB32);
    if (image.isNull()) return {};
    static_assert(sizeof(QRgb) == sizeof(uint32_t));
    const size_t rowPitch = size_t(image.bytesPerLine()) / sizeof(QRgb);
    if (!DecodeBmpPixels(bmp, reinterpret_cast<uint32_t*>(image.bits()), rowPitch)) return {};
    return image;
}

QRect ToQRect(const SkinRect& r) {
    // Right and bottom are exclusive, as QRect's width and height count them.
    const int64_t width = int64_t{r.right} - r.left;
    const int64_t height = int64_t{r.bottom} - r.top;
    return QRect(r.left, r.top, int(std::min<int64_t>(width, INT32_MAX)),
                 int(std::min<int64_t>(height, INT32_MAX)));
}

}  // namespace

bool CHandsetDlg::LoadSkin() {
    const SkinDefinition skin = ReadSkinDefinition(m_host.Skin());

    // The skin bitmap, named in the skin file beside it, read whole and
    // checked against its real size: a bitmap that does not read is refused with the reason.
    const QString bitmapFile = m_host.SkinRelativePath(skin.bitmapFile);
    m_host.SetBitmapFile(bitmapFile);
    const BmpReadResult bmp = ReadSkinBmp(QFile::encodeName(bitmapFile).toStdString());
    const auto refuse = [&](const QString& why) {
        m_strSkinProblem = bitmapFile + QStringLiteral(": ") + why;
        return false;
    };
    if (!bmp.openFailure.empty()) return refuse(QString::fromStdString(bmp.openFailure));
    if (!bmp.ok()) return refuse(QString::fromStdString(DescribeBmpError(bmp.error)));
    if (bmp.image.Width() < BMP_MIN_SKIN_SIDE || bmp.image.Height() < BMP_MIN_SKIN_SIDE) {
        return refuse(QString::fromStdString(DescribeBmpError(BmpError::BadDimensions)));
    }
    m_bihSkin = bmp.image.header;
    const QImage image = ToImage(bmp.image);
    if (image.isNull()) return refuse(QStringLiteral("too large for the memory left"));

    // The window is exactly the bitmap's size, where it already stands. A
    // fixed size also tells a tiling compositor to float it at that size
    // rather than stretch it over its tile.
    setFixedSize(bmp.image.Width(), bmp.image.Height());

    // The window's shape: every pixel not of the transparent colour. A skin
    // without any opaque pixel keeps the whole rectangle rather than vanishing.
    m_rgnWindow = RegionFromSpans(BuildRegionSpans(bmp.image, skin.transparent));
    if (m_rgnWindow.isEmpty())
        clearMask();
    else
        setMask(m_rgnWindow);
    // Where the mask only says where the window takes input, the surround is
    // made transparent in the picture itself, so the same shape shows.
    if (!m_rgnWindow.isEmpty() && !CurrentDesktop().masksPicture) {
        const QImage cut = CutToRegion(image, m_rgnWindow);
        if (cut.isNull()) return refuse(QStringLiteral("too large for the memory left"));
        setAttribute(Qt::WA_OpaquePaintEvent, false);
        setAttribute(Qt::WA_TranslucentBackground);
        m_bmpSkin = QPixmap::fromImage(cut);
    } else {
        m_bmpSkin = QPixmap::fromImage(image);
    }

    // Where the display's lines, the signal level and the picture go.
    m_rcDisplay1 = skin.Display1();
    m_rcDisplay2 = skin.Display2();
    m_rcDisplay3 = skin.Display3();
    m_rcAntenna = skin.Antenna();
    m_rcPicture = skin.Picture();
    PlaceTextControls();

    // The buttons' rectangles, which the mouse is tested against.
    for (int i = 0; i < SKIN_BUTTON_COUNT; ++i) m_rcButton[i] = skin.Button(i);

    // The display's font, in the size the skin asks for.
    m_fontDisplay = MakeDisplayFont(skin.fontSize);
    for (QLabel* label : m_pText) label->setFont(m_fontDisplay);
    return true;
}

void CHandsetDlg::PlaceTextControls() {
    const SkinRect* rects[4] = {&m_rcDisplay1, &m_rcDisplay2, &m_rcDisplay3, &m_rcAntenna};
    for (int i = 0; i < 4; ++i) {
        m_pText[i]->setGeometry(ToQRect(*rects[i]));
        m_pText[i]->update();
    }
}

void CHandsetDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The skin is pixel art: on a scaled screen each of its pixels becomes a
    // block of device pixels, never a blend of its neighbours.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawPixmap(0, 0, m_bmpSkin);
    if (!m_bmpPicture.isNull()) {
        // Drawn from its top-left corner and cut to the picture area.
        const QRect area = ToQRect(m_rcPicture);
        const int width = std::min(area.width(), m_bmpPicture.width());
        const int height = std::min(area.height(), m_bmpPicture.height());
        if (width > 0 && height > 0)
            painter.drawImage(area.topLeft(), m_bmpPicture, QRect(0, 0, width, height));
    }
    PaintFocusAndPressed(painter);
}

void CHandsetDlg::SetPicture(int which) {
    m_nPictureShown = (which == 1 || which == 2) ? which : 0;
    const std::string value =
        which == 1 || which == 2 ? m_host.Skin().GetSkinString(which == 1 ? "PICTURE1" : "PICTURE2")
                                 : std::string();
    if (value.empty()) {
        m_host.SetPictureFile(QString());
        m_bmpPicture = QImage();
        return;
    }
    const QString pictureFile = m_host.SkinRelativePath(value);
    m_host.SetPictureFile(pictureFile);
    // A picture that cannot be read shows nothing, without a message.
    const BmpReadResult bmp = ReadPictureBmp(QFile::encodeName(pictureFile).toStdString());
    m_bmpPicture = bmp.ok() ? ToImage(bmp.image) : QImage();
}
