// Inputs no lyric should hold, and the inputs the fuzzer once found
// troublesome (kept in fuzz_cases/): none may crash or break the table.

#include "lyrics/LyricModel.h"

#include "tests/lyrics/LyricTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using namespace std::string_literals;

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Loads `bytes` the way the fuzzer does: the first bytes double as id and
// name, all of them as the lyric.
void LoadAndCheck(LyricModel& model, const std::string& bytes) {
    const std::string head = bytes.substr(0, 160);
    model.SetLyric(head, head, bytes);
    EXPECT_LE(model.songId().size(), kMaxSongText);
    EXPECT_LE(model.songName().size(), kMaxSongText);
    lyrictest::ExpectSoundTable(model);
}

TEST(LyricBadInput, OddTagsAndBytesGiveASoundTable) {
    const std::vector<std::string> inputs = {
        "[",
        "[:30]",
        "[99999999:99.999]",
        "[-1:-1]",
        "[]",
        "[:]",
        "[::]x",
        "]]]:::[[[",
        "[00:01]\x81",
        "\xFE",
        "\x81\n\x82\r\x83\r\n",
        "[00:01]a\0b\n\0\0\0\n[00:02]\0"s,
        "\0"s,
        "[ti:",
        "[ti:]]]",
        "[00:01][ti:x][00:02]",
        std::string(5000, '['),
        std::string(5000, ':'),
        std::string(5000, '\r'),
    };
    LyricModel model;
    for (const std::string& input : inputs) {
        SCOPED_TRACE(testing::PrintToString(input.substr(0, 40)));
        LoadAndCheck(model, input);
    }
}

TEST(LyricBadInput, AHundredThousandLinesKeepTheFirst998) {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "[00:0" + std::to_string(i % 10) + "]x\n";
    LyricModel model;
    LoadAndCheck(model, text);
    EXPECT_EQ(model.sourceLines().size(), static_cast<size_t>(kMaxSourceLines));
    EXPECT_EQ(model.displayCount(), kMaxSourceLines);
}

TEST(LyricBadInput, AHugeLineOfTagsKeepsNineTimes) {
    std::string line;
    for (int i = 0; i < 100000; ++i) line += "[00:01]";
    LyricModel model;
    model.SetLyric("1", "n", line + "end");
    ASSERT_EQ(model.textLines().size(), 1u);
    EXPECT_EQ(model.textLines()[0], "end");
    EXPECT_EQ(model.displayCount(), kTimeSlots + 1);
}

TEST(LyricBadInput, FuzzFindingsStayFixed) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(LYRICS_FUZZ_CASES)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    ASSERT_FALSE(files.empty()) << "no cases in " << LYRICS_FUZZ_CASES;
    LyricModel model;
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        LoadAndCheck(model, ReadBytes(file));
    }
}

}  // namespace
