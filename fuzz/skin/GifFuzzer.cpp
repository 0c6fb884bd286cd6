// Walks and cuts arbitrary bytes as a GIF, then checks that every cut frame
// is itself a GIF with exactly that one frame, placed at the origin.

#include "skin/picture/GifFrames.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Most inputs start with the signature so that the walker is reached.
    std::string input(reinterpret_cast<const char*>(data), size);
    if (!input.empty() && (input[0] & 1)) input.replace(0, std::min<size_t>(6, input.size()), "GIF89a");
    const std::string_view bytes(input);

    const CGifFrames gif(bytes);
    if (!gif.Valid()) return 0;
    Require(gif.FirstBlock() <= bytes.size());
    const size_t counted = gif.CountFrames(64);
    const std::vector<GifCutFrame> frames = gif.CutFrames(64);
    Require(frames.size() == counted);
    for (const GifCutFrame& frame : frames) {
        Require(frame.info.start < frame.info.end && frame.info.end <= bytes.size());
        Require(frame.gif.size() == gif.FirstBlock() + (frame.info.end - frame.info.start) + 1);
        const CGifFrames piece(frame.gif);
        Require(piece.Valid());
        Require(piece.Screen().width == frame.info.width && piece.Screen().height == frame.info.height);
        size_t next = 0;
        const auto again = piece.FindNextFrame(piece.FirstBlock(), next);
        Require(again.has_value());
        Require(again->delay == frame.info.delay && again->disposal == frame.info.disposal);
        Require(again->width == frame.info.width && again->height == frame.info.height);
        if (again->isImage) Require(again->left == 0 && again->top == 0);
        Require(next + 1 == frame.gif.size());
    }
    return 0;
}
