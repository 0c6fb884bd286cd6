// The tip dialog: closing by itself, its background by skin and its shape,
// and where its texts are drawn.

#include "albums/AddTipDlg.h"
#include "common/Text.h"
#include "skin/ProgramResources.h"

#include <QElapsedTimer>
#include <QFontDatabase>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

constexpr const char* kDataDir = TONVIK_DATA_DIR;

void UseShippedResources(CAddTipDlg& tip, const char* skin = "Skin2") {
    tip.SetResourceRoot(kDataDir);
    tip.SetSkinFolder(skin);
}

TEST(AddTipDlgTest, ATipWithNoSettingsClosesByItselfAfterTwoSeconds) {
    CAddTipDlg tip;
    UseShippedResources(tip);
    bool forced = false;
    // Only a bound for a broken tip; a working one has long closed by then.
    QTimer::singleShot(15000, &tip, [&] {
        forced = true;
        tip.done(99);
    });
    QElapsedTimer clock;
    clock.start();
    const int result = tip.exec();
    const qint64 elapsed = clock.elapsed();
    EXPECT_FALSE(forced);
    EXPECT_NE(result, 99);
    EXPECT_GE(elapsed, 1900);
    EXPECT_LT(elapsed, 8000);
    EXPECT_FALSE(tip.isVisible());
}

TEST(AddTipDlgTest, ALongDelayKeepsTheTipOpen) {
    CAddTipDlg tip;
    UseShippedResources(tip);
    tip.m_nDelay = 8000;
    tip.SetText(Cp936("网络连接异常，请联网后使用本软件"));
    QSignalSpy finished(&tip, &QDialog::finished);
    tip.show();
    QTest::qWait(2500);
    EXPECT_TRUE(tip.isVisible());
    EXPECT_EQ(finished.count(), 0);
    tip.close();
}

TEST(AddTipDlgTest, AShortDelayClosesSooner) {
    CAddTipDlg tip;
    UseShippedResources(tip);
    tip.m_nDelay = 300;
    QSignalSpy finished(&tip, &QDialog::finished);
    QElapsedTimer clock;
    clock.start();
    tip.show();
    ASSERT_TRUE(finished.wait(8000));
    EXPECT_GE(clock.elapsed(), 280);
    EXPECT_FALSE(tip.isVisible());
}

TEST(AddTipDlgTest, ATipShownAgainClosesByItselfAgain) {
    CAddTipDlg tip;
    UseShippedResources(tip);
    tip.m_nDelay = 200;
    QSignalSpy finished(&tip, &QDialog::finished);
    tip.show();
    ASSERT_TRUE(finished.wait(8000));
    tip.show();
    ASSERT_TRUE(finished.wait(8000));
    EXPECT_FALSE(tip.isVisible());
}

TEST(AddTipDlgTest, IsTheSizeOfItsBackground) {
    CAddTipDlg tip;
    UseShippedResources(tip);
    tip.show();
    EXPECT_EQ(tip.size(), QSize(kTipWidth, kTipHeight));
    EXPECT_TRUE(tip.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(tip.isModal());
    tip.close();
}

struct SkinCase {
    const char* folder;
    int resource;
};

class TipBackgroundTest : public ::testing::TestWithParam<SkinCase> {};

TEST_P(TipBackgroundTest, IsChosenByTheSkinFolderAndKeyedOut) {
    CAddTipDlg tip;
    UseShippedResources(tip, GetParam().folder);
    tip.Initialise();
    EXPECT_EQ(TipBackgroundResource(GetParam().folder), GetParam().resource);
    EXPECT_EQ(tip.BackgroundResource(), GetParam().resource);
    const std::optional<CDib> expected = LoadBitmapFile(ResourceBitmapFile(kDataDir, GetParam().resource));
    ASSERT_TRUE(expected.has_value());
    const QImage image = expected->ToImage();
    EXPECT_EQ(tip.Background().convertToFormat(QImage::Format_RGB32), image.convertToFormat(QImage::Format_RGB32));

    // Key pixels are outside the window's shape, every other pixel inside.
    int keyed = 0, kept = 0;
    const QRegion shape = tip.mask();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool key = (image.pixel(x, y) & 0xFFFFFF) == 0xFF00FF;
            EXPECT_EQ(shape.contains(QPoint(x, y)), !key) << x << "," << y;
            (key ? keyed : kept)++;
        }
    }
    EXPECT_GT(keyed, 0);
    EXPECT_GT(kept, 0);
}

INSTANTIATE_TEST_SUITE_P(Skins, TipBackgroundTest,
                         ::testing::Values(SkinCase{"Skin2", kResTipClassic}, SkinCase{"Skin2/MiniSkin", kResTipClassic},
                                           SkinCase{"Skin2/MiniSkin2", kResTipClassic}, SkinCase{"Skin", kResTipOrange},
                                           SkinCase{"Skin/MiniSkin", kResTipOrange}),
                         [](const auto& info) {
                             std::string name = info.param.folder;
                             for (char& c : name)
                                 if (c == '/') c = '_';
                             return name;
                         });

// The pixels a tip's texts change on its background.
struct TextPixels {
    QRect bounds;       // of every changed pixel
    QRect lowerBounds;  // of changed pixels in rows 30 and below
    int textColoured = 0;
    int onPicture = 0;  // changed pixels where the background is not its light ground
};

TextPixels Render(CAddTipDlg& tip) {
    tip.Initialise();
    QImage image(kTipWidth, kTipHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QImage background = image;
    {
        QPainter painter(&background);
        painter.drawImage(0, 0, tip.Background());
    }
    {
        QPainter painter(&image);
        tip.Render(painter);
    }
    TextPixels pixels;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb shown = image.pixel(x, y);
            if (shown == background.pixel(x, y)) continue;
            pixels.bounds |= QRect(x, y, 1, 1);
            if (y >= 30) pixels.lowerBounds |= QRect(x, y, 1, 1);
            const QRgb ground = background.pixel(x, y);
            if (std::min({qRed(ground), qGreen(ground), qBlue(ground)}) < 0xC0) ++pixels.onPicture;
            if (std::abs(qRed(shown) - 0x33) <= 24 && std::abs(qGreen(shown) - 0x33) <= 24 && std::abs(qBlue(shown) - 0x33) <= 24)
                ++pixels.textColoured;
        }
    }
    return pixels;
}

TEST(TipLayoutTest, ThePlainTextStartsAtTheLeftMargin) {
    CAddTipDlg tip;
    UseShippedResources(tip);
    tip.m_bPlain = 1;
    tip.m_bCounts = 1;  // plain wins
    tip.SetText(Cp936("网络连接异常"));
    const TextPixels pixels = Render(tip);
    ASSERT_FALSE(pixels.bounds.isEmpty());
    EXPECT_GE(pixels.bounds.left(), 20);
    EXPECT_LE(pixels.bounds.left(), 24);
    EXPECT_GE(pixels.bounds.top(), 22);
    EXPECT_LE(pixels.bounds.top(), 30);
    EXPECT_GT(pixels.textColoured, 0);
}

TEST(TipLayoutTest, TheDefaultTextStandsBesideThePicture) {
    CAddTipDlg tip;
    UseShippedResources(tip, "Skin");
    tip.SetText(Cp936("   缓存中...请稍候！"));
    const TextPixels pixels = Render(tip);
    ASSERT_FALSE(pixels.bounds.isEmpty());
    // The indent of three blanks moves the first glyph a little right of 54.
    EXPECT_GE(pixels.bounds.left(), 54);
    EXPECT_LE(pixels.bounds.left(), 54 + 30);
    EXPECT_GE(pixels.bounds.top(), 22);
    EXPECT_LE(pixels.bounds.top(), 30);
    EXPECT_GT(pixels.textColoured, 0);
}

TEST(TipLayoutTest, TheCountsFormHasTwoLines) {
    CAddTipDlg tip;
    UseShippedResources(tip);
    tip.m_bCounts = 1;
    tip.m_nAdded = 7;
    tip.m_nDropped = 3;
    const TextPixels pixels = Render(tip);
    ASSERT_FALSE(pixels.bounds.isEmpty());
    EXPECT_GE(pixels.bounds.left(), 54);
    EXPECT_LE(pixels.bounds.left(), 58);
    EXPECT_GE(pixels.bounds.top(), 10);
    EXPECT_LE(pixels.bounds.top(), 18);
    ASSERT_FALSE(pixels.lowerBounds.isEmpty());
    EXPECT_GE(pixels.lowerBounds.left(), 56);
    EXPECT_LE(pixels.lowerBounds.left(), 60);
    EXPECT_GT(pixels.textColoured, 0);
}

TEST(TipLayoutTest, NoFormDrawsItsTextOverThePictureOfTheBackground) {
    for (const char* skin : {"Skin2", "Skin"}) {
        for (int form = 0; form < 3; ++form) {
            CAddTipDlg tip;
            UseShippedResources(tip, skin);
            tip.m_bPlain = form == 0;
            tip.m_bCounts = form == 1;
            tip.m_nAdded = 50;
            tip.m_nDropped = 49;
            // Long notices of each form: the network notice goes plain.
            tip.SetText(form == 0 ? Cp936("网络连接异常，请联网后使用本软件") : Cp936("每张专辑最多能包含50首歌曲！"));
            const TextPixels pixels = Render(tip);
            EXPECT_GT(pixels.textColoured, 0) << skin << " form " << form;
            EXPECT_EQ(pixels.onPicture, 0) << skin << " form " << form;
            EXPECT_LT(pixels.bounds.right(), kTipWidth - 2) << skin << " form " << form;
        }
    }
}

TEST(TipLayoutTest, TheTextsAndPositionsOfEachForm) {
    const auto plain = TipLayout(true, false, 0, 0, "a");
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].at, QPoint(20, 22));
    EXPECT_EQ(plain[0].text, "a");

    const auto counts = TipLayout(false, true, 12, 4, "a");
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0].at, QPoint(54, 10));
    EXPECT_EQ(counts[0].text, QString::fromUtf8("12首歌曲已经添加到专辑中！"));
    EXPECT_EQ(counts[1].at, QPoint(56, 30));
    EXPECT_EQ(counts[1].text, QString::fromUtf8("删除了4首重复或无效歌曲"));

    const auto text = TipLayout(false, false, 0, 0, "b");
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(text[0].at, QPoint(54, 22));
    EXPECT_EQ(text[0].text, "b");
}

TEST(AddTipDlgTest, UsesTheDefaultGuiFontAtNormalWeight) {
    CAddTipDlg tip;
    EXPECT_EQ(tip.TextFont().weight(), QFont::Normal);
    EXPECT_EQ(tip.TextFont().family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
}

TEST(AddTipDlgTest, AMissingBackgroundStillShowsAndCloses) {
    CAddTipDlg tip;
    tip.SetResourceRoot("/nonexistent-folder");
    tip.SetSkinFolder("Skin2");
    tip.m_nDelay = 100;
    QSignalSpy finished(&tip, &QDialog::finished);
    tip.show();
    EXPECT_TRUE(tip.Background().isNull());
    EXPECT_EQ(tip.size(), QSize(kTipWidth, kTipHeight));
    ASSERT_TRUE(finished.wait(8000));
}

}  // namespace
