#include "skin/controls/SkinImage.h"

#include "common/Trace.h"

#include <QBitmap>

QImage LoadSkinImage(const std::string& path, const char* caller)
{
    if (path.empty())
        return {};
    const auto dib = LoadBitmapFile(path);
    if (!dib) {
        Trace("%s : cannot load bitmap [%s]", caller, path.c_str());
        return {};
    }
    return dib->ToImage();
}

namespace {

QPixmap MaskedByRgb(const QImage& image, QRgb key)
{
    if (image.isNull())
        return {};
    const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
    QPixmap pixmap = QPixmap::fromImage(opaque);
    pixmap.setMask(QBitmap::fromImage(opaque.createMaskFromColor(key, Qt::MaskInColor)));
    return pixmap;
}

}  // namespace

QPixmap KeyedPixmap(const QImage& image, ColorRef key)
{
    return MaskedByRgb(image, qRgb(int(RedOf(key)), int(GreenOf(key)), int(BlueOf(key))));
}

QPixmap PixelKeyedPixmap(const QImage& image, int x, int y)
{
    if (image.isNull())
        return {};
    if (!image.valid(x, y))
        return QPixmap::fromImage(image);
    return MaskedByRgb(image, image.pixel(x, y) | 0xFF000000u);
}
