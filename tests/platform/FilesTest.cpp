#include "platform/AtomicFile.h"
#include "platform/Disk.h"
#include "platform/Network.h"
#include "platform/Paths.h"
#include "platform/PrivateFile.h"
#include "platform/Profile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace tonvik::platform;

TEST(AtomicFile, ReplacesContentAndLeavesNoTemporaryFiles) {
    TempDir dir;
    const auto path = dir / "list.xls";
    ASSERT_TRUE(WriteFileAtomically(path, "first\r\n"));
    ASSERT_TRUE(WriteFileAtomically(path, std::string("second\0line", 11)));
    std::string back;
    ASSERT_TRUE(ReadWholeFile(path, back));
    EXPECT_EQ(back, std::string("second\0line", 11));
    int files = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(AtomicFile, FailureKeepsTheOldFile) {
    TempDir dir;
    // The target is a folder: the rename over it fails and nothing is lost.
    const auto folder = dir / "taken";
    std::filesystem::create_directory(folder);
    std::filesystem::create_directory(folder / "inside");
    EXPECT_FALSE(WriteFileAtomically(folder, "data"));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "inside"));
    EXPECT_FALSE(WriteFileAtomically(dir / "missing" / "file.txt", "data"));
    std::string back;
    EXPECT_FALSE(ReadWholeFile(dir / "missing" / "file.txt", back));
    // A folder under the file's name reads as no file, and a profile there
    // as an empty one.
    EXPECT_FALSE(ReadWholeFile(folder, back));
    CProfile profile;
    EXPECT_FALSE(profile.Load(folder));
    EXPECT_EQ(GetPrivateProfileInt("SKIN", "Kind", 7, folder), 7);
}

// Only a killed save's temporaries go: named like one of this file's, a
// minute old. The kept-aside ".bad" list, look-alikes and other files' stay.
TEST(AtomicFile, LeftTemporariesGoOnlyWhenOldAndNamedSo) {
    TempDir dir;
    const auto list = dir / "Playlist.xls";
    ASSERT_TRUE(WriteFileAtomically(list, "1\t\r\n"));
    const auto old = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(2);
    for (const char* name : {"Playlist.xls.a1B2c3", "Playlist.xls.Zz9Yy8", "Playlist.xls.bad", "Playlist.xls.a1B2c",
                             "Playlist.xls.a1B2c3d", "Playlist.xls.a1-2c3", "Other.xls.a1B2c3", "fresh"}) {
        ASSERT_TRUE(WriteFileAtomically(dir / name, "x"));
        if (std::string(name) != "fresh") std::filesystem::last_write_time(dir / name, old);
    }
    ASSERT_TRUE(WriteFileAtomically(dir / "Playlist.xls.Fresh1", "x"));  // a save under way elsewhere
    std::filesystem::create_directory(dir / "Playlist.xls.Folder");
    std::filesystem::last_write_time(dir / "Playlist.xls.Folder", old);

    EXPECT_EQ(RemoveLeftTemporaries(list), 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "Playlist.xls.a1B2c3"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Playlist.xls.Zz9Yy8"));
    for (const char* kept : {"Playlist.xls", "Playlist.xls.bad", "Playlist.xls.a1B2c", "Playlist.xls.a1B2c3d",
                             "Playlist.xls.a1-2c3", "Other.xls.a1B2c3", "Playlist.xls.Fresh1", "Playlist.xls.Folder"})
        EXPECT_TRUE(std::filesystem::exists(dir / kept)) << kept;
}

TEST(PrivateFile, StaysOwnerOnlyThroughLaterWrites) {
    TempDir dir;
    const auto ini = dir / "TonvikMusic.ini";
    const auto othersOrGroup = std::filesystem::perms::group_all | std::filesystem::perms::others_all;
    // An existing readable file with content keeps the content.
    ASSERT_TRUE(WriteFileAtomically(ini, "[SKIN]\r\nKind=1\r\n"));
    std::filesystem::permissions(ini, std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                                 std::filesystem::perm_options::add);
    ASSERT_TRUE(RestrictToOwner(ini));
    EXPECT_EQ(GetPrivateProfileInt("SKIN", "Kind", 0, ini), 1);
    // The profile replaces the file on every write; the permissions survive.
    ASSERT_TRUE(WritePrivateProfileString("Logon", "Pass", "c2VjcmV0", ini));
    EXPECT_EQ(std::filesystem::status(ini).permissions() & othersOrGroup, std::filesystem::perms::none);
    // A missing file is created private.
    const auto fresh = dir / "fresh.ini";
    ASSERT_TRUE(RestrictToOwner(fresh));
    EXPECT_EQ(std::filesystem::file_size(fresh), 0u);
    EXPECT_EQ(std::filesystem::status(fresh).permissions() & othersOrGroup, std::filesystem::perms::none);
    EXPECT_FALSE(RestrictToOwner(dir / "missing" / "x.ini"));
}

TEST(Paths, ProgramFolderIsThisTestsFolder) {
    const auto exe = ProgramFilePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_TRUE(std::filesystem::exists(exe));
    EXPECT_EQ(exe.filename(), "platform_tests");
    EXPECT_EQ(ProgramFolder(), exe.parent_path());
}

TEST(Disk, FreeSpaceOfAnExistingAndAMissingPlace) {
    TempDir dir;
    auto space = FreeDiskSpace(dir.Path());
    ASSERT_TRUE(space);
    EXPECT_GT(*space, 0u);
    EXPECT_FALSE(FreeDiskSpace(dir / "no" / "such" / "folder"));
}

TEST(Network, OverrideWinsAndResets) {
    SetNetworkStateOverride(false);
    EXPECT_EQ(NetworkStateOverride(), false);
    SetNetworkStateOverride(true);
    EXPECT_EQ(NetworkStateOverride(), true);
    SetNetworkStateOverride(std::nullopt);
    EXPECT_EQ(NetworkStateOverride(), std::nullopt);
}

TEST(PrivateFile, FoldersAndNewFilesAreTheOwnersAlone) {
    TempDir dir;
    const auto folder = dir / "data" / "WebEngine";
    ASSERT_TRUE(MakePrivateFolder(folder));
    EXPECT_EQ(PermissionBits(folder), 0700);
    // One made by an older version, open to all, is closed.
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                             std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                             std::filesystem::perms::others_exec);
    ASSERT_TRUE(MakePrivateFolder(folder));
    EXPECT_EQ(PermissionBits(folder), 0700);
    dir.Write("plain", "x");
    EXPECT_FALSE(MakePrivateFolder(dir / "plain"));

    const auto first = WritePrivateFile(dir.Path(), "page-", ".html", "<p>one</p>");
    const auto second = WritePrivateFile(dir.Path(), "page-", ".html", "<p>two</p>");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_EQ(first.extension(), ".html");
    EXPECT_EQ(TempDir::Read(first), "<p>one</p>");
    EXPECT_EQ(PermissionBits(first), 0600);
    EXPECT_EQ(PermissionBits(second), 0600);
    EXPECT_TRUE(WritePrivateFile(dir / "missing", "page-", ".html", "x").empty());
}
