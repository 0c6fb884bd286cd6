#include "skin/picture/GifFrames.h"

namespace {

constexpr size_t kHeaderSize = 13;
constexpr size_t kGraphicControlLength = 8;
constexpr size_t kApplicationFixed = 14;
constexpr size_t kCommentFixed = 2;
constexpr size_t kPlainTextFixed = 15;
constexpr size_t kImageFixed = 11;  // descriptor (10) + LZW code size (1)

unsigned Byte(std::string_view data, size_t offset) { return static_cast<unsigned char>(data[offset]); }

// Callers have checked that offset + 1 is inside the data.
int Word(std::string_view data, size_t offset) { return static_cast<int>(Byte(data, offset) | (Byte(data, offset + 1) << 8)); }

void PutWord(std::string& out, size_t offset, int value) {
    out[offset] = static_cast<char>(value & 0xFF);
    out[offset + 1] = static_cast<char>((value >> 8) & 0xFF);
}

// Length of a sub-block chain starting at `offset`, terminator included, or
// 0 when the chain does not end within the data.
size_t SubBlocksLength(std::string_view data, size_t offset) {
    size_t at = offset;
    while (at < data.size()) {
        const size_t length = Byte(data, at);
        if (length == 0) return at + 1 - offset;
        at += 1 + length;
    }
    return 0;
}

// Fixed part + sub-blocks, or 0 when either runs past the end.
size_t WithSubBlocks(std::string_view data, size_t offset, size_t fixed) {
    if (fixed > data.size() - offset) return 0;
    const size_t chain = SubBlocksLength(data, offset + fixed);
    return chain == 0 ? 0 : fixed + chain;
}

}  // namespace

bool CGifFrames::IsGif(std::string_view data) { return data.starts_with("GIF87a") || data.starts_with("GIF89a"); }

std::optional<GifScreen> CGifFrames::ReadScreen(std::string_view data) {
    if (!IsGif(data) || data.size() < kHeaderSize) return std::nullopt;
    GifScreen screen;
    screen.width = Word(data, 6);
    screen.height = Word(data, 8);
    const unsigned packed = Byte(data, 10);
    if (packed & 0x80) screen.colourTableSize = 3u * (2u << (packed & 0x07));
    if (screen.colourTableSize > data.size() - kHeaderSize) return std::nullopt;
    return screen;
}

CGifFrames::CGifFrames(std::string_view data) : m_data(data), m_screen(ReadScreen(data)) {}

size_t CGifFrames::FirstBlock() const { return m_screen ? kHeaderSize + m_screen->colourTableSize : m_data.size(); }

GifBlock CGifFrames::KindAt(std::string_view data, size_t offset) {
    if (offset >= data.size()) return GifBlock::Unrecognised;
    const char first = data[offset];
    if (first == ',') return GifBlock::Image;
    if (first == ';') return GifBlock::Trailer;
    if (first != '!' || offset + 1 >= data.size()) return GifBlock::Unrecognised;
    switch (Byte(data, offset + 1)) {
    case 0xFF: return GifBlock::Application;
    case 0xFE: return GifBlock::Comment;
    case 0xF9: return GifBlock::GraphicControl;
    case 0x01: return GifBlock::PlainText;
    default: return GifBlock::Unrecognised;
    }
}

size_t CGifFrames::BlockLength(std::string_view data, size_t offset) {
    switch (KindAt(data, offset)) {
    case GifBlock::Application: return WithSubBlocks(data, offset, kApplicationFixed);
    case GifBlock::Comment: return WithSubBlocks(data, offset, kCommentFixed);
    case GifBlock::GraphicControl: return kGraphicControlLength <= data.size() - offset ? kGraphicControlLength : 0;
    case GifBlock::PlainText: return WithSubBlocks(data, offset, kPlainTextFixed);
    case GifBlock::Image: {
        if (kImageFixed > data.size() - offset) return 0;
        const unsigned packed = Byte(data, offset + 9);
        const size_t table = (packed & 0x80) ? 3u * (2u << (packed & 0x07)) : 0;
        if (table > data.size() - offset - kImageFixed) return 0;
        return WithSubBlocks(data, offset, kImageFixed + table);
    }
    case GifBlock::Trailer: return 1;
    case GifBlock::Unrecognised: return 0;
    }
    return 0;
}

std::optional<GifFrameInfo> CGifFrames::FindNextFrame(size_t offset, size_t& next) const {
    if (!m_screen) return std::nullopt;
    size_t at = offset;
    // Up to the first block that can start a frame.
    GifBlock kind = KindAt(m_data, at);
    while (kind == GifBlock::Application || kind == GifBlock::Comment) {
        const size_t length = BlockLength(m_data, at);
        if (length == 0) return std::nullopt;
        at += length;
        kind = KindAt(m_data, at);
    }
    GifFrameInfo frame;
    frame.start = at;
    if (kind == GifBlock::GraphicControl) {
        // The control extension that comes last before the image is the one
        // a decoder applies to it.
        while (kind == GifBlock::GraphicControl || kind == GifBlock::Application || kind == GifBlock::Comment) {
            const size_t length = BlockLength(m_data, at);
            if (length == 0) return std::nullopt;
            if (kind == GifBlock::GraphicControl) {
                frame.disposal = static_cast<int>((Byte(m_data, at + 3) >> 2) & 0x07);
                frame.delay = Word(m_data, at + 4);
            }
            at += length;
            kind = KindAt(m_data, at);
        }
    }
    if (kind != GifBlock::Image && kind != GifBlock::PlainText) return std::nullopt;
    const size_t length = BlockLength(m_data, at);
    if (length == 0) return std::nullopt;
    frame.imageOffset = at;
    frame.isImage = kind == GifBlock::Image;
    // An image descriptor holds its position and size at offsets 1 to 8; a
    // plain-text extension holds its text grid at offsets 3 to 10.
    const size_t geometry = frame.isImage ? at + 1 : at + 3;
    frame.left = Word(m_data, geometry);
    frame.top = Word(m_data, geometry + 2);
    frame.width = Word(m_data, geometry + 4);
    frame.height = Word(m_data, geometry + 6);
    frame.end = at + length;
    next = frame.end;
    return frame;
}

size_t CGifFrames::CountFrames(size_t limit) const {
    size_t count = 0;
    size_t at = FirstBlock();
    size_t next = 0;
    while (count < limit && FindNextFrame(at, next)) {
        ++count;
        at = next;
    }
    return count;
}

std::string CGifFrames::Cut(const GifFrameInfo& frame) const {
    if (!m_screen || frame.start > frame.end || frame.end > m_data.size()) return {};
    const size_t header = FirstBlock();
    std::string gif;
    gif.reserve(header + (frame.end - frame.start) + 1);
    gif.append(m_data.substr(0, header));
    gif.append(m_data.substr(frame.start, frame.end - frame.start));
    gif.push_back(';');
    PutWord(gif, 6, frame.width);
    PutWord(gif, 8, frame.height);
    if (frame.isImage) {
        const size_t image = header + (frame.imageOffset - frame.start);
        PutWord(gif, image + 1, 0);
        PutWord(gif, image + 3, 0);
    }
    return gif;
}

std::vector<GifCutFrame> CGifFrames::CutFrames(size_t limit) const {
    std::vector<GifCutFrame> frames;
    size_t at = FirstBlock();
    size_t next = 0;
    while (frames.size() < limit) {
        std::optional<GifFrameInfo> frame = FindNextFrame(at, next);
        if (!frame) break;
        frames.push_back({*frame, Cut(*frame)});
        at = next;
    }
    return frames;
}
