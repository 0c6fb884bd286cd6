#include "skin/SkinDescription.h"

#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class SkinDescriptionTest : public ::testing::Test {
protected:
    void Describe(const std::string& folder, const std::string& text) {
        std::filesystem::create_directories(m_dir.Path() / folder);
        m_dir.Write(folder + "/Skin.ini", text);
    }
    std::string Root() const { return m_dir.Path().string(); }
    TempDir m_dir;
};

TEST_F(SkinDescriptionTest, GeometryIsReadFromWindthNotWidth) {
    Describe("Skin2", "[Btn1]\r\nPosX=10\r\nPosY=20\r\nWindth=30\r\nHeight=40\r\n"
                      "[Btn2]\r\nPosX=1\r\nPosY=2\r\nWidth=33\r\nHeight=4\r\n");
    const CSkinDescription skin(Root(), "Skin2");
    ASSERT_TRUE(skin.Loaded());
    EXPECT_EQ(skin.Rect("Btn1"), QRect(10, 20, 30, 40));
    EXPECT_EQ(skin.Rect("Btn2"), QRect(1, 2, 0, 4));
}

// Found by fuzz_skin_description: values beyond a window's coordinates
// overflowed the rectangle's edges.
TEST_F(SkinDescriptionTest, GeometryBeyondWindowCoordinatesIsClamped) {
    Describe("Skin2", "[Slider1]\r\nPosX=-5\r\nPosY=2147483648\r\nWindth=99999999999\r\nHeight=\r\n"
                      "[Btn1]\r\nPosX=-2147483648\r\nPosY=40000\r\nWindth=-40000\r\nHeight=2147483647\r\n");
    const CSkinDescription skin(Root(), "Skin2");
    const QRect slider = skin.Rect("Slider1");
    EXPECT_EQ(slider.left(), -5);
    EXPECT_GE(slider.top(), -kSkinCoordinateLimit);
    EXPECT_LE(slider.top(), kSkinCoordinateLimit);
    EXPECT_LE(slider.width(), kSkinCoordinateLimit);
    EXPECT_EQ(slider.height(), 0);
    EXPECT_EQ(skin.Rect("Btn1"), QRect(-kSkinCoordinateLimit, kSkinCoordinateLimit, -kSkinCoordinateLimit,
                                       kSkinCoordinateLimit));
}

TEST_F(SkinDescriptionTest, MissingFileSectionsAndKeysGiveTheDefaults) {
    const CSkinDescription none(Root(), "Nowhere");
    EXPECT_FALSE(none.Loaded());
    EXPECT_EQ(none.Rect("Wnd0"), QRect(0, 0, 0, 0));
    EXPECT_EQ(none.Name("Wnd0"), "");

    Describe("Skin", "[Slider0]\r\nName=Volume\r\n[Scroll00]\r\nVert=1\r\n");
    const CSkinDescription skin(Root(), "Skin");
    EXPECT_EQ(skin.Int("Slider0", "PosX"), 0);
    EXPECT_EQ(skin.Int("Slider0", "PosX", 5), 5);
    const SkinSliderKeys slider = skin.SliderKeys("Slider0");
    EXPECT_FALSE(slider.transparentThumb);
    EXPECT_FALSE(slider.vertical);
    EXPECT_TRUE(slider.lowToHigh);
    EXPECT_FALSE(slider.circle);
    const SkinScrollKeys scroll = skin.ScrollKeys("Scroll00");
    EXPECT_TRUE(scroll.vertical);
    EXPECT_TRUE(scroll.fade);
}

TEST_F(SkinDescriptionTest, KeysThatAreSetOverrideTheDefaults) {
    Describe("Skin", "[Slider0]\r\nbTrans=1\r\nVert=1\r\nLowToHight=0\r\n[Slider1]\r\nCircle=1\r\n"
                     "[Scroll00]\r\nbFade=0\r\n[Static1]\r\nFontHeight=14\r\nFontWidth=6\r\nFontWeight=700\r\n");
    const CSkinDescription skin(Root(), "Skin");
    const SkinSliderKeys volume = skin.SliderKeys("Slider0");
    EXPECT_TRUE(volume.transparentThumb);
    EXPECT_TRUE(volume.vertical);
    EXPECT_FALSE(volume.lowToHigh);
    EXPECT_TRUE(skin.SliderKeys("Slider1").circle);
    EXPECT_FALSE(skin.ScrollKeys("Scroll00").fade);
    const SkinFont font = skin.Font("Static1");
    EXPECT_EQ(font.height, 14);
    EXPECT_EQ(font.width, 6);
    EXPECT_EQ(font.weight, 700);
}

TEST_F(SkinDescriptionTest, ColoursAreDecimalGdiValues) {
    // 0x00BBGGRR: red 0x12, green 0x34, blue 0x56.
    Describe("Skin2", "[List102]\r\nSongColor=5649426\r\nBkColor=1250067\r\n[Static0]\r\nTextColor=255\r\n");
    const CSkinDescription skin(Root(), "Skin2");
    const SkinTreeColours tree = skin.TreeColours("List102");
    EXPECT_EQ(tree.song, Rgb(0x12, 0x34, 0x56));
    EXPECT_EQ(tree.background, 0x131313u);
    EXPECT_EQ(tree.album, 0u);
    EXPECT_EQ(RedOf(skin.TextColour("Static0")), 255u);
    EXPECT_EQ(BlueOf(skin.TextColour("Static0")), 0u);
}

TEST_F(SkinDescriptionTest, StringsAreCutToTheReadBuffer) {
    const std::string longName(300, 'n');
    Describe("Skin", "[Wnd0]\r\nName=" + longName + "\r\n[Info]\r\nCaption=" + Cp936("橙色梦幻") + "\r\n");
    const CSkinDescription skin(Root(), "Skin");
    EXPECT_EQ(skin.Name("Wnd0"), std::string(259, 'n'));
    EXPECT_EQ(FromAnsi(skin.String("Info", "Caption")), QStringLiteral("橙色梦幻"));
}

TEST_F(SkinDescriptionTest, ImageFilesDeriveFromTheSectionName) {
    Describe("Skin2/MiniSkin", "[Wnd0]\r\nName=Back\r\n[Btn0]\r\nName=Play\r\n[Slider1]\r\nName=Seek\r\n"
                               "[Static4]\r\nName=Playing\r\n[Icon1]\r\nName=Icons\\Mark\r\n[Scroll00]\r\nName=Scroll\\Bar\r\n");
    const std::string root = Root();
    const CSkinDescription skin(root, "Skin2\\MiniSkin");
    ASSERT_TRUE(skin.Loaded());
    const std::string folder = root + "/Skin2/MiniSkin/";
    EXPECT_EQ(skin.Paths().Description(), folder + "Skin.ini");
    EXPECT_EQ(skin.BitmapFile("Wnd0"), folder + "Back.bmp");
    EXPECT_EQ(skin.IconFile("Icon1"), folder + "Icons/Mark.ico");
    const SkinButtonFiles button = skin.ButtonFiles("Btn0");
    EXPECT_EQ(button.normal, folder + "Play.bmp");
    EXPECT_EQ(button.over, folder + "PlayOver.bmp");
    EXPECT_EQ(button.click, folder + "PlayClick.bmp");
    EXPECT_EQ(button.disable, folder + "PlayDisable.bmp");
    EXPECT_EQ(button.current, folder + "PlayCurrent.bmp");
    const SkinSliderFiles slider = skin.SliderFiles("Slider1");
    EXPECT_EQ(slider.channel, folder + "Seek.bmp");
    EXPECT_EQ(slider.full, folder + "Seekfull.bmp");
    EXPECT_EQ(slider.thumb, folder + "Seekthumb.bmp");
    EXPECT_EQ(skin.ScrollFiles("Scroll00").thumb, folder + "Scroll/Barthumb.bmp");
    const SkinAnimationFiles animation = skin.AnimationFiles("Static4");
    EXPECT_EQ(animation.playing, folder + "Playing.gif");
    EXPECT_EQ(animation.stopped, folder + "PlayingStop.gif");
}

TEST_F(SkinDescriptionTest, TheDefaultRootIsTheProgramFolder) {
    SetupWellKnownPaths(m_dir.Path());
    EXPECT_EQ(SkinRoot(), Root());
    Describe("Skin", "[Wnd1]\r\nName=Panel\r\n");
    const CSkinDescription skin("Skin");
    EXPECT_TRUE(skin.Loaded());
    EXPECT_TRUE(skin.HasSection("wnd1"));
    EXPECT_FALSE(skin.HasSection("Wnd0"));
    EXPECT_EQ(skin.BitmapFile("Wnd1"), Root() + "/Skin/Panel.bmp");
}

}  // namespace
