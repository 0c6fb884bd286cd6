#pragma once
// Device-independent bitmaps read from BMP files in their own bit depth, and
// the window region of a skinned window: every pixel that is not the key
// colour.

#include <QImage>
#include <QRegion>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

// A colour as Windows stores it: 0x00BBGGRR.
using ColorRef = std::uint32_t;
constexpr ColorRef Rgb(unsigned r, unsigned g, unsigned b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
constexpr unsigned RedOf(ColorRef c) { return c & 0xFF; }
constexpr unsigned GreenOf(ColorRef c) { return (c >> 8) & 0xFF; }
constexpr unsigned BlueOf(ColorRef c) { return (c >> 16) & 0xFF; }

struct CDib {
    int width = 0;
    int height = 0;
    // 8, 16, 24 or 32. Files of 1 and 4 bits per pixel are unpacked to 8.
    int bitsPerPixel = 0;
    // Palette entries as 0x00RRGGBB (8 bits per pixel only).
    std::vector<std::uint32_t> palette;
    // Channel masks of 16 and 32-bit pixels (5-5-5 unless the file says otherwise).
    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    // Pixel rows from the top, `stride` bytes apart, as stored in the file.
    int stride = 0;
    std::vector<std::uint8_t> pixels;

    const std::uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(stride); }
    // The picture for drawing (32-bit RGB).
    QImage ToImage() const;
};

// Reads a BMP file held in memory; nullopt for anything it cannot read
// safely (truncated data, compressed pixels, absurd sizes).
std::optional<CDib> ParseBitmap(std::string_view bytes);
// Loads a BMP file from disk (not from resources), or nullopt.
std::optional<CDib> LoadBitmapFile(const std::filesystem::path& path);

// The region of every pixel that differs from `transparent`: for each row
// from the top, each maximal run of such pixels becomes one rectangle.
// 16-bit pixels are compared with the colour packed as 5-6-5 (red high),
// 8-bit pixels through their palette entry, 24 and 32-bit pixels by their
// red, green and blue bytes.
QRegion BitmapToRegion(const CDib& bitmap, ColorRef transparent);
