#include "tests/skin/picture/GifTestFiles.h"

#include "GifEncoder.h"

#include <QBuffer>
#include <QImage>

#include <cstdlib>

namespace {

void PutWord(std::string& out, int value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

std::string GifHeader(QSize screen) {
    std::string out = "GIF89a";
    PutWord(out, screen.width());
    PutWord(out, screen.height());
    out.push_back(static_cast<char>(0x80 | 0x70 | 0x01));  // global table of 4 entries
    out.push_back('\0');
    out.push_back('\0');
    for (const QColor& colour : {kGifBlack, kGifRed, kGifGreen, kGifBlue}) {
        out.push_back(static_cast<char>(colour.red()));
        out.push_back(static_cast<char>(colour.green()));
        out.push_back(static_cast<char>(colour.blue()));
    }
    return out;
}

std::string GifControl(int delay, int disposal) {
    std::string out("\x21\xF9\x04", 3);
    out.push_back(static_cast<char>((disposal & 0x07) << 2));
    PutWord(out, delay);
    out.push_back('\0');
    out.push_back('\0');
    return out;
}

std::string GifImage(const QRect& rect, TestColour colour) {
    std::string out(",");
    PutWord(out, rect.left());
    PutWord(out, rect.top());
    PutWord(out, rect.width());
    PutWord(out, rect.height());
    out.push_back('\0');
    const QByteArray indices(static_cast<qsizetype>(rect.width()) * rect.height(), static_cast<char>(colour));
    const QByteArray blocks = GifLzwBlocks(indices, 2);  // code size byte and sub-blocks
    out.append(blocks.constData(), static_cast<size_t>(blocks.size()));
    return out;
}

std::string BuildGif(QSize screen, const std::vector<TestFrame>& frames) {
    std::string out = GifHeader(screen);
    for (const TestFrame& frame : frames) {
        if (frame.control) out += GifControl(frame.delay, frame.disposal);
        out += GifImage(frame.rect, frame.colour);
    }
    out.push_back(';');
    return out;
}

std::string EncodeStill(QSize size, QColor colour, const char* format) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

bool SameColour(QColor a, QColor b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}
