#include "skin/controls/SkinImage.h"

#include "common/Trace.h"

#include <QBitmap>
#include <QGuiApplication>

#include <cmath>

namespace {

constexpr qreal kDoubleSizeFrom = 1.5;

bool SameRatio(qreal a, qreal b) { return std::abs(a - b) < 0.01; }

QRgb KeyRgb(ColorRef key) { return qRgb(int(RedOf(key)), int(GreenOf(key)), int(BlueOf(key))); }

std::optional<QImage> ReadBitmap(const std::string& path)
{
    const auto dib = LoadBitmapFile(path);
    if (!dib)
        return std::nullopt;
    return dib->ToImage();
}

// Opaque key pixels made fully transparent (premultiplied), the rest kept.
QImage KeyToAlpha(const QImage& image, QRgb key)
{
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb opaqueKey = key | 0xFF000000u;
    for (int y = 0; y < out.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] | 0xFF000000u) == opaqueKey)
                row[x] = 0;
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage Resampled(const QImage& image, qreal ratio)
{
    const QSize layout = LayoutSize(image);
    const QSize device(int(std::lround(layout.width() * ratio)), int(std::lround(layout.height() * ratio)));
    QImage out = image.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    out.setDevicePixelRatio(ratio);
    return out;
}

// A resampled keyed picture made opaque again: partly covered pixels take
// their own colour at full strength (the mean of the non-key pixels that
// made them), empty ones the colour of a covered neighbour, and only
// pixels far from any take the key.
QImage Flattened(const QImage& premultiplied, QRgb key)
{
    QImage colours = premultiplied.convertToFormat(QImage::Format_ARGB32);
    const int w = colours.width(), h = colours.height();
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(colours.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qAlpha(row[x]) == 0 ? 0 : (row[x] | 0xFF000000u);
    }
    // Two rounds of growing the covered pixels into the empty ones: the
    // window's region is cut at layout size, so up to a device pixel
    // inside it may be empty at a ratio of 2.
    for (int round = 0; round < 2; ++round) {
        const QImage before = colours;
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(colours.scanLine(y));
            for (int x = 0; x < w; ++x) {
                if (qAlpha(row[x]) != 0)
                    continue;
                int r = 0, g = 0, b = 0, n = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= w || ny >= h)
                            continue;
                        const QRgb c = reinterpret_cast<const QRgb*>(before.constScanLine(ny))[nx];
                        if (qAlpha(c) == 0)
                            continue;
                        r += qRed(c), g += qGreen(c), b += qBlue(c), ++n;
                    }
                if (n > 0)
                    row[x] = qRgb(r / n, g / n, b / n);
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(colours.scanLine(y));
        for (int x = 0; x < w; ++x)
            if (qAlpha(row[x]) == 0)
                row[x] = key | 0xFF000000u;
    }
    QImage out = colours.convertToFormat(QImage::Format_RGB32);
    out.setDevicePixelRatio(premultiplied.devicePixelRatio());
    return out;
}

QPixmap MaskedByRgb(const QImage& image, QRgb key, qreal ratio)
{
    if (image.isNull())
        return {};
    if (SameRatio(ratio, 1) && SameRatio(image.devicePixelRatio(), 1)) {
        const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
        QPixmap pixmap = QPixmap::fromImage(opaque);
        pixmap.setMask(QBitmap::fromImage(opaque.createMaskFromColor(key, Qt::MaskInColor)));
        return pixmap;
    }
    // See-through by alpha, so that resampling gives soft edges and no
    // trace of the key colour.
    QImage keyed = KeyToAlpha(image, key);
    keyed.setDevicePixelRatio(image.devicePixelRatio());
    return QPixmap::fromImage(SameRatio(keyed.devicePixelRatio(), ratio) ? keyed : Resampled(keyed, ratio));
}

}  // namespace

qreal ScreenPictureRatio()
{
    return qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
}

std::string DoubleSizeFile(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return path + "@2x";
    return path.substr(0, dot) + "@2x" + path.substr(dot);
}

QSize LayoutSize(const QImage& image) { return image.deviceIndependentSize().toSize(); }
QSize LayoutSize(const QPixmap& pixmap) { return pixmap.deviceIndependentSize().toSize(); }

QImage LoadSkinImage(const std::string& path, const char* caller, qreal ratio)
{
    if (path.empty())
        return {};
    std::optional<QImage> image = ReadBitmap(path);
    if (!image) {
        Trace("%s : cannot load bitmap [%s]", caller, path.c_str());
        return {};
    }
    if (ratio >= kDoubleSizeFrom) {
        const std::string twinFile = DoubleSizeFile(path);
        if (std::optional<QImage> twin = ReadBitmap(twinFile)) {
            if (twin->size() == image->size() * 2) {
                twin->setDevicePixelRatio(2);
                return *twin;
            }
            Trace("%s : [%s] is not twice the size of its picture", caller, twinFile.c_str());
        }
    }
    return *image;
}

QImage ScreenPicture(const QImage& image, qreal ratio, std::optional<ColorRef> key)
{
    if (image.isNull())
        return image;
    const bool matches = SameRatio(image.devicePixelRatio(), ratio);
    if (!key)
        return matches ? image : Resampled(image, ratio);
    if (matches && SameRatio(ratio, 1))
        return image;
    QImage keyed = KeyToAlpha(image, KeyRgb(*key));
    keyed.setDevicePixelRatio(image.devicePixelRatio());
    return Flattened(matches ? keyed : Resampled(keyed, ratio), KeyRgb(*key));
}

QPixmap KeyedPixmap(const QImage& image, ColorRef key, qreal ratio)
{
    return MaskedByRgb(image, KeyRgb(key), ratio);
}

QPixmap PixelKeyedPixmap(const QImage& image, int x, int y, qreal ratio)
{
    if (image.isNull())
        return {};
    const int scale = int(std::lround(image.devicePixelRatio()));
    if (!image.valid(x * scale, y * scale))
        return QPixmap::fromImage(ScreenPicture(image, ratio));
    return MaskedByRgb(image, image.pixel(x * scale, y * scale) | 0xFF000000u, ratio);
}
