#include "model/SongList.h"

#include "common/Text.h"
#include "platform/Paths.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

St_SongInfo Song(const std::string& id, const std::string& name, const std::string& singer = "",
                 const std::string& album = "") {
    St_SongInfo song;
    song.id = id;
    song.name = name;
    song.singer = singer;
    song.album = album;
    song.lyric = "[00:01]not saved";
    return song;
}

class PlayListFile : public ::testing::Test {
protected:
    CSongList ListAt(const std::string& fileName) {
        CSongList list;
        list.SetFilePath(dir / fileName);
        return list;
    }
    TempDir dir;
};

}  // namespace

TEST_F(PlayListFile, FileNameIsTheProgramFolderNameAndExtension) {
    CSongList list;
    EXPECT_EQ(list.GetFilePath(), tonvik::platform::ProgramFolder() / "");
    list.SetFileName("Playlist");
    EXPECT_EQ(list.GetFilePath(), tonvik::platform::ProgramFolder() / "Playlist.xls");
    list.SetFileName("Other");  // names again, does not pile up
    EXPECT_EQ(list.GetFilePath(), tonvik::platform::ProgramFolder() / "Other.xls");
}

TEST_F(PlayListFile, SavesTabSeparatedCp936LinesByteForByte) {
    CSongList list = ListAt("Playlist.xls");
    list.Add(Song("101", Cp936("夜空"), Cp936("林一"), Cp936("星河")));
    list.Add(Song("102", "Blue Road", "", "Tonvik Demo"));
    EXPECT_EQ(list.SaveToFile(), 2);
    const std::string expected = "101\t" + Cp936("夜空") + "\t" + Cp936("林一") + "\t" + Cp936("星河") +
                                 "\t\r\n"
                                 "102\tBlue Road\t\tTonvik Demo\t\r\n";
    EXPECT_EQ(TempDir::Read(dir / "Playlist.xls"), expected);
}

TEST_F(PlayListFile, RoundTripKeepsTheFourSavedFieldsAndEmptyOnes) {
    CSongList list = ListAt("Playlist.xls");
    list.Add(Song("1", Cp936("一"), "", Cp936("专辑")));
    list.Add(Song("2", "two", "singer", ""));
    St_SongInfo playing = Song("3", "three");
    playing.playing = kPlayingMark;
    list.Add(playing);
    ASSERT_EQ(list.SaveToFile(), 3);

    CSongList loaded = ListAt("Playlist.xls");
    loaded.Add(Song("old", "replaced on load"));
    loaded.LoadFromFile();
    ASSERT_EQ(loaded.GetCount(), 3);
    St_SongInfo first, second, third;
    loaded.GetAt(0, first);
    loaded.GetAt(1, second);
    loaded.GetAt(2, third);
    EXPECT_EQ(first.name, Cp936("一"));
    EXPECT_EQ(first.singer, "");
    EXPECT_EQ(first.album, Cp936("专辑"));
    EXPECT_EQ(second.singer, "singer");
    EXPECT_EQ(second.album, "");  // not the previous line's album
    EXPECT_TRUE(third.playing.empty());
    EXPECT_TRUE(third.lyric.empty());
    EXPECT_EQ(loaded.GetPlayingIndex(), -1);
}

TEST_F(PlayListFile, TabsAndLineBreaksInsideFieldsCannotBreakTheFile) {
    CSongList list = ListAt("Playlist.xls");
    list.Add(Song("1", "a\tb", "line\r\nbreak"));
    list.Add(Song("2", "fine"));
    ASSERT_EQ(list.SaveToFile(), 2);
    CSongList loaded = ListAt("Playlist.xls");
    loaded.LoadFromFile();
    ASSERT_EQ(loaded.GetCount(), 2);
    St_SongInfo first;
    loaded.GetAt(0, first);
    EXPECT_EQ(first.name, "a b");
    EXPECT_EQ(first.singer, "line  break");
}

TEST_F(PlayListFile, EmptyListLeavesNoFile) {
    CSongList list = ListAt("Playlist.xls");
    list.Add(Song("1", "one"));
    ASSERT_EQ(list.SaveToFile(), 1);
    ASSERT_TRUE(std::filesystem::exists(dir / "Playlist.xls"));
    list.RemoveAll();
    EXPECT_EQ(list.SaveToFile(), 0);
    EXPECT_FALSE(std::filesystem::exists(dir / "Playlist.xls"));
    EXPECT_EQ(list.SaveToFile(), 0);  // and nothing to remove is fine too
}

TEST_F(PlayListFile, FailedSaveKeepsTheOldFile) {
    CSongList list = ListAt("Playlist.xls");
    list.Add(Song("1", "one"));
    ASSERT_EQ(list.SaveToFile(), 1);
    const std::string before = TempDir::Read(dir / "Playlist.xls");

    CSongList broken;
    broken.SetFilePath(dir / "no-such-folder" / "Playlist.xls");
    broken.Add(Song("2", "two"));
    EXPECT_EQ(broken.SaveToFile(), 0);
    EXPECT_EQ(TempDir::Read(dir / "Playlist.xls"), before);
}

TEST_F(PlayListFile, MissingFileLeavesTheListAlone) {
    CSongList list = ListAt("absent.xls");
    list.Add(Song("1", "one"));
    list.LoadFromFile();
    EXPECT_EQ(list.GetCount(), 1);
}

TEST_F(PlayListFile, BadFilesLoadWithoutCrashing) {
    std::string text;
    text += "only-id\r\n";                             // no name: skipped
    text += "\tname-without-id\t\t\t\r\n";             // no id: skipped
    text += "1\tone\r\n";                               // fewer fields
    text += "2\t\xD2\xFF\xFE\tbad bytes\t\r\n";        // not valid CP936, kept as it is
    text += std::string("3\tw\0ith nul\t\t\r\n", 15);
    text += "4\tunix line\n";
    text += "5\tno final line feed";
    dir.Write("bad.xls", text);
    CSongList list = ListAt("bad.xls");
    list.LoadFromFile();
    EXPECT_EQ(list.GetCount(), 4);
    St_SongInfo song;
    list.GetAt(1, song);
    EXPECT_EQ(song.name, "\xD2\xFF\xFE");
    EXPECT_EQ(list.FindSong("5"), -1);
    EXPECT_EQ(list.FindSong("4"), 3);
}

TEST_F(PlayListFile, AFolderIsNeitherReadNorRemovedAndAnOverlongLineIsSkipped) {
    // The path before SetFileName is the program's folder: nothing to read,
    // and the songs in the list stay.
    CSongList unnamed;
    unnamed.Add(Song("1", "one"));
    unnamed.LoadFromFile();
    EXPECT_EQ(unnamed.GetCount(), 1);
    CSongList folder = ListAt("folder.xls");
    std::filesystem::create_directory(folder.GetFilePath());
    folder.Add(Song("1", "one"));
    folder.LoadFromFile();
    EXPECT_EQ(folder.GetCount(), 1);
    folder.RemoveAll();
    EXPECT_EQ(folder.SaveToFile(), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder.GetFilePath())) << "an empty save removed the folder";

    // A line of 10 MB is garbage, not a song; the lines after it still count.
    dir.Write("long.xls", "big" + std::string(10 << 20, 'x') + "\tname\t\t\t\r\n2\ttwo\t\t\t\r\n");
    CSongList list = ListAt("long.xls");
    list.LoadFromFile();
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.FindSong("2"), 0);
}

TEST_F(PlayListFile, TenThousandLinesKeepTheFirstFiftyValidSongs) {
    std::string text;
    for (int i = 0; i < 10000; ++i) {
        if (i % 3 == 0) text += "\tinvalid\t\t\t\r\n";
        text += std::to_string(i) + "\tsong\tsinger\talbum\t\r\n";
    }
    dir.Write("big.xls", text);
    CSongList list = ListAt("big.xls");
    list.LoadFromFile();
    ASSERT_EQ(list.GetCount(), 50);
    St_SongInfo last;
    list.GetAt(49, last);
    EXPECT_EQ(last.id, "49");
}

TEST_F(PlayListFile, OtherProgramsLineEndsAndByteOrderMarkStillLoad) {
    // Written with CR alone between lines, and with a UTF-8 mark in front.
    dir.Write("mac.xls", "\xEF\xBB\xBF" "1\tone\tsinger\t\r2\ttwo\t\t\r3\tcut sh");
    CSongList list = ListAt("mac.xls");
    list.LoadFromFile();
    ASSERT_EQ(list.GetCount(), 2);
    St_SongInfo first;
    list.GetAt(0, first);
    EXPECT_EQ(first.id, "1");
    EXPECT_EQ(first.singer, "singer");
    EXPECT_EQ(list.FindSong("3"), -1);  // truncated mid-line
}

TEST_F(PlayListFile, AFirstIdStartingWithAByteOrderMarkSurvivesItsSaves) {
    // Found by fuzz_song_list: each save lost one of the id's marks.
    dir.Write("marks.xls", std::string("\t\tM\t\t\r\n\xEF\xBB\xBF\xEF\xBB\xBF" "78\t\0\x01\x0e" "9\t\r\n", 23));
    CSongList list = ListAt("marks.xls");
    list.LoadFromFile();
    ASSERT_EQ(list.GetCount(), 1);
    const auto loaded = list.Snapshot();
    for (int round = 0; round < 2; ++round) {
        list.SaveToFile();
        CSongList reread = ListAt("marks.xls");
        reread.LoadFromFile();
        EXPECT_EQ(reread.Snapshot(), loaded) << "round " << round;
        list = reread;
    }
}
