#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "platform/Paths.h"
#include "tests/support/TempDir.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <fstream>
#include <random>

TEST(Text, Cp936OfALiteralIsExactGbk) {
    EXPECT_EQ(Cp936("登录失败！"), "\xB5\xC7\xC2\xBC\xCA\xA7\xB0\xDC\xA3\xA1");
    EXPECT_EQ(Cp936("Tonvik音乐"), "Tonvik\xD2\xF4\xC0\xD6");
    EXPECT_EQ(Cp936("abc"), "abc");
}

TEST(Text, WideAndNarrowRoundTrip) {
    const std::string gbk = Cp936("歌曲：夜空 - 林一");
    const std::u16string wide = ToWide(gbk);
    EXPECT_EQ(wide, u"歌曲：夜空 - 林一");
    EXPECT_EQ(ToNarrow(wide), gbk);
    EXPECT_EQ(AnsiToUtf8(gbk), "歌曲：夜空 - 林一");
    EXPECT_EQ(Utf8ToAnsi("歌曲：夜空 - 林一"), gbk);
    EXPECT_EQ(FromAnsi(gbk), QString::fromUtf8("歌曲：夜空 - 林一"));
    EXPECT_EQ(ToAnsi(QString::fromUtf8("歌曲：夜空 - 林一")), gbk);
}

TEST(Text, StrictConversionsFailEmptyButUtf8AndDisplayKeepTheRest) {
    const std::string bad = "ok\xD2";  // lead byte with no trail byte
    EXPECT_TRUE(ToWide(bad).empty());
    EXPECT_TRUE(ToNarrow(u"\U0001F600").empty());
    EXPECT_EQ(AnsiToUtf8(bad), "ok\xEF\xBF\xBD");
    EXPECT_EQ(FromAnsi(bad), QString::fromUtf8("ok\xEF\xBF\xBD"));
    // A name with a user-defined character, as the play report sends it.
    const std::string name = Cp936("夜") + "\xAA\xA1";
    EXPECT_EQ(UrlEncode(AnsiToUtf8(name)), "%E5%A4%9C%EE%80%80");
    EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(name)), name);
}

TEST(Text, UrlEncode) {
    EXPECT_EQ(UrlEncode("a b"), "a+b");
    EXPECT_EQ(UrlEncode("Az09"), "Az09");
    EXPECT_EQ(UrlEncode("a&b=c/d.e-f_g~"), "a%26b%3Dc%2Fd%2Ee%2Df%5Fg%7E");
    // A Chinese name: its UTF-8 bytes each become "%" and two upper-case digits.
    EXPECT_EQ(UrlEncode(AnsiToUtf8(Cp936("夜空"))), "%E5%A4%9C%E7%A9%BA");
    EXPECT_EQ(UrlEncode(std::string("\0\xFF", 2)), "%00%FF");
}

TEST(Text, Base64KnownVectors) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(Base64Encode(plain), encoded);
        EXPECT_EQ(Base64Decode(encoded), plain);
    }
    EXPECT_EQ(Base64Encode("\xFF\xFE\xFD"), "//79");
}

TEST(Base64, DecodingSkipsNoiseAndNeverOverruns) {
    EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy"), "foobar");
    EXPECT_EQ(Base64Decode("Z=m=9=v"), "foo");
    EXPECT_EQ(Base64Decode("Zm\x80\xFF" "9v"), "foo");
    EXPECT_EQ(Base64Decode("===="), "");
    EXPECT_EQ(Base64Decode("Z"), "");  // a lone sextet makes no byte

    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::string garbage(static_cast<size_t>(random() % 600), '\0');
        for (char& ch : garbage) ch = static_cast<char>(random());
        const std::string decoded = Base64Decode(garbage);
        EXPECT_LE(decoded.size(), garbage.size() * 3 / 4 + 1);
        // Whatever survives the noise re-encodes to the alphabet bytes of the input.
        std::string alphabetOnly;
        for (char ch : garbage)
            if (std::isalnum(static_cast<unsigned char>(ch)) && static_cast<unsigned char>(ch) < 0x80) alphabetOnly += ch;
            else if (ch == '+' || ch == '/') alphabetOnly += ch;
        EXPECT_EQ(Base64Decode(alphabetOnly), decoded);
    }
}

TEST(Base64, PasswordLimit) {
    // 189 bytes encode to 252 characters, the longest text within the limit;
    // 190 bytes already need 256.
    const std::string fitting(189, 'p');
    ASSERT_TRUE(EncodePassword(fitting));
    EXPECT_EQ(EncodePassword(fitting)->size(), 252u);
    EXPECT_FALSE(EncodePassword(std::string(190, 'p')));
    EXPECT_EQ(Base64Decode(*EncodePassword(Cp936("密码"))), Cp936("密码"));
}

TEST(WellKnownPaths, AWritableProgramFolderKeepsEverything) {
    TempDir program;
    SetupWellKnownPaths(program.Path());
    const std::string folder = program.Path().string() + "/";
    EXPECT_EQ(g_strAppDir, folder);
    EXPECT_EQ(g_strDataDir, folder);
    EXPECT_EQ(g_strIniFile, folder + "TonvikMusic.ini");
    EXPECT_EQ(g_strSkinIni, folder + "Skin.ini");
    EXPECT_EQ(g_strServiceErrors[kErrLogonFailed], Cp936("登录失败！"));
    EXPECT_EQ(g_strServiceErrors[kErrGetAlbumList], Cp936("获取专辑列表失败！"));
    EXPECT_EQ(g_strServiceErrors[kErrCreateAlbum], Cp936("创建专辑失败！"));
}

TEST(WellKnownPaths, AReadOnlyProgramFolderWritesInTheUsersFolders) {
    TempDir program, home;
    program.Write("TonvikMusic.ini", "[Hosts]\r\nService=127.0.0.1:1\r\n");
    std::filesystem::permissions(program.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((home / "data").string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((home / "config").string()));

    EXPECT_FALSE(tonvik::platform::IsWritableFolder(program.Path()));
    SetupWellKnownPaths(program.Path());
    EXPECT_EQ(g_strAppDir, program.Path().string() + "/");
    EXPECT_EQ(g_strSkinIni, program.Path().string() + "/Skin.ini");
    EXPECT_EQ(g_strDataDir, (home / "data" / "Velora" / "TonvikMusic").string() + "/");
    EXPECT_TRUE(std::filesystem::is_directory(g_strDataDir));
    EXPECT_EQ(g_strIniFile, (home / "config" / "Velora" / "TonvikMusic" / "TonvikMusic.ini").string());
    // The options start as shipped, and are the user's own from then on.
    EXPECT_EQ(TempDir::Read(g_strIniFile), "[Hosts]\r\nService=127.0.0.1:1\r\n");
    std::ofstream(g_strIniFile, std::ios::app) << "[SKIN]\r\nKind=1\r\n";
    SetupWellKnownPaths(program.Path());
    EXPECT_NE(TempDir::Read(g_strIniFile).find("Kind=1"), std::string::npos);

    std::filesystem::permissions(program.Path(), std::filesystem::perms::owner_all);
    qputenv("XDG_DATA_HOME", oldData);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    if (oldData.isEmpty()) qunsetenv("XDG_DATA_HOME");
    if (oldConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
}

TEST(WellKnownPaths, AnInstalledCopyWritesInTheUsersFoldersEvenWhereItMayWriteItsOwn) {
    TempDir program, home;
    program.Write(kInstalledMarkerName, "installed\n");
    const QByteArray oldData = qgetenv("XDG_DATA_HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((home / "data").string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((home / "config").string()));

    // As the superuser may: the folder is writable, the marker decides.
    ASSERT_TRUE(tonvik::platform::IsWritableFolder(program.Path()));
    EXPECT_TRUE(IsInstalledCopy(program.Path()));
    const St_WritableFolders folders = ChooseWritableFolders(program.Path());
    EXPECT_TRUE(folders.relocated);
    EXPECT_EQ(folders.data, home / "data" / "Velora" / "TonvikMusic");
    EXPECT_EQ(folders.config, home / "config" / "Velora" / "TonvikMusic");
    // A build beside it, without the marker, keeps its own folder.
    TempDir build;
    EXPECT_FALSE(IsInstalledCopy(build.Path()));
    EXPECT_FALSE(ChooseWritableFolders(build.Path()).relocated);

    qputenv("XDG_DATA_HOME", oldData);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    if (oldData.isEmpty()) qunsetenv("XDG_DATA_HOME");
    if (oldConfig.isEmpty()) qunsetenv("XDG_CONFIG_HOME");
}
