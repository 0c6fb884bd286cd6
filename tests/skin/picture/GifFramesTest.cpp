// The GIF block walker and frame cutter, without any widget: frames found
// in generated files, the pieces they are cut into, and hostile files.

#include "skin/picture/GifFrames.h"
#include "skin/picture/PictureAnimation.h"
#include "tests/skin/picture/GifTestFiles.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

using namespace std::string_literals;

QImage Decode(const std::string& gif) {
    return QImage::fromData(reinterpret_cast<const uchar*>(gif.data()), static_cast<int>(gif.size()), "GIF");
}

const std::vector<TestFrame> kFourFrames = {
    {QRect(0, 0, 16, 12), kRed, 5, 1},
    {QRect(2, 3, 4, 5), kGreen, 30, 2},
    {QRect(8, 6, 8, 6), kBlue, 0, 3},
    {QRect(0, 0, 16, 12), kBlack, 0, 0, false},
};

TEST(GifFramesTest, FindsEveryFrameWithItsDelayDisposalAndPlace) {
    const std::string file = BuildGif(QSize(16, 12), kFourFrames);
    const CGifFrames gif(file);
    ASSERT_TRUE(gif.Valid());
    EXPECT_EQ(gif.Screen().width, 16);
    EXPECT_EQ(gif.Screen().height, 12);
    EXPECT_EQ(gif.Screen().colourTableSize, 12u);
    EXPECT_EQ(gif.FirstBlock(), 25u);
    EXPECT_EQ(gif.CountFrames(), 4u);

    const std::vector<GifCutFrame> frames = gif.CutFrames();
    ASSERT_EQ(frames.size(), 4u);
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        const TestFrame& made = kFourFrames[i];
        const GifFrameInfo& info = frames[i].info;
        EXPECT_EQ(QRect(info.left, info.top, info.width, info.height), made.rect);
        EXPECT_EQ(info.delay, made.control ? made.delay : kGifNoDelay);
        EXPECT_EQ(info.disposal, made.control ? made.disposal : 0);
        EXPECT_TRUE(info.isImage);
    }
}

TEST(GifFramesTest, EachCutFrameIsAOneFrameGifOfTheFrameItself) {
    const std::string file = BuildGif(QSize(16, 12), kFourFrames);
    const std::vector<GifCutFrame> frames = CGifFrames(file).CutFrames();
    ASSERT_EQ(frames.size(), 4u);
    const QColor colours[] = {kGifBlack, kGifRed, kGifGreen, kGifBlue};
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        const std::string& piece = frames[i].gif;
        EXPECT_TRUE(piece.starts_with(file.substr(0, 6)));
        EXPECT_EQ(piece.back(), ';');
        const CGifFrames again(piece);
        ASSERT_TRUE(again.Valid());
        EXPECT_EQ(again.CountFrames(), 1u);
        const QImage image = Decode(piece);
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.size(), kFourFrames[i].rect.size());
        EXPECT_TRUE(SameColour(image.pixelColor(0, 0), colours[kFourFrames[i].colour]));
        EXPECT_TRUE(SameColour(image.pixelColor(image.width() - 1, image.height() - 1), colours[kFourFrames[i].colour]));
    }
}

TEST(GifFramesTest, SkipsApplicationAndCommentBlocksAndTakesTheLastControlExtension) {
    std::string file = GifHeader(QSize(4, 4));
    file += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    file += std::string("\x21\xFE\x05hello\x00", 9);
    file += GifControl(7, 2);
    file += std::string("\x21\xFE\x02hi\x00", 6);
    file += GifControl(9, 3);
    file += GifImage(QRect(0, 0, 4, 4), kRed);
    file += GifImage(QRect(1, 1, 2, 2), kBlue);
    file += ";";
    const std::vector<GifCutFrame> frames = CGifFrames(file).CutFrames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].info.delay, 9);
    EXPECT_EQ(frames[0].info.disposal, 3);
    EXPECT_EQ(frames[1].info.delay, kGifNoDelay);
    EXPECT_FALSE(Decode(frames[0].gif).isNull());
}

TEST(GifFramesTest, AnUnrecognisedBlockEndsTheSearchKeepingEarlierFrames) {
    std::string file = GifHeader(QSize(4, 4));
    file += GifImage(QRect(0, 0, 4, 4), kRed);
    file += GifImage(QRect(0, 0, 4, 4), kGreen);
    file += "\x21\x42 junk";
    file += GifImage(QRect(0, 0, 4, 4), kBlue);
    file += ";";
    EXPECT_EQ(CGifFrames(file).CountFrames(), 2u);
}

TEST(GifFramesTest, BlockLengthsFollowTheBlockKinds) {
    const std::string image = GifImage(QRect(0, 0, 3, 3), kRed);
    EXPECT_EQ(CGifFrames::BlockLength(image, 0), image.size());
    EXPECT_EQ(CGifFrames::BlockLength(GifControl(1, 1), 0), 8u);
    EXPECT_EQ(CGifFrames::BlockLength(";", 0), 1u);
    EXPECT_EQ(CGifFrames::BlockLength(std::string("\x21\xFE\x01x\x00", 5), 0), 5u);
    // A local colour table of 2^(1+1) entries sits before the image data.
    std::string local = image;
    local[9] = static_cast<char>(0x81);
    local.insert(10, std::string(12, '\x01'));
    EXPECT_EQ(CGifFrames::BlockLength(local, 0), image.size() + 12);
    EXPECT_EQ(CGifFrames::KindAt(std::string("\x21\x01", 2), 0), GifBlock::PlainText);
    EXPECT_EQ(CGifFrames::KindAt("?", 0), GifBlock::Unrecognised);
    EXPECT_EQ(CGifFrames::KindAt("!", 0), GifBlock::Unrecognised);
}

// Hostile files: none may read past the end, and the frames handed out
// stay within the data and the cap.
struct HostileGif {
    const char* name;
    std::string bytes;
    size_t frames;  // frames expected from the walker
};

std::string Truncated(size_t keep) { return BuildGif(QSize(16, 12), kFourFrames).substr(0, keep); }

std::string SubBlockPastEnd() {
    std::string file = GifHeader(QSize(4, 4));
    file += GifImage(QRect(0, 0, 4, 4), kRed);
    file += GifControl(5, 1);
    file += ",\0\0\0\0\x04\0\x04\0\0\x02\xFF\x01\x02"s;  // claims 255 bytes, has 2
    return file;
}

std::string ManyFrames(int count) {
    std::string file = GifHeader(QSize(1, 1));
    const std::string frame = GifControl(0, 0) + GifImage(QRect(0, 0, 1, 1), kGreen);
    for (int i = 0; i < count; ++i) file += frame;
    return file + ";";
}

std::vector<HostileGif> HostileGifs() {
    return {
        {"HeaderOnly", "GIF89a"s, 0},
        {"ColourTablePastEnd", "GIF89a\x04\0\x04\0\x87\0\0\x01\x02\x03"s, 0},
        {"ControlWithoutImage", GifHeader(QSize(4, 4)) + GifControl(5, 1) + ";", 0},
        {"ControlCutShort", GifHeader(QSize(4, 4)) + "\x21\xF9\x04\x00", 0},
        {"ImageDescriptorCutShort", GifHeader(QSize(4, 4)) + ",\0\0\0\0"s, 0},
        {"LocalTablePastEnd", GifHeader(QSize(4, 4)) + ",\0\0\0\0\x04\0\x04\0\x87\x02\x01\x02"s, 0},
        {"SubBlockPastEnd", SubBlockPastEnd(), 1},
        {"CommentPastEnd", GifHeader(QSize(4, 4)) + "\x21\xFE\x40" "abc"s, 0},
        {"ZeroSizeFrames", GifHeader(QSize(4, 4)) + GifImage(QRect(0, 0, 0, 0), kRed) + GifImage(QRect(0, 0, 0, 0), kRed) + ";", 2},
        {"TenThousandFrames", ManyFrames(10000), kMaxGifFrames},
        {"HugeScreen", BuildGif(QSize(65535, 65535), {{QRect(0, 0, 2, 2), kRed}, {QRect(0, 0, 2, 2), kBlue}}), 2},
        {"TruncatedInHeader", Truncated(10), 0},
        {"TruncatedInFirstFrame", Truncated(40), 0},
    };
}

class GifFramesHostileTest : public ::testing::TestWithParam<HostileGif> {};

TEST_P(GifFramesHostileTest, StaysInsideTheDataAndTheCap) {
    const HostileGif& input = GetParam();
    // A copy of exactly the file's size, so that any read past it is caught.
    const std::string bytes = input.bytes;
    const CGifFrames gif(bytes);
    const std::vector<GifCutFrame> frames = gif.CutFrames();
    EXPECT_EQ(frames.size(), input.frames);
    EXPECT_EQ(gif.CountFrames(), input.frames);
    for (const GifCutFrame& frame : frames) {
        EXPECT_LE(frame.info.end, bytes.size());
        EXPECT_EQ(frame.gif.size(), gif.FirstBlock() + frame.info.end - frame.info.start + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, GifFramesHostileTest, ::testing::ValuesIn(HostileGifs()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GifFramesTest, EveryPrefixOfAFileGivesAtMostItsFrames) {
    const std::string file = BuildGif(QSize(16, 12), kFourFrames);
    size_t previous = 0;
    for (size_t keep = 0; keep <= file.size(); ++keep) {
        const std::string prefix = file.substr(0, keep);
        const size_t count = CGifFrames(prefix).CountFrames();
        EXPECT_LE(count, 4u) << keep;
        EXPECT_GE(count, previous) << keep;  // more bytes never lose a frame
        previous = count;
    }
    EXPECT_EQ(previous, 4u);
}

TEST(GifFramesTest, KeptFuzzCasesReplaySafely) {
    const std::filesystem::path cases = std::filesystem::path(TONVIK_DATA_DIR) / ".." / "tests" / "skin" / "picture" / "gif_cases";
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(cases)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const CGifFrames gif(bytes);
        const std::vector<GifCutFrame> frames = gif.CutFrames();
        EXPECT_LE(frames.size(), kMaxGifFrames) << entry.path();
        for (const GifCutFrame& frame : frames) EXPECT_LE(frame.info.end, bytes.size()) << entry.path();
        ++replayed;
    }
    EXPECT_GT(replayed, 0);
}

struct WaitCase {
    int delay;
    long long milliseconds;  // -1: until stopped
};

class FrameWaitTest : public ::testing::TestWithParam<WaitCase> {};

TEST_P(FrameWaitTest, FollowsTheDelayRule) {
    const auto wait = FrameWait(GetParam().delay);
    if (GetParam().milliseconds < 0) {
        EXPECT_FALSE(wait.has_value());
    } else {
        ASSERT_TRUE(wait.has_value());
        EXPECT_EQ(wait->count(), GetParam().milliseconds);
    }
}

INSTANTIATE_TEST_SUITE_P(Delays, FrameWaitTest,
                         ::testing::Values(WaitCase{0, 100}, WaitCase{4, 100}, WaitCase{5, 50}, WaitCase{10, 100},
                                           WaitCase{65535, 655350}, WaitCase{kGifNoDelay, -1}),
                         [](const auto& info) {
                             return info.param.delay < 0 ? std::string("NoControlExtension")
                                                         : "Delay" + std::to_string(info.param.delay);
                         });

}  // namespace
