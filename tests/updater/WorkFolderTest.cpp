#include "updater/Digest.h"
#include "updater/WorkFolder.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace patchwell;
namespace fs = std::filesystem;

TEST(WorkFolderName, UpperCasesAsciiAndFullWidthLettersOnly) {
    EXPECT_EQ(UpperCaseFolderText("/opt/tonvik-1.2/Music"), "/OPT/TONVIK-1.2/MUSIC");
    // ａｚ (A3 E1, A3 FA) become Ａ Ｚ (A3 C1, A3 DA); 音乐 stays as it is.
    EXPECT_EQ(UpperCaseFolderText("\xA3\xE1\xA3\xFA\xD2\xF4\xC0\xD6"), "\xA3\xC1\xA3\xDA\xD2\xF4\xC0\xD6");
    // A double-byte character whose second byte is "a" keeps it.
    EXPECT_EQ(UpperCaseFolderText("\x81\x61x"), "\x81\x61X");
    // A lone lead byte at the end is left alone.
    EXPECT_EQ(UpperCaseFolderText("ab\xA3"), "AB\xA3");
}

TEST(WorkFolderName, DigestIsEmptyForLongFolders) {
    EXPECT_EQ(FolderDigest("/OPT"), Md5Hex("/OPT"));
    EXPECT_EQ(FolderDigest(std::string(511, 'A')).size(), 32u);
    EXPECT_EQ(FolderDigest(std::string(512, 'A')), "");
}

TEST(WorkFolder, IsDocumentsVeloraModuleAndDigest) {
    TempDir dir;
    const fs::path documents = dir / "share";
    const WorkFolder folder = WorkFolder::Compute("/opt/tonvik", "TonvikMusic", documents);
    EXPECT_EQ(folder.Path().string(), (documents / "Velora" / ("TonvikMusic_" + Md5Hex("/OPT/TONVIK"))).string() + "/");
    EXPECT_TRUE(fs::is_directory(documents)) << "the documents folder is created when missing";
    EXPECT_EQ(folder.LocalManifest(), folder.Path() / "Update.xml");
    EXPECT_EQ(folder.PendingManifest(), folder.Path() / "Update.bk");
    EXPECT_EQ(folder.TempFolder().string(), folder.Path().string() + "Temp/");
}

TEST(WorkFolder, LetterCaseOfTheProgramFolderDoesNotMatter) {
    TempDir dir;
    const auto a = WorkFolder::Compute("/opt/Tonvik/\xEF\xBD\x81pp", "TonvikMusic", dir.Path());  // ａpp
    const auto b = WorkFolder::Compute("/OPT/tonvik/\xEF\xBC\xA1PP", "TonvikMusic", dir.Path());  // ＡPP
    EXPECT_EQ(a.Path(), b.Path());
    const auto other = WorkFolder::Compute("/opt/tonvik2", "TonvikMusic", dir.Path());
    EXPECT_NE(a.Path(), other.Path()) << "two installations get two work folders";
    const auto otherModule = WorkFolder::Compute("/opt/tonvik", "Quillo", dir.Path());
    EXPECT_NE(WorkFolder::Compute("/opt/tonvik", "TonvikMusic", dir.Path()).Path(), otherModule.Path());
}

TEST(WorkFolder, VeryLongProgramFolderGivesAnEmptyDigest) {
    TempDir dir;
    const std::string longFolder = "/" + std::string(600, 'x');
    EXPECT_EQ(WorkFolder::Compute(longFolder, "Tonvik", dir.Path()).Path().string(),
              (dir / "Velora" / "Tonvik_").string() + "/");
}

TEST(WorkFolder, FileNamesMustStayInside) {
    const WorkFolder folder("/data/Velora/TonvikMusic_X");
    EXPECT_EQ(folder.Path().string(), "/data/Velora/TonvikMusic_X/");
    EXPECT_EQ(folder.FileFor("Setup.exe"), fs::path("/data/Velora/TonvikMusic_X/Setup.exe"));
    EXPECT_EQ(folder.FileFor("..Setup..exe"), fs::path("/data/Velora/TonvikMusic_X/..Setup..exe"));
    for (const std::string_view bad : {"", ".", "..", "../Setup.exe", "/etc/passwd", "sub/Setup.exe", "..\\x"}) {
        EXPECT_FALSE(folder.FileFor(bad).has_value()) << bad;
    }
    EXPECT_FALSE(folder.FileFor(std::string_view("a\0b", 3)).has_value());
}

TEST(WorkFolder, ClearEmptiesTheFolderWithoutFollowingLinks) {
    TempDir dir;
    const WorkFolder folder(dir / "work");
    fs::create_directories(folder.Path() / "Temp");
    std::ofstream(folder.Path() / "Update.xml") << "x";
    std::ofstream(folder.Path() / "Temp" / "Setup.exe.qud") << "x";
    fs::create_directories(dir / "outside");
    std::ofstream(dir / "outside" / "keep.txt") << "keep";
    fs::create_directory_symlink(dir / "outside", folder.Path() / "link");

    EXPECT_TRUE(folder.Clear());
    EXPECT_TRUE(fs::is_directory(folder.Path()));
    EXPECT_TRUE(fs::is_empty(folder.Path()));
    EXPECT_EQ(TempDir::Read(dir / "outside" / "keep.txt"), "keep");
    EXPECT_TRUE(WorkFolder(dir / "never-made").Clear());
}

TEST(WorkFolder, SeedIsCopiedOnceAndNeverOverwrites) {
    TempDir dir;
    const fs::path program = dir / "program";
    const WorkFolder folder(dir / "share" / "Velora" / "TonvikMusic_X");
    fs::create_directories(program);
    EXPECT_TRUE(folder.CopySeed(program)) << "a missing seed is not an error";
    EXPECT_FALSE(fs::exists(folder.LocalManifest()));

    fs::create_directories(program / "Update");
    std::ofstream(program / "Update" / "Update.xml") << "seed";
    EXPECT_TRUE(folder.CopySeed(program));
    EXPECT_EQ(TempDir::Read(folder.LocalManifest()), "seed") << "every missing folder is created";

    std::ofstream(folder.LocalManifest(), std::ios::trunc) << "local";
    EXPECT_TRUE(folder.CopySeed(program));
    EXPECT_EQ(TempDir::Read(folder.LocalManifest()), "local");
}
