// The skins, pictures, offline pages and manifest shipped in data/, read the
// way the windows read them.

#include "skin/ProgramResources.h"
#include "skin/ScrollThumb.h"
#include "skin/SkinCatalogue.h"
#include "skin/SkinChoice.h"
#include "skin/SkinDescription.h"

#include "common/Bitmap.h"
#include "common/Text.h"
#include "tests/support/TempDir.h"

#include <QImageReader>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

const std::string kRoot = TONVIK_DATA_DIR;

struct ShippedSkin {
    std::string folder;
    const char* caption;
};

void PrintTo(const ShippedSkin& skin, std::ostream* out) { *out << skin.folder; }

class ShippedSkinTest : public ::testing::TestWithParam<ShippedSkin> {
protected:
    CSkinDescription Skin(const std::string& sub = {}) const {
        return CSkinDescription(kRoot, sub.empty() ? GetParam().folder : GetParam().folder + "/" + sub);
    }
};

// A 24-bit bitmap that loads, or a failure naming the file.
::testing::AssertionResult LoadsBitmap(const std::string& path, CDib* out = nullptr) {
    const auto dib = LoadBitmapFile(path);
    if (!dib) return ::testing::AssertionFailure() << path << " does not load";
    if (dib->bitsPerPixel != 24) return ::testing::AssertionFailure() << path << " has " << dib->bitsPerPixel << " bits";
    if (out) *out = *dib;
    return ::testing::AssertionSuccess();
}

QSize BitmapSize(const std::string& path) {
    const auto dib = LoadBitmapFile(path);
    return dib ? QSize(dib->width, dib->height) : QSize();
}

// Every file a section names exists and loads; buttons' state images share
// the size of the normal one.
void CheckImages(const CSkinDescription& skin, const SkinSectionUse& use) {
    const std::string section(use.section);
    SCOPED_TRACE(skin.Paths().Folder() + " [" + section + "]");
    switch (use.part) {
    case SkinPart::Window:
    case SkinPart::Picture:
        EXPECT_TRUE(LoadsBitmap(skin.BitmapFile(section)));
        break;
    case SkinPart::Button:
    case SkinPart::StateImages:
    case SkinPart::TabButton:
    case SkinPart::PageButton: {
        const SkinButtonFiles files = skin.ButtonFiles(section);
        std::vector<std::string> all{files.normal, files.over, files.click};
        if (use.part == SkinPart::TabButton) all.push_back(files.current);
        if (use.part == SkinPart::PageButton) all.push_back(files.disable);
        for (const std::string& file : all) {
            EXPECT_TRUE(LoadsBitmap(file));
            EXPECT_EQ(BitmapSize(file), BitmapSize(files.normal)) << file;
        }
        break;
    }
    case SkinPart::Slider:
    case SkinPart::Scroll: {
        const SkinSliderFiles files = skin.SliderFiles(section);
        for (const std::string& file : {files.channel, files.full, files.thumb}) EXPECT_TRUE(LoadsBitmap(file));
        break;
    }
    case SkinPart::Animation: {
        EXPECT_TRUE(LoadsBitmap(skin.BitmapFile(section)));
        const SkinAnimationFiles files = skin.AnimationFiles(section);
        QImageReader playing(QString::fromStdString(files.playing));
        EXPECT_GT(playing.imageCount(), 1) << files.playing;
        EXPECT_FALSE(playing.read().isNull()) << files.playing;
        QImageReader stopped(QString::fromStdString(files.stopped));
        EXPECT_FALSE(stopped.read().isNull()) << files.stopped;
        break;
    }
    case SkinPart::Icon: {
        QImageReader reader(QString::fromStdString(skin.IconFile(section)));
        const QImage icon = reader.read();
        EXPECT_EQ(icon.size(), QSize(16, 16)) << skin.IconFile(section);
        break;
    }
    case SkinPart::Area:
        break;
    }
}

// Every section exists, has a non-empty rectangle inside its window, and
// its images load.
void CheckWindow(const CSkinDescription& skin, std::span<const SkinSectionUse> sections) {
    ASSERT_TRUE(skin.Loaded()) << skin.Paths().Description();
    const QRect window = skin.Rect(std::string(sections.front().section));
    EXPECT_FALSE(window.isEmpty());
    EXPECT_EQ(BitmapSize(skin.BitmapFile(std::string(sections.front().section))), window.size());
    for (const SkinSectionUse& use : sections) {
        const std::string section(use.section);
        EXPECT_TRUE(skin.HasSection(section)) << skin.Paths().Folder() << " lacks [" << section << "]";
        if (use.part != SkinPart::StateImages && use.part != SkinPart::Area) {
            EXPECT_FALSE(skin.Name(section).empty()) << section;
        }
        if (HasGeometry(use.part) && use.part != SkinPart::Window) {
            const QRect r = skin.Rect(section);
            EXPECT_FALSE(r.isEmpty()) << section;
            EXPECT_TRUE(QRect(QPoint(0, 0), window.size()).contains(r)) << section << " lies outside its window";
        }
        CheckImages(skin, use);
    }
}

// The window's region is cut along the key colour: corners are key coloured
// and the region is smaller than the rectangle, but covers its centre.
void CheckRegion(const std::string& file, ColorRef key) {
    SCOPED_TRACE(file);
    CDib dib;
    ASSERT_TRUE(LoadsBitmap(file, &dib));
    const QImage image = dib.ToImage();
    const QRgb keyRgb = qRgb(int(RedOf(key)), int(GreenOf(key)), int(BlueOf(key)));
    const QRegion region = BitmapToRegion(dib, key);
    EXPECT_EQ(region.boundingRect(), QRect(0, 0, dib.width, dib.height));
    // At least two corners are rounded off (a window may keep square
    // corners on the side where it joins another).
    int cut = 0;
    for (const QPoint corner : {QPoint(0, 0), QPoint(dib.width - 1, 0), QPoint(0, dib.height - 1), QPoint(dib.width - 1, dib.height - 1)}) {
        if (image.pixel(corner) != keyRgb) continue;
        ++cut;
        EXPECT_FALSE(region.contains(corner));
    }
    EXPECT_GE(cut, 2);
    EXPECT_TRUE(region.contains(QPoint(dib.width / 2, dib.height / 2)));
    qint64 area = 0;
    for (const QRect& r : region) area += qint64(r.width()) * r.height();
    EXPECT_LT(area, qint64(dib.width) * dib.height);
    EXPECT_GT(area, qint64(dib.width) * dib.height * 9 / 10);
}

TEST_P(ShippedSkinTest, PlayerWindowHasEverySectionAndImage) { CheckWindow(Skin(), PlayerSections()); }
TEST_P(ShippedSkinTest, MyMusicPanelHasEverySectionAndImage) { CheckWindow(Skin(), PanelSections()); }
TEST_P(ShippedSkinTest, LyricWindowHasEverySectionAndImage) { CheckWindow(Skin(), LyricSections()); }
TEST_P(ShippedSkinTest, LibraryWindowHasEverySectionAndImage) { CheckWindow(Skin(), LibrarySections()); }

TEST_P(ShippedSkinTest, ListAndTreeIconsLoad) {
    const CSkinDescription skin = Skin();
    for (const SkinSectionUse& use : ListIconSections()) {
        EXPECT_TRUE(skin.HasSection(std::string(use.section))) << use.section;
        CheckImages(skin, use);
    }
}

TEST_P(ShippedSkinTest, MiniSkinsHaveTheirSections) {
    const bool classic = GetParam().folder == kSkinClassic;
    CheckWindow(Skin("MiniSkin"), MiniPlayerSections(classic));
    if (classic) {
        CheckWindow(Skin("MiniSkin2"), MiniPlayerSections(true));
    } else {
        EXPECT_FALSE(std::filesystem::exists(kRoot + "/Skin/MiniSkin2"));
    }
    // The way back to the full skin is there in every mini skin.
    EXPECT_FALSE(Skin("MiniSkin").Rect("Btn7").isEmpty());
}

TEST_P(ShippedSkinTest, WindowRegionsAreCutAlongTheirKeyColours) {
    const std::string& folder = GetParam().folder;
    const CSkinDescription skin = Skin();
    CheckRegion(skin.BitmapFile("Wnd0"), PlayerKeyColour(folder));
    CheckRegion(Skin("MiniSkin").BitmapFile("Wnd0"), PlayerKeyColour(MiniSkinOf(folder)));
    for (const char* section : {"Wnd1", "Wnd_Lyric", "Wnd_Lib"}) CheckRegion(skin.BitmapFile(section), kSkinKeyColour);
}

TEST_P(ShippedSkinTest, ScrollThumbSourceSuitsItsFadeMode) {
    const CSkinDescription skin = Skin();
    const SkinScrollKeys keys = skin.ScrollKeys("Scroll00");
    EXPECT_TRUE(keys.vertical);
    const QSize source = BitmapSize(skin.ScrollFiles("Scroll00").thumb);
    if (keys.fade) {
        EXPECT_GE(source.width(), 15);
        EXPECT_GT(source.height(), kScrollFadeEndRow);
    } else {
        EXPECT_EQ(source.width(), kScrollThumbWidth);
        EXPECT_GT(source.height(), kScrollCapRow);
    }
    // The largest thumb fits the track.
    EXPECT_GE(skin.Rect("Scroll00").height(), kScrollThumbMaxHeight + 2);
}

TEST_P(ShippedSkinTest, ColourFontAndSliderKeysAreGiven) {
    const CSkinDescription skin = Skin();
    const std::pair<const char*, const char*> keys[] = {
        {"Static0", "TextColor"},      {"Static1", "TextColor"},       {"Static1", "FontHeight"},
        {"Static1", "FontWeight"},     {"Static5", "TextColor"},       {"Static5", "FontHeight"},
        {"Slider0", "bTrans"},         {"Slider0", "LowToHight"},      {"Slider1", "Circle"},
        {"Edit0", "TextColor"},        {"Scroll00", "bFade"},          {"List102", "SongOverColor"},
        {"List102", "SongColor"},      {"List102", "AlbumOverColor"},  {"List102", "AlbumColor"},
        {"List102", "BkColor"},        {"Static102", "TextColor"},     {"Static102", "BkColor"},
        {"Static103", "TextColor"},    {"Edit100", "TextColor"},       {"Edit101", "TextColor"},
        {"Wnd_Lyric_Static", "BkColor"}, {"Wnd_Lyric_Static", "TextColor"}};
    for (const auto& [section, key] : keys) EXPECT_FALSE(skin.String(section, key).empty()) << section << " " << key;
    for (const char* section : {"Static106", "Static109", "Static110", "Static112", "Static113", "Static114", "Static115"})
        EXPECT_FALSE(skin.String(section, "TextColor").empty()) << section;
    // The current lyric line stands out from the others.
    EXPECT_NE(skin.TextColour("Wnd_Lyric_Static"), skin.BackColour("Wnd_Lyric_Static"));
}

TEST_P(ShippedSkinTest, DescriptionIsInTheSystemCodePage) {
    EXPECT_EQ(FromAnsi(Skin().String("Info", "Caption")), QString::fromUtf8(GetParam().caption));
    EXPECT_EQ(FromAnsi(Skin("MiniSkin").String("Info", "Caption")), QString::fromUtf8(GetParam().caption));
}

INSTANTIATE_TEST_SUITE_P(Shipped, ShippedSkinTest,
                         ::testing::Values(ShippedSkin{kSkinClassic, "乐库经典"}, ShippedSkin{kSkinOrange, "橙色梦幻"}),
                         [](const auto& info) { return info.param.folder; });

TEST(ShippedSkins, SkinsDifferInTheirPlayerKeyColour) {
    const auto classic = LoadBitmapFile(CSkinDescription(kRoot, kSkinClassic).BitmapFile("Wnd0"));
    const auto orange = LoadBitmapFile(CSkinDescription(kRoot, kSkinOrange).BitmapFile("Wnd0"));
    ASSERT_TRUE(classic && orange);
    // Cut along the other skin's key, the window would stay a full rectangle.
    EXPECT_EQ(BitmapToRegion(*classic, kSkinKeyColour).rectCount(), 1);
    EXPECT_EQ(BitmapToRegion(*orange, kClassicPlayerKeyColour).rectCount(), 1);
}

TEST(ShippedSkins, ChosenSkinFolderExistsForEveryKind) {
    TempDir dir;
    for (const char* kind : {"", "1", "2", "7"}) {
        const auto ini = dir.Write("TonvikMusic.ini", std::string(*kind ? "[SKIN]\r\nKind=" : "") + kind + "\r\n");
        const std::string skin = ReadSkinChoice(ini);
        EXPECT_TRUE(CSkinDescription(kRoot, skin).Loaded()) << kind;
        EXPECT_TRUE(CSkinDescription(kRoot, MiniSkinOf(skin)).Loaded()) << kind;
    }
}

TEST(ShippedResources, ProgramPicturesLoadAtTheirSizes) {
    for (int id : {kResProgramIcon, kResTrayOfflineClassic, kResTrayOnlineClassic, kResTrayOfflineOrange, kResTrayOnlineOrange}) {
        QImageReader reader(QString::fromStdString(ResourceIconFile(kRoot, id)));
        EXPECT_GE(reader.imageCount(), 2) << id;
        const QImage icon = reader.read();
        EXPECT_FALSE(icon.isNull()) << id;
        EXPECT_TRUE(icon.hasAlphaChannel()) << id;
    }
    EXPECT_EQ(BitmapSize(ResourceBitmapFile(kRoot, kResSelectionBar)), QSize(310, 17));
    EXPECT_EQ(BitmapSize(ResourceBitmapFile(kRoot, kResTipClassic)), QSize(240, 50));
    EXPECT_EQ(BitmapSize(ResourceBitmapFile(kRoot, kResTipOrange)), QSize(240, 50));
    EXPECT_EQ(BitmapSize(ResourceBitmapFile(kRoot, kResUpdatePicture)), QSize(32, 32));
    // The tip windows are colour keyed along magenta.
    for (int id : {kResTipClassic, kResTipOrange}) CheckRegion(ResourceBitmapFile(kRoot, id), kSkinKeyColour);
}

TEST(ShippedPages, OfflinePagesAreChineseAndSelfContained) {
    for (const char* name : {"noconnection.htm", "disconnected.htm"}) {
        const std::string page = TempDir::Read(kRoot + "/html/" + name);
        ASSERT_FALSE(page.empty()) << name;
        const QString text = QString::fromUtf8(page.data(), qsizetype(page.size()));
        EXPECT_TRUE(text.contains(QStringLiteral("网络"))) << name;
        EXPECT_TRUE(text.contains(QStringLiteral("charset=\"utf-8\""))) << name;
        for (const char* external : {"http:", "https:", "src=", "href=", "url("}) {
            EXPECT_FALSE(text.contains(QLatin1String(external))) << name << " " << external;
        }
    }
}

TEST(ShippedManifest, SeedManifestIsAnUpdateDocumentOfThePlayer) {
    const std::string manifest = TempDir::Read(kRoot + "/Update/Update.xml");
    ASSERT_EQ(manifest.rfind("<?xml ", 0), 0u);
    for (const char* element : {"<update>", "<update_code>0</update_code>", "<module>5</module>", "<type>0</type>",
                                "<main_ver>", "<patch_ver>", "<update_status>0</update_status>", "<mainfile>http://",
                                "<patchfile>http://", "<localfile>", "<down_retry>0</down_retry>", "</update>"})
        EXPECT_NE(manifest.find(element), std::string::npos) << element;
}

}  // namespace
