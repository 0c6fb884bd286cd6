// Feeds arbitrary bytes to the lyric model and asks for the line at many
// positions. The first bytes double as song id and name, all of them as the
// lyric text. Aborts when the table breaks one of its promises.

#include "lyrics/LyricModel.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void CheckPosition(const LyricModel& model, uint32_t position) {
    const LinePosition found = model.FindLineAt(position);
    if (found.index < 0) return;
    Require(found.index < model.displayCount());
    Require(found.duration > 0);
    Require(found.elapsed < found.duration);
    const auto& lines = model.displayLines();
    Require(lines[static_cast<size_t>(found.index)].start <= position);
    Require(lines[static_cast<size_t>(found.index) + 1].start > position);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view head = bytes.substr(0, 160);
    LyricModel model;
    model.SetLyric(head, head, bytes);

    Require(model.songId().size() <= kMaxSongText);
    Require(model.sourceLines().size() <= static_cast<size_t>(kMaxSourceLines));
    Require(model.timeRows().size() == model.textLines().size());
    Require(!model.FindEarliest());  // the build took every time into the table
    const auto& lines = model.displayLines();
    Require(lines.size() == static_cast<size_t>(model.displayCount()) + 1);
    Require(lines.back().text == " ");

    bool timed = false;
    for (int i = 0; i < model.displayCount(); ++i) {
        const uint32_t start = lines[static_cast<size_t>(i)].start;
        if (!IsStartTime(start)) continue;
        timed = true;
        if (i > 0 && IsStartTime(lines[static_cast<size_t>(i) - 1].start))
            Require(lines[static_cast<size_t>(i) - 1].start <= start);
    }
    Require(model.hasTiming() == timed);

    CheckPosition(model, 0);
    CheckPosition(model, 0xFFFFFFFFu);
    for (const DisplayLine& line : lines) {
        CheckPosition(model, line.start - 1);
        CheckPosition(model, line.start);
        CheckPosition(model, line.start + 1);
    }
    return 0;
}
