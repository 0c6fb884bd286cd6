#include "model/SongList.h"

#include "common/Text.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

St_SongInfo Song(const std::string& id, const std::string& name = "", const std::string& singer = "") {
    St_SongInfo song;
    song.id = id;
    song.name = name.empty() ? "name" + id : name;
    song.singer = singer;
    return song;
}

std::string Ids(const CSongList& list) {
    std::string ids;
    for (const auto& song : list.Snapshot()) ids += (ids.empty() ? "" : " ") + song.id;
    return ids;
}

CSongList ListOf(std::initializer_list<const char*> ids) {
    CSongList list;
    for (const char* id : ids) list.Add(Song(id));
    return list;
}

}  // namespace

TEST(SongList, FullListEvictsItsFirstSongUnlessTold) {
    CSongList list;
    for (int i = 0; i < 50; ++i) list.Add(Song(std::to_string(i)));
    list.Add(Song("new"));
    EXPECT_EQ(list.GetCount(), 50);
    EXPECT_EQ(list.FindSong("0"), -1);
    EXPECT_EQ(list.FindSong("new"), 49);

    list.SetNoEvict(true);
    list.Add(Song("refused"));
    EXPECT_EQ(list.FindSong("refused"), -1);
    EXPECT_EQ(list.FindSong("1"), 0);
}

TEST(SongList, SongsWithoutIdAreNeverAdded) {
    CSongList list;
    for (int i = 0; i < 50; ++i) list.Add(Song(std::to_string(i)));
    list.Add(St_SongInfo{});
    EXPECT_EQ(list.GetCount(), 50);
    EXPECT_EQ(list.FindSong("0"), 0);  // nothing was evicted for it
}

TEST(SongList, EvictingThePlayingSongForgetsIt) {
    CSongList list;
    for (int i = 0; i < 50; ++i) {
        St_SongInfo song = Song(std::to_string(i));
        if (i == 0 || i == 3) song.playing = kPlayingMark;
        list.Add(song);
    }
    TraceCapture capture;
    list.AdjustPlayingItem();
    EXPECT_EQ(list.GetPlayingIndex(), 0);
    list.Add(Song("x"));
    EXPECT_EQ(list.GetPlayingIndex(), -1);
    St_SongInfo removed;
    ASSERT_EQ(list.RemoveHead(removed), 1);
    EXPECT_EQ(removed.id, "1");
}

TEST(SongList, EvictingTheHeadKeepsThePlayingIndexOnItsSong) {
    CSongList list;
    for (int i = 0; i < 50; ++i) {
        St_SongInfo song = Song(std::to_string(i));
        if (i == 3) song.playing = kPlayingMark;
        list.Add(song);
    }
    list.AdjustPlayingItem();
    list.Add(Song("x"));
    EXPECT_EQ(list.GetPlayingIndex(), 2);
    EXPECT_EQ(list.AddList(ListOf({"y", "z"}), false), 2);
    ASSERT_EQ(list.GetPlayingIndex(), 0);
    St_SongInfo playing;
    list.GetAt(0, playing);
    EXPECT_EQ(playing.id, "3");
}

TEST(SongList, AdjustPlayingItemKeepsOnlyTheFirstMark) {
    CSongList list;
    for (const char* id : {"a", "b", "c", "d"}) {
        St_SongInfo song = Song(id);
        if (std::string(id) == "b" || std::string(id) == "d") song.playing = kPlayingMark;
        list.Add(song);
    }
    TraceCapture capture;
    list.AdjustPlayingItem();
    EXPECT_EQ(list.GetPlayingIndex(), 1);
    St_SongInfo d;
    list.GetAt(3, d);
    EXPECT_TRUE(d.playing.empty());
    EXPECT_TRUE(capture.Has("AdjustPlayingItem::More than one playing item!"));
}

TEST(SongList, AddListSkipsInvalidAndDuplicateSongsAndClearsMarks) {
    CSongList target = ListOf({"a", "b"});
    CSongList source;
    St_SongInfo playing = Song("c");
    playing.playing = kPlayingMark;
    source.Add(playing);
    source.Add(Song("a"));
    St_SongInfo nameless;
    nameless.id = "d";
    source.Add(nameless);
    source.Add(Song("e"));
    EXPECT_EQ(target.AddList(source, false), 2);
    EXPECT_EQ(Ids(target), "a b c e");
    St_SongInfo c;
    target.GetAt(2, c);
    EXPECT_TRUE(c.playing.empty());
    EXPECT_EQ(target.AddList(source, true), 3);
    EXPECT_EQ(Ids(target), "a b c e c a e");
}

TEST(SongList, AddListOnAFullList) {
    CSongList full;
    for (int i = 0; i < 50; ++i) full.Add(Song(std::to_string(i)));
    CSongList extra = ListOf({"x", "y"});
    EXPECT_EQ(full.AddList(extra, false), 2);
    EXPECT_EQ(full.GetCount(), 50);
    EXPECT_EQ(full.FindSong("2"), 0);
    // A song the list skips (one it holds, one without a name) makes no room.
    St_SongInfo nameless;
    nameless.id = "unknown";
    CSongList skipped = ListOf({"x"});
    skipped.Add(nameless);
    EXPECT_EQ(full.AddList(skipped, false), 0);
    EXPECT_EQ(full.GetCount(), 50);
    EXPECT_EQ(full.FindSong("2"), 0) << "the oldest song stays";

    CSongList album;
    album.SetNoEvict(true);
    for (int i = 0; i < 50; ++i) album.Add(Song(std::to_string(i)));
    EXPECT_EQ(album.AddList(extra, false), 0);
    EXPECT_EQ(album.FindSong("0"), 0);
}

TEST(SongList, ListsAddingEachOtherFromTwoThreadsDoNotDeadlock) {
    CSongList a = ListOf({"1", "2", "3"});
    CSongList b = ListOf({"4", "5"});
    std::thread one([&] {
        for (int i = 0; i < 300; ++i) a.AddList(b, true);
    });
    std::thread two([&] {
        for (int i = 0; i < 300; ++i) b.AddList(a, true);
    });
    one.join();
    two.join();
    EXPECT_EQ(a.GetCount(), 50);
    EXPECT_EQ(b.GetCount(), 50);
}

TEST(SongList, GetAndSetOutOfRange) {
    TraceCapture capture;
    CSongList list = ListOf({"a"});
    St_SongInfo out = Song("untouched");
    EXPECT_EQ(list.GetAt(1, out), 0);
    EXPECT_EQ(list.GetAt(-1, out), 0);
    EXPECT_EQ(out.id, "untouched");
    EXPECT_EQ(list.SetAt(5, Song("z")), 0);
    EXPECT_EQ(capture.CountContaining("CSongList::GetAt===Invalid param!"), 2);
    EXPECT_TRUE(capture.Has("CSongList::SetAt===Invalid param!"));
    EXPECT_EQ(list.SetAt(0, Song("z")), 1);
    EXPECT_EQ(Ids(list), "z");
}

TEST(SongList, MoveUpAndDownWrapAtTheEnds) {
    CSongList list = ListOf({"A", "B", "C"});
    list.MoveUp(0);
    EXPECT_EQ(Ids(list), "B C A");
    list = ListOf({"A", "B", "C"});
    list.MoveDown(2);
    EXPECT_EQ(Ids(list), "C A B");
    list = ListOf({"A", "B", "C"});
    list.MoveUp(2);
    EXPECT_EQ(Ids(list), "A C B");
    list.MoveDown(0);
    EXPECT_EQ(Ids(list), "C A B");

    TraceCapture capture;
    list.MoveUp(3);
    list.MoveDown(-1);
    EXPECT_TRUE(capture.Has("CSongList::MoveUp===Invalid param! 3"));
    EXPECT_TRUE(capture.Has("CSongList::MoveDown===Invalid param!-1"));
    EXPECT_EQ(Ids(list), "C A B");
}

TEST(SongList, MovesFollowThePlayingSong) {
    CSongList list;
    for (const char* id : {"A", "B", "C"}) {
        St_SongInfo song = Song(id);
        if (std::string(id) == "A") song.playing = kPlayingMark;
        list.Add(song);
    }
    list.AdjustPlayingItem();
    list.MoveUp(0);
    EXPECT_EQ(list.GetPlayingIndex(), 2);
    list.MoveDown(2);
    EXPECT_EQ(list.GetPlayingIndex(), 0);
    ASSERT_EQ(list.RemoveAt(0), 1);
    EXPECT_EQ(list.GetPlayingIndex(), -1);
}

TEST(SongList, FindNextValidWrapsButNeverReturnsItself) {
    CSongList list = ListOf({"a", "b", "c", "d"});
    St_SongInfo out;
    EXPECT_EQ(list.FindNextValid(1, out), 2);
    EXPECT_EQ(out.id, "c");
    EXPECT_EQ(list.FindNextValid(3, out), 0);

    St_SongInfo blank = Song("b");
    blank.id.clear();
    list.SetAt(1, blank);
    list.SetAt(2, blank);
    EXPECT_EQ(list.FindNextValid(0, out), 3);
    EXPECT_EQ(list.FindNextValid(9, out), -1);
    EXPECT_TRUE(out.id.empty());

    CSongList single = ListOf({"only"});
    out = Song("x");
    EXPECT_EQ(single.FindNextValid(0, out), -1);
    EXPECT_TRUE(out.id.empty());
}

TEST(SongList, ClearDuplicatesThenCompact) {
    CSongList list = ListOf({"a", "b", "a", "c", "b"});
    list.ClearDuplicates();
    EXPECT_EQ(Ids(list), "a b  c ");
    list.Compact();
    EXPECT_EQ(Ids(list), "a b c");
}

TEST(SongList, CompactAndFindNextReturnsTheNextSongsNewIndex) {
    CSongList list;
    for (const char* id : {"a", "b", "c", "d"}) {
        St_SongInfo song = Song(id);
        if (std::string(id) == "c") song.playing = kPlayingMark;
        if (std::string(id) == "b") song.name.clear();  // invalid: compacted away
        list.Add(song);
    }
    list.AdjustPlayingItem();
    EXPECT_EQ(list.CompactAndFindNext(), 2);  // "d", now at index 2
    EXPECT_EQ(Ids(list), "a c d");
    EXPECT_EQ(list.GetPlayingIndex(), 1);

    CSongList idle = ListOf({"a", "b"});
    EXPECT_EQ(idle.CompactAndFindNext(), -1);
}

TEST(SongList, SortIsLocaleAwareAndPutsLaterEqualsFirst) {
    CSongList list;
    list.Add(Song("A", "b"));
    list.Add(Song("B", "a"));
    list.Add(Song("C", "b"));
    list.Sort(true, true);
    EXPECT_EQ(Ids(list), "B C A");
    list = CSongList();
    list.Add(Song("A", "b"));
    list.Add(Song("B", "a"));
    list.Add(Song("C", "b"));
    list.Sort(true, false);
    EXPECT_EQ(Ids(list), "A C B");

    // Chinese names sort by their reading (bo < ma < zhang), not by GBK bytes.
    CSongList chinese;
    chinese.Add(Song("1", "x", Cp936("张")));
    chinese.Add(Song("2", "x", Cp936("马")));
    chinese.Add(Song("3", "x", Cp936("波")));
    chinese.Add(Song("4", "x", "Adele"));
    chinese.Sort(false, true);
    EXPECT_EQ(Ids(chinese), "4 3 2 1");
}

TEST(SongList, SortKeepsThePlayingIndexOnTheSong) {
    CSongList list;
    for (const char* name : {"c", "a", "b"}) {
        St_SongInfo song = Song(name, name);
        if (std::string(name) == "c") song.playing = kPlayingMark;
        list.Add(song);
    }
    list.AdjustPlayingItem();
    list.Sort(true, true);
    EXPECT_EQ(list.GetPlayingIndex(), 2);
}

TEST(SongList, CopiesTakeSongsAndPlayingIndexButNotTheFlag) {
    CSongList original;
    original.SetNoEvict(true);
    St_SongInfo song = Song("p");
    song.playing = kPlayingMark;
    original.Add(Song("a"));
    original.Add(song);
    original.AdjustPlayingItem();
    CSongList copy(original);
    EXPECT_EQ(Ids(copy), "a p");
    EXPECT_EQ(copy.GetPlayingIndex(), 1);
    EXPECT_FALSE(copy.GetNoEvict());
    CSongList assigned;
    assigned.SetNoEvict(true);
    assigned = original;
    EXPECT_TRUE(assigned.GetNoEvict());
    EXPECT_EQ(assigned.GetPlayingIndex(), 1);
}

TEST(SongList, TellsItsListenerOfChangesFromAnyThreadButNotOfReads) {
    CSongList list = ListOf({"a", "b"});
    std::atomic<int> told{0};
    const int token = list.AddChangeListener([&] { ++told; });
    St_SongInfo song;
    list.GetAt(0, song);
    list.Snapshot();
    EXPECT_EQ(told.load(), 0);
    std::thread worker([&] { list.RemoveAll(); });
    worker.join();
    EXPECT_EQ(told.load(), 1);
    // A copy is another list.
    CSongList copy = list;
    copy.Add(Song("c"));
    EXPECT_EQ(told.load(), 1);
    list.RemoveChangeListener(token);
    list.Add(Song("d"));
    EXPECT_EQ(told.load(), 1);
}
