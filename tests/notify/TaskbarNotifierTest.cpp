// The pop-up notifier: creation, skin, fonts, colours, hover and click.

#include "common/WellKnownPaths.h"
#include "common/WindowMessage.h"
#include "notify/NotifyIds.h"
#include "notify/TaskbarNotifier.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {

class NotifierOwner : public QWidget, public CMessageTarget {
public:
    NotifierOwner() : CMessageTarget(this) {
        SetMessageHandler(WM_NOTIFIER_CLICKED, [this](WPARAM, LPARAM) {
            ++clicks;
            return 0;
        });
    }
    int clicks = 0;
};

// A skin picture with a magenta corner, saved as "res/<id>.bmp".
void WriteSkin(const TempDir& dir, int id, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(20, 40, 60));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x) image.setPixel(x, y, qRgb(255, 0, 255));
    std::filesystem::create_directories(dir / "res");
    const auto path = dir / "res" / (std::to_string(id) + ".bmp");
    ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "BMP"));
}

bool WaitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class TaskbarNotifierTest : public ::testing::Test {
protected:
    NotifierOwner owner;
    CTaskbarNotifier* notifier = new CTaskbarNotifier;  // owned by `owner` after Create
    TempDir dir;

    void SetUp() override {
        ASSERT_TRUE(notifier->Create(&owner));
        SetupWellKnownPaths(dir.Path());
    }
};

TEST_F(TaskbarNotifierTest, CreatedHiddenTopmostWithEmptyRectangleUnderTheOwner) {
    EXPECT_EQ(notifier->Owner(), &owner);
    EXPECT_EQ(notifier->parentWidget(), &owner);
    EXPECT_TRUE(notifier->isWindow());
    EXPECT_FALSE(notifier->isVisible());
    EXPECT_TRUE(notifier->geometry().isEmpty());
    EXPECT_TRUE(notifier->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(notifier->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(notifier->NormalTextColor(), Rgb(133, 146, 181));
    EXPECT_EQ(notifier->HoverTextColor(), Rgb(10, 36, 106));
    notifier->SetTextColor(Rgb(0, 0, 0), Rgb(1, 2, 3));
    EXPECT_EQ(notifier->NormalTextColor(), Rgb(0, 0, 0));
    EXPECT_EQ(notifier->HoverTextColor(), Rgb(1, 2, 3));
}

TEST_F(TaskbarNotifierTest, SkinGivesSizeTextRectangleAndShape) {
    WriteSkin(dir, IDB_NOTIFIER_SKIN, 200, 80);
    // The transparent colour asked for is not the one used: magenta is.
    ASSERT_TRUE(notifier->SetSkin(IDB_NOTIFIER_SKIN, 0, 128, 128));
    EXPECT_EQ(notifier->SkinWidth(), 200);
    EXPECT_EQ(notifier->SkinHeight(), 80);
    EXPECT_EQ(notifier->TextRect(), QRect(60, 20, 130, 50));
    EXPECT_FALSE(notifier->SkinRegion().contains(QPoint(2, 2)));
    EXPECT_TRUE(notifier->SkinRegion().contains(QPoint(6, 2)));
    EXPECT_TRUE(notifier->SkinRegion().contains(QPoint(199, 79)));
    EXPECT_TRUE(notifier->geometry().isEmpty());
}

TEST_F(TaskbarNotifierTest, SmallOrMissingSkin) {
    WriteSkin(dir, 7, 40, 20);
    ASSERT_TRUE(notifier->SetSkin(7));
    EXPECT_TRUE(notifier->TextRect().isEmpty());
    EXPECT_FALSE(notifier->SetSkin(8));
    EXPECT_EQ(notifier->SkinWidth(), 40);
}

TEST_F(TaskbarNotifierTest, FontsAreTheDefaultFontStyledByBits) {
    notifier->SetTextFont("SYSTEM", 90, 0, 4);
    EXPECT_EQ(notifier->NormalFont().weight(), QFont::Normal);
    EXPECT_EQ(notifier->HoverFont().weight(), QFont::Normal);
    EXPECT_FALSE(notifier->HoverFont().underline());
    EXPECT_FALSE(notifier->HoverFont().italic());
    EXPECT_NE(notifier->NormalFont().family(), QString("SYSTEM"));

    notifier->SetTextFont("SYSTEM", 90, 1, 3);
    EXPECT_EQ(notifier->NormalFont().weight(), QFont::Bold);
    EXPECT_FALSE(notifier->NormalFont().italic());
    EXPECT_EQ(notifier->HoverFont().weight(), QFont::Bold);
    EXPECT_TRUE(notifier->HoverFont().italic());
}

TEST_F(TaskbarNotifierTest, HoverFollowsTheMouseAndLeftReleasePostsToTheOwner) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(notifier, &enter);
    EXPECT_TRUE(notifier->IsHover());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(notifier, &leave);
    EXPECT_FALSE(notifier->IsHover());

    QMouseEvent right(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(notifier, &right);
    QMouseEvent left(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(notifier, &left);
    EXPECT_TRUE(WaitFor([&] { return owner.clicks > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.clicks, 1);
}

TEST(TaskbarNotifierTextTest, LongTextEndsWithAnEllipsis) {
    const QFont font;
    const QRect rect(0, 0, 200, QFontMetrics(font).height() * 2 + 2);
    EXPECT_EQ(CTaskbarNotifier::FitText("short", font, rect), "short");
    const QString longText = QString("word ").repeated(200);
    const QString fitted = CTaskbarNotifier::FitText(longText, font, rect);
    EXPECT_TRUE(fitted.endsWith(QChar(0x2026))) << fitted.toStdString();
    EXPECT_LT(fitted.size(), longText.size());
    EXPECT_TRUE(CTaskbarNotifier::FitText(longText, font, QRect()).isEmpty());
}

}  // namespace
