#include "common/Bitmap.h"

#include "platform/AtomicFile.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>
#include <utility>

namespace {

constexpr int kMaxSide = 16384;

class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
    bool Has(size_t offset, size_t count) const { return offset <= m_bytes.size() && count <= m_bytes.size() - offset; }
    std::uint32_t U8(size_t o) const { return static_cast<unsigned char>(m_bytes[o]); }
    std::uint32_t U16(size_t o) const { return U8(o) | (U8(o + 1) << 8); }
    std::uint32_t U32(size_t o) const { return U16(o) | (U16(o + 2) << 16); }
    std::int32_t I32(size_t o) const { return static_cast<std::int32_t>(U32(o)); }
    const char* At(size_t o) const { return m_bytes.data() + o; }

private:
    std::string_view m_bytes;
};

int MaskShift(std::uint32_t mask) { return mask ? std::countr_zero(mask) : 0; }
int MaskBits(std::uint32_t mask) { return mask ? std::popcount(mask) : 0; }

unsigned Channel(std::uint32_t pixel, std::uint32_t mask) {
    if (!mask) return 0;
    const std::uint32_t value = (pixel & mask) >> MaskShift(mask);
    const int bits = MaskBits(mask);
    if (bits >= 8) return value >> (bits - 8);
    // Spread the bits over 0..255.
    return static_cast<unsigned>((value * 255u + ((1u << bits) - 1) / 2) / ((1u << bits) - 1));
}

}  // namespace

std::optional<CDib> ParseBitmap(std::string_view bytes) {
    Reader in(bytes);
    if (!in.Has(0, 14 + 12) || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
    const std::uint32_t pixelOffset = in.U32(10);
    const std::uint32_t headerSize = in.U32(14);
    if (!in.Has(14, headerSize) || headerSize < 12) return std::nullopt;

    std::int64_t width = 0, height = 0;
    std::uint32_t bpp = 0, compression = 0, colorsUsed = 0;
    size_t paletteOffset = 14 + headerSize;
    size_t paletteEntrySize = 4;
    CDib dib;
    if (headerSize == 12) {  // OS/2 core header
        width = in.U16(18);
        height = in.U16(20);
        bpp = in.U16(24);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 40) return std::nullopt;
        width = in.I32(18);
        height = in.I32(22);
        bpp = in.U16(28);
        compression = in.U32(30);
        colorsUsed = in.U32(46);
        if (compression == 3 /* BI_BITFIELDS */) {
            size_t maskOffset = 14 + 40;
            if (headerSize == 40) paletteOffset += 12;  // masks follow the header
            if (!in.Has(maskOffset, 12)) return std::nullopt;
            dib.redMask = in.U32(maskOffset);
            dib.greenMask = in.U32(maskOffset + 4);
            dib.blueMask = in.U32(maskOffset + 8);
        } else if (compression != 0 /* BI_RGB */) {
            return std::nullopt;  // run-length and embedded formats are not skin bitmaps
        }
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return std::nullopt;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return std::nullopt;
    if (compression == 3 && bpp != 16 && bpp != 32) return std::nullopt;
    if (compression == 0 && bpp == 16) {
        dib.redMask = 0x7C00;
        dib.greenMask = 0x03E0;
        dib.blueMask = 0x001F;
    } else if (compression == 0 && bpp == 32) {
        dib.redMask = 0x00FF0000;
        dib.greenMask = 0x0000FF00;
        dib.blueMask = 0x000000FF;
    }

    if (bpp <= 8) {
        std::uint32_t count = colorsUsed ? colorsUsed : (1u << bpp);
        count = std::min<std::uint32_t>(count, 1u << bpp);
        if (!in.Has(paletteOffset, static_cast<size_t>(count) * paletteEntrySize)) return std::nullopt;
        dib.palette.resize(1u << bpp, 0);
        for (std::uint32_t i = 0; i < count; ++i) {
            const size_t o = paletteOffset + i * paletteEntrySize;
            dib.palette[i] = (in.U8(o + 2) << 16) | (in.U8(o + 1) << 8) | in.U8(o);
        }
    }

    const size_t fileStride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
    if (!in.Has(pixelOffset, fileStride * static_cast<size_t>(height))) return std::nullopt;

    dib.width = static_cast<int>(width);
    dib.height = static_cast<int>(height);
    dib.bitsPerPixel = bpp < 8 ? 8 : static_cast<int>(bpp);
    dib.stride = bpp < 8 ? dib.width : static_cast<int>(fileStride);
    dib.pixels.resize(static_cast<size_t>(dib.stride) * static_cast<size_t>(dib.height));
    for (int y = 0; y < dib.height; ++y) {
        const int fileRow = topDown ? y : dib.height - 1 - y;
        const char* src = in.At(pixelOffset + static_cast<size_t>(fileRow) * fileStride);
        std::uint8_t* dst = dib.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(dib.stride);
        if (bpp >= 8) {
            std::memcpy(dst, src, fileStride);
            continue;
        }
        const int perByte = 8 / static_cast<int>(bpp);
        const unsigned mask = (1u << bpp) - 1;
        for (int x = 0; x < dib.width; ++x) {
            const auto byte = static_cast<unsigned char>(src[x / perByte]);
            const int shift = 8 - static_cast<int>(bpp) * (x % perByte + 1);
            dst[x] = static_cast<std::uint8_t>((byte >> shift) & mask);
        }
    }
    return dib;
}

std::optional<CDib> LoadBitmapFile(const std::filesystem::path& path) {
    std::string bytes;
    if (!tonvik::platform::ReadWholeFile(path, bytes)) return std::nullopt;
    return ParseBitmap(bytes);
}

QImage CDib::ToImage() const {
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) return image;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* src = Row(y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            switch (bitsPerPixel) {
            case 8: {
                const std::uint32_t c = src[x] < palette.size() ? palette[src[x]] : 0;
                dst[x] = qRgb((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
                break;
            }
            case 16: {
                const std::uint32_t p = src[2 * x] | (src[2 * x + 1] << 8);
                dst[x] = qRgb(Channel(p, redMask), Channel(p, greenMask), Channel(p, blueMask));
                break;
            }
            case 24:
                dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            default: {
                const std::uint32_t p = src[4 * x] | (src[4 * x + 1] << 8) | (src[4 * x + 2] << 16) |
                                        (static_cast<std::uint32_t>(src[4 * x + 3]) << 24);
                dst[x] = qRgb(Channel(p, redMask), Channel(p, greenMask), Channel(p, blueMask));
                break;
            }
            }
        }
    }
    return image;
}

namespace {

// Whether pixel x of a row is opaque, for each bit depth.
class KeyTest {
public:
    KeyTest(const CDib& dib, ColorRef key) : m_dib(dib) {
        const unsigned r = RedOf(key), g = GreenOf(key), b = BlueOf(key);
        m_key16 = ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
        m_key24 = (r << 16) | (g << 8) | b;  // as the bytes B, G, R read little-endian
    }
    bool Opaque(const std::uint8_t* row, int x) const {
        auto byte = [row](int i) { return static_cast<std::uint32_t>(row[i]); };
        switch (m_dib.bitsPerPixel) {
        case 8: {
            const std::uint32_t entry = row[x] < m_dib.palette.size() ? m_dib.palette[row[x]] : 0;
            return entry != m_key24;
        }
        case 16:
            return (byte(2 * x) | (byte(2 * x + 1) << 8)) != m_key16;
        case 24:
            return (byte(3 * x) | (byte(3 * x + 1) << 8) | (byte(3 * x + 2) << 16)) != m_key24;
        default:
            // The fourth byte is unused or alpha; the key is a colour.
            return (byte(4 * x) | (byte(4 * x + 1) << 8) | (byte(4 * x + 2) << 16)) != m_key24;
        }
    }

private:
    const CDib& m_dib;
    std::uint32_t m_key16 = 0;
    std::uint32_t m_key24 = 0;
};

}  // namespace

QRegion BitmapToRegion(const CDib& bitmap, ColorRef transparent) {
    if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.pixels.empty()) return {};
    const KeyTest test(bitmap, transparent);

    // QRegion wants its rectangles in bands: rows with the same runs are
    // merged into one band of several rows.
    using Runs = std::vector<std::pair<int, int>>;  // [left, right)
    std::vector<QRect> rects;
    Runs band, row;
    int bandTop = 0;
    auto flush = [&](int bandBottom) {
        for (const auto& [left, right] : band) rects.emplace_back(QPoint(left, bandTop), QPoint(right - 1, bandBottom - 1));
    };
    for (int y = 0; y < bitmap.height; ++y) {
        row.clear();
        const std::uint8_t* pixels = bitmap.Row(y);
        int x = 0;
        while (x < bitmap.width) {
            while (x < bitmap.width && !test.Opaque(pixels, x)) ++x;
            const int left = x;
            while (x < bitmap.width && test.Opaque(pixels, x)) ++x;
            if (x > left) row.emplace_back(left, x);
        }
        if (row != band) {
            flush(y);
            band.swap(row);
            bandTop = y;
        }
    }
    flush(bitmap.height);

    QRegion region;
    if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}
