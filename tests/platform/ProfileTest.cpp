#include "platform/Profile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <thread>

TEST(Profile, ReadsLikeWindows) {
    const auto profile = CProfile::FromText(
        "; options\r\n"
        "[SKIN]\r\n"
        "Kind = 1 \r\n"
        "Name=\"quoted value\"\r\n"
        "Half='only one\r\n"
        "NoValue\r\n"
        "Empty=\r\n"
        "\r\n"
        "[Logon]\r\n"
        "user=someone\r\n"
        "user=second definition\r\n");
    EXPECT_EQ(profile.GetString("skin", "KIND", "x"), "1");
    EXPECT_EQ(profile.GetString("SKIN", "Name", ""), "quoted value");
    EXPECT_EQ(profile.GetString("SKIN", "Half", ""), "'only one");
    EXPECT_EQ(profile.GetString("SKIN", "NoValue", "default"), "default");
    EXPECT_EQ(profile.GetString("SKIN", "Empty", "default"), "");
    EXPECT_EQ(profile.GetString("SKIN", "Missing", "default"), "default");
    EXPECT_EQ(profile.GetString("Nowhere", "Kind", "default"), "default");
    EXPECT_EQ(profile.GetString("LOGON", "User", ""), "someone");
}

TEST(Profile, IntegersFromLeadingDigits) {
    const auto profile = CProfile::FromText(
        "[S]\nA=42abc\nB=abc\nC=-7\nD=\nE=  12 \nF=+3\nG=4294967297\n");
    EXPECT_EQ(profile.GetInt("S", "A", 9), 42);
    EXPECT_EQ(profile.GetInt("S", "B", 9), 0);
    EXPECT_EQ(profile.GetInt("S", "C", 9), -7);
    EXPECT_EQ(profile.GetInt("S", "D", 9), 9);  // present but empty: the default
    EXPECT_EQ(profile.GetInt("S", "E", 9), 12);
    EXPECT_EQ(profile.GetInt("S", "F", 9), 3);
    EXPECT_EQ(profile.GetInt("S", "G", 9), 1);  // 32-bit wrap
    EXPECT_EQ(profile.GetInt("S", "Missing", 2), 2);
}

TEST(Profile, OnlyTheFirstSectionOfANameCounts) {
    const auto profile = CProfile::FromText("[A]\nx=1\n[a]\nx=2\ny=3\n");
    EXPECT_EQ(profile.GetString("A", "x", ""), "1");
    EXPECT_EQ(profile.GetString("A", "y", "none"), "none");
}

TEST(Profile, BrokenSectionHeaderIsAKeyLine) {
    // "[Broken" has no "]": it is no section, so its keys stay in [A].
    const auto profile = CProfile::FromText("[A]\nx=1\n[Broken\ny=2\n[B] trailing]\nz=3\n");
    EXPECT_EQ(profile.GetString("A", "y", ""), "2");
    EXPECT_EQ(profile.GetString("Broken", "y", "none"), "none");
    EXPECT_EQ(profile.GetString("B] trailing", "z", ""), "3");  // name runs to the last "]"
}

TEST(Profile, WritingChangesOneLineAndKeepsTheRest) {
    const std::string original = "; keep me\r\n[SKIN]\r\nkind=2\r\nOther = x \r\n\r\n[Logon]\r\nUser=a\r\n";
    auto profile = CProfile::FromText(original);
    EXPECT_EQ(profile.Text(), original);
    profile.SetString("skin", "Kind", "1");
    EXPECT_EQ(profile.Text(), "; keep me\r\n[SKIN]\r\nkind=1\r\nOther = x \r\n\r\n[Logon]\r\nUser=a\r\n");
    profile.SetString("SKIN", "New", "v");
    EXPECT_EQ(profile.Text(), "; keep me\r\n[SKIN]\r\nkind=1\r\nOther = x \r\nNew=v\r\n\r\n[Logon]\r\nUser=a\r\n");
    profile.SetString("Added", "Key", "line\r\nbreak");
    EXPECT_EQ(profile.GetString("Added", "Key", ""), "line  break");
    profile.RemoveKey("Logon", "user");
    EXPECT_EQ(profile.GetString("Logon", "User", "gone"), "gone");
}

TEST(Profile, KeepsLineEndsOfUnixFiles) {
    auto profile = CProfile::FromText("[A]\nx=1");
    profile.SetString("A", "y", "2");
    EXPECT_EQ(profile.Text(), "[A]\nx=1\ny=2\n");
}

TEST(Profile, FileCallsReadAndWriteAtomically) {
    TempDir dir;
    const auto ini = dir / "TonvikMusic.ini";
    EXPECT_EQ(GetPrivateProfileInt("SKIN", "Kind", 2, ini), 2);  // no file yet
    EXPECT_TRUE(WritePrivateProfileString("SKIN", "Kind", "1", ini));
    EXPECT_TRUE(WritePrivateProfileString("Logon", "User", "\xC1\xD6", ini));
    EXPECT_EQ(GetPrivateProfileInt("SKIN", "Kind", 2, ini), 1);
    EXPECT_EQ(GetPrivateProfileString("Logon", "User", "", ini), "\xC1\xD6");
    EXPECT_EQ(TempDir::Read(ini), "[SKIN]\r\nKind=1\r\n\r\n[Logon]\r\nUser=\xC1\xD6\r\n");
}

TEST(Profile, ConcurrentWritersLoseNothing) {
    TempDir dir;
    const auto ini = dir / "TonvikMusic.ini";
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t, &ini] {
            for (int i = 0; i < 20; ++i)
                WritePrivateProfileString("S", "key" + std::to_string(t * 100 + i), std::to_string(i), ini);
        });
    for (auto& thread : threads) thread.join();
    CProfile profile;
    ASSERT_TRUE(profile.Load(ini));
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 20; ++i) EXPECT_EQ(profile.GetInt("S", "key" + std::to_string(t * 100 + i), -1), i);
}
