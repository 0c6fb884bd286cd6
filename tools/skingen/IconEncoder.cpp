#include "IconEncoder.h"

namespace {

void PutU16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}
void PutU32(QByteArray& out, quint32 value) {
    PutU16(out, int(value & 0xFFFF));
    PutU16(out, int(value >> 16));
}

QByteArray IconImage(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int w = image.width(), h = image.height();
    const int maskStride = ((w + 31) / 32) * 4;
    QByteArray out;
    PutU32(out, 40);
    PutU32(out, quint32(w));
    PutU32(out, quint32(2 * h));  // colour rows and mask rows
    PutU16(out, 1);
    PutU16(out, 32);
    PutU32(out, 0);  // uncompressed
    PutU32(out, quint32(w * h * 4 + maskStride * h));
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    PutU32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            out.append(static_cast<char>(qBlue(c)));
            out.append(static_cast<char>(qGreen(c)));
            out.append(static_cast<char>(qRed(c)));
            out.append(static_cast<char>(qAlpha(c)));
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(image.pixel(x, y)) == 0) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

}  // namespace

QByteArray EncodeIcon(const QList<QImage>& images) {
    QByteArray header;
    PutU16(header, 0);
    PutU16(header, 1);
    PutU16(header, int(images.size()));
    QList<QByteArray> bodies;
    for (const QImage& image : images) bodies.append(IconImage(image));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (int i = 0; i < images.size(); ++i) {
        header.append(static_cast<char>(images[i].width() >= 256 ? 0 : images[i].width()));
        header.append(static_cast<char>(images[i].height() >= 256 ? 0 : images[i].height()));
        header.append('\0');  // no palette
        header.append('\0');
        PutU16(header, 1);
        PutU16(header, 32);
        PutU32(header, quint32(bodies[i].size()));
        PutU32(header, offset);
        offset += quint32(bodies[i].size());
    }
    for (const QByteArray& body : bodies) header.append(body);
    return header;
}
