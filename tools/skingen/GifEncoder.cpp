#include "GifEncoder.h"

#include <QHash>

#include <algorithm>
#include <unordered_map>

namespace {

void PutU16(QByteArray& out, int value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>((value >> 8) & 0xFF));
}

int ColourDistance(QRgb a, QRgb b) {
    const int dr = qRed(a) - qRed(b), dg = qGreen(a) - qGreen(b), db = qBlue(a) - qBlue(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

class BitWriter {
public:
    void Put(int code, int width) {
        m_accumulator |= static_cast<quint32>(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_bytes.append(static_cast<char>(m_accumulator & 0xFF));
            m_accumulator >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray Finish() {
        if (m_bits > 0) m_bytes.append(static_cast<char>(m_accumulator & 0xFF));
        m_accumulator = 0;
        m_bits = 0;
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    quint32 m_accumulator = 0;
    int m_bits = 0;
};

int TableBits(int colours) {
    int bits = 1;
    while ((1 << bits) < colours) ++bits;
    return bits;
}

}  // namespace

QVector<QRgb> BuildGifPalette(const QList<QImage>& frames) {
    QHash<QRgb, int> counts;
    for (const QImage& frame : frames) {
        const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < rgb.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
            for (int x = 0; x < rgb.width(); ++x) ++counts[line[x] | 0xFF000000u];
        }
    }
    QVector<QRgb> palette;
    if (counts.size() <= 256) {
        for (auto it = counts.cbegin(); it != counts.cend(); ++it) palette.append(it.key());
        std::sort(palette.begin(), palette.end());
        return palette;
    }
    // Popularity over cells of 5 bits per channel, each cell standing for
    // the average of its colours.
    struct Cell {
        qint64 r = 0, g = 0, b = 0, n = 0;
    };
    QHash<int, Cell> cells;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const QRgb c = it.key();
        Cell& cell = cells[((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3)];
        cell.r += qint64(qRed(c)) * it.value();
        cell.g += qint64(qGreen(c)) * it.value();
        cell.b += qint64(qBlue(c)) * it.value();
        cell.n += it.value();
    }
    QVector<std::pair<int, Cell>> ordered;
    for (auto it = cells.cbegin(); it != cells.cend(); ++it) ordered.append({it.key(), it.value()});
    std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
        return a.second.n != b.second.n ? a.second.n > b.second.n : a.first < b.first;
    });
    for (int i = 0; i < ordered.size() && palette.size() < 256; ++i) {
        const Cell& cell = ordered[i].second;
        palette.append(qRgb(int(cell.r / cell.n), int(cell.g / cell.n), int(cell.b / cell.n)));
    }
    return palette;
}

QByteArray GifLzwBlocks(const QByteArray& indices, int minCodeSize) {
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    BitWriter bits;
    std::unordered_map<int, int> table;
    int width = minCodeSize + 1;
    int next = endCode + 1;
    auto reset = [&] {
        table.clear();
        width = minCodeSize + 1;
        next = endCode + 1;
    };
    bits.Put(clearCode, width);
    if (!indices.isEmpty()) {
        int prefix = static_cast<unsigned char>(indices[0]);
        for (int i = 1; i < indices.size(); ++i) {
            const int pixel = static_cast<unsigned char>(indices[i]);
            const int key = (prefix << 8) | pixel;
            const auto found = table.find(key);
            if (found != table.end()) {
                prefix = found->second;
                continue;
            }
            bits.Put(prefix, width);
            table.emplace(key, next++);
            if (next - 1 >= (1 << width) && width < 12) ++width;
            if (next - 1 == 4095) {
                bits.Put(clearCode, width);
                reset();
            }
            prefix = pixel;
        }
        bits.Put(prefix, width);
    }
    // A clear code first, so the end code goes out at the start width.
    bits.Put(clearCode, width);
    bits.Put(endCode, minCodeSize + 1);
    const QByteArray data = bits.Finish();

    QByteArray out;
    out.append(static_cast<char>(minCodeSize));
    for (int at = 0; at < data.size(); at += 255) {
        const int count = std::min(255, int(data.size()) - at);
        out.append(static_cast<char>(count));
        out.append(data.mid(at, count));
    }
    out.append('\0');
    return out;
}

QByteArray EncodeAnimatedGif(const QList<QImage>& frames, int delay) {
    if (frames.isEmpty()) return {};
    const int width = frames.first().width(), height = frames.first().height();
    const QVector<QRgb> palette = BuildGifPalette(frames);
    const int bits = TableBits(std::max<int>(2, palette.size()));

    QByteArray out("GIF89a");
    PutU16(out, width);
    PutU16(out, height);
    out.append(static_cast<char>(0x80 | (7 << 4) | (bits - 1)));  // global table, 8-bit colour resolution
    out.append('\0');                                               // background colour index
    out.append('\0');                                               // pixel aspect ratio
    for (int i = 0; i < (1 << bits); ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        out.append(static_cast<char>(qRed(c)));
        out.append(static_cast<char>(qGreen(c)));
        out.append(static_cast<char>(qBlue(c)));
    }
    if (frames.size() > 1) {
        out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
        PutU16(out, 0);  // loop for ever
        out.append('\0');
    }

    QHash<QRgb, int> nearest;
    for (const QImage& frame : frames) {
        out.append("\x21\xF9\x04", 3);
        out.append(static_cast<char>(1 << 2));  // disposal 1: leave the frame in place
        PutU16(out, delay);
        out.append('\0');  // no transparent index
        out.append('\0');

        out.append(',');
        PutU16(out, 0);
        PutU16(out, 0);
        PutU16(out, width);
        PutU16(out, height);
        out.append('\0');  // no local table, not interlaced

        const QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
        QByteArray indices;
        indices.reserve(width * height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const QRgb c = (x < rgb.width() && y < rgb.height() ? rgb.pixel(x, y) : palette.first()) | 0xFF000000u;
                auto it = nearest.find(c);
                if (it == nearest.end()) {
                    int best = 0;
                    for (int i = 1; i < palette.size(); ++i)
                        if (ColourDistance(c, palette[i]) < ColourDistance(c, palette[best])) best = i;
                    it = nearest.insert(c, best);
                }
                indices.append(static_cast<char>(it.value()));
            }
        }
        out.append(GifLzwBlocks(indices, std::max(2, bits)));
    }
    out.append(';');
    return out;
}
