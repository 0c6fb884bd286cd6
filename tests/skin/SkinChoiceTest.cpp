#include "skin/SkinChoice.h"

#include "platform/Profile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(SkinChoice, MissingSettingsStartWithTheClassicSkin) {
    TempDir dir;
    EXPECT_EQ(ReadSkinChoice(dir / "TonvikMusic.ini"), "Skin2");
    const auto ini = dir.Write("TonvikMusic.ini", "[Logon]\r\nUser=someone\r\n");
    EXPECT_EQ(ReadSkinChoice(ini), "Skin2");
}

TEST(SkinChoice, KindTwoIsClassicAndAnyOtherValueOrange) {
    TempDir dir;
    EXPECT_EQ(ReadSkinChoice(dir.Write("a.ini", "[SKIN]\r\nKind=2\r\n")), "Skin2");
    EXPECT_EQ(ReadSkinChoice(dir.Write("b.ini", "[SKIN]\r\nKind=1\r\n")), "Skin");
    EXPECT_EQ(ReadSkinChoice(dir.Write("c.ini", "[SKIN]\r\nKind=7\r\n")), "Skin");
    EXPECT_EQ(ReadSkinChoice(dir.Write("d.ini", "[skin]\r\nkind=0\r\n")), "Skin");
}

TEST(SkinChoice, SwitchingWritesOneOrTwoAndKeepsTheRest) {
    TempDir dir;
    const auto ini = dir.Write("TonvikMusic.ini", "[Logon]\r\nUser=someone\r\n");
    ASSERT_TRUE(WriteSkinChoice(ini, "Skin"));
    EXPECT_EQ(GetPrivateProfileString("SKIN", "Kind", "", ini), "1");
    EXPECT_EQ(ReadSkinChoice(ini), "Skin");
    ASSERT_TRUE(WriteSkinChoice(ini, "Skin2"));
    EXPECT_EQ(GetPrivateProfileString("SKIN", "Kind", "", ini), "2");
    EXPECT_EQ(ReadSkinChoice(ini), "Skin2");
    EXPECT_EQ(GetPrivateProfileString("Logon", "User", "", ini), "someone");
}

TEST(SkinChoice, OnlyTheClassicMiniSkinSwitchesBetweenHorizontalAndVertical) {
    EXPECT_EQ(MiniSkinOf("Skin2"), "Skin2/MiniSkin");
    EXPECT_EQ(MiniSkinOf("Skin"), "Skin/MiniSkin");
    EXPECT_EQ(ToggledMiniSkin("Skin2", "Skin2/MiniSkin"), "Skin2/MiniSkin2");
    EXPECT_EQ(ToggledMiniSkin("Skin2", "Skin2/MiniSkin2"), "Skin2/MiniSkin");
    EXPECT_EQ(ToggledMiniSkin("Skin", "Skin/MiniSkin"), "Skin/MiniSkin");
}

TEST(SkinChoice, PlayerKeyColourFollowsTheSkinFamily) {
    EXPECT_EQ(PlayerKeyColour("Skin2"), 0x131313u);
    EXPECT_EQ(PlayerKeyColour("Skin2/MiniSkin2"), 0x131313u);
    EXPECT_EQ(PlayerKeyColour("Skin2\\MiniSkin"), 0x131313u);
    EXPECT_EQ(PlayerKeyColour("Skin"), 0xFF00FFu);
    EXPECT_EQ(PlayerKeyColour("Skin/MiniSkin"), 0xFF00FFu);
}

TEST(SkinChoice, TheSkin2FamilyIsSkin2AndItsMiniSkinsWhateverTheCase) {
    for (const char* folder : {"Skin2", "Skin2/MiniSkin", "Skin2\\MiniSkin2", "skin2/MiniSkin", "SKIN2"})
        EXPECT_TRUE(IsClassicFamily(folder)) << folder;
    for (const char* folder : {"Skin", "Skin/MiniSkin", "Skin22", "MySkin2", "Skin/Skin2", ""})
        EXPECT_FALSE(IsClassicFamily(folder)) << folder;
}

}  // namespace
