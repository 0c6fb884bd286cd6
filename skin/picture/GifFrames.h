#pragma once
// The GIF block walker and frame cutter of the animated picture. It decodes
// nothing: it walks the file's block chain, finds each frame (its graphic
// control extension and its image) and glues the frame's blocks to the
// file's header and global colour table, giving a small one-frame GIF that
// any picture loader reads. Every read is checked against the data's end,
// and the number of frames it hands out is capped, so a truncated or hostile
// file costs at most a bounded amount of memory.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class GifBlock {
    Application,     // "!" 0xFF
    Comment,         // "!" 0xFE
    GraphicControl,  // "!" 0xF9
    PlainText,       // "!" 0x01
    Image,           // ","
    Trailer,         // ";"
    Unrecognised,
};

// The delay of a frame that has no graphic control extension: it stays
// until the animation is stopped.
inline constexpr int kGifNoDelay = -1;

// The most frames taken from one file; an animation for a skin's picture
// area never comes near it.
inline constexpr size_t kMaxGifFrames = 1024;

struct GifScreen {
    int width = 0;              // logical screen width (offset 6)
    int height = 0;             // logical screen height (offset 8)
    size_t colourTableSize = 0; // bytes of the global colour table, 0 when none
};

// Where a frame sits in the file and how it is shown.
struct GifFrameInfo {
    size_t start = 0;  // first byte of its graphic control extension, or of the image
    size_t end = 0;    // one past its image block
    size_t imageOffset = 0;
    bool isImage = true;  // false for a plain-text extension
    int left = 0, top = 0, width = 0, height = 0;
    int delay = kGifNoDelay;  // hundredths of a second
    int disposal = 0;         // bits 2 to 4 of the control extension's packed byte
};

// A frame cut out as a complete one-frame GIF.
struct GifCutFrame {
    GifFrameInfo info;
    std::string gif;
};

class CGifFrames {
public:
    // Whether the data starts with "GIF87a" or "GIF89a".
    static bool IsGif(std::string_view data);
    // The logical screen and the global colour table, or nullopt when the
    // header or the table runs past the data's end.
    static std::optional<GifScreen> ReadScreen(std::string_view data);

    explicit CGifFrames(std::string_view data);

    bool Valid() const { return m_screen.has_value(); }
    const GifScreen& Screen() const { return *m_screen; }
    // Offset of the first block after the header and global colour table.
    size_t FirstBlock() const;

    static GifBlock KindAt(std::string_view data, size_t offset);
    // Length of the block at `offset` including its sub-blocks, or 0 when the
    // block is unrecognised or does not end within the data.
    static size_t BlockLength(std::string_view data, size_t offset);

    // Finds the next frame from `offset`; on success `next` is the offset
    // after the frame's image block.
    std::optional<GifFrameInfo> FindNextFrame(size_t offset, size_t& next) const;
    // Counts frames from the first block, at most `limit`.
    size_t CountFrames(size_t limit = kMaxGifFrames) const;
    // Cuts every frame from the first block, at most `limit` of them.
    std::vector<GifCutFrame> CutFrames(size_t limit = kMaxGifFrames) const;
    // The one-frame GIF of a frame found by FindNextFrame: the header with
    // the logical screen set to the frame's size, the global colour table,
    // the frame's blocks with the image moved to (0, 0), and the trailer.
    // Sizing the cut picture to its frame keeps a loader from allocating
    // the whole logical screen for every small frame.
    std::string Cut(const GifFrameInfo& frame) const;

private:
    std::string_view m_data;
    std::optional<GifScreen> m_screen;
};
