// The rolling title moved by the X server itself, on a real X server: the
// pixels the server shows are the ones the control paints when it repaints
// each step, the real ticks move it without waking this thread, a stop
// gives the control's own picture back, and a real click on the lyric link
// reaches the control through the windows that show the title.

#include "skin/SkinDescription.h"
#include "skin/controls/RollTextStatic.h"
#include "tests/skin/window/ServerPixels.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <set>
#include <vector>

namespace {

using namespace std::chrono_literals;

const QString kTitle = QStringLiteral("晚风晚风--林夕 and a title long enough to roll out of sight");

// A window holding a title of a shipped skin, shown.
struct TitleWindow {
    explicit TitleWindow(const char* folder, QSize size) {
        window.resize(size.width() + 40, size.height() + 30);
        title = new CRollTextStatic(&window);
        title->SetSkin(CSkinDescription(TONVIK_DATA_DIR, folder));
        title->setGeometry(QRect(QPoint(20, 15), size));
        title->SetText(kTitle);
        window.show();
    }
    QWidget window;
    CRollTextStatic* title = nullptr;
};

// The positions the comparison takes: the start, a few steps on, the link
// at the left edge, the title entering again from the right.
std::vector<int> StepsToCompare(const CRollTextStatic& title) {
    const int wrap = title.TextWidth() * 11 / 10 + 1;
    return {0, 1, 37, title.TextWidth() - 3, wrap + 1, wrap + title.width() / 2};
}

std::vector<QImage> PicturesAlongTheRoll(CRollTextStatic& title, bool byWindowSystem) {
    std::vector<QImage> pictures;
    title.SetWindowSystemMotion(byWindowSystem);
    title.StartRolling();
    EXPECT_EQ(title.MovedByWindowSystem(), byWindowSystem);
    int taken = 0;
    for (int steps : StepsToCompare(title)) {
        for (; taken < steps; ++taken) title.RollStep();
        title.repaint();
        pictures.push_back(ServerPixels(title));
    }
    title.StopRolling();
    return pictures;
}

}  // namespace

TEST(RollOnWindowSystem, ShowsThePixelsTheRepaintedTitleShows) {
    if (!OnX11()) GTEST_SKIP() << "needs an X server (Xvfb)";
    struct Case {
        const char* folder;
        QSize size;
    };
    for (const Case& c : {Case{"Skin2", {326, 20}}, Case{"Skin", {156, 20}}, Case{"Skin2/MiniSkin2", {76, 16}}}) {
        SCOPED_TRACE(c.folder);
        TitleWindow shown(c.folder, c.size);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.window));
        CRollTextStatic& title = *shown.title;
        // Steps only by hand.
        title.SetRollInterval(1h);
        const std::vector<QImage> repainted = PicturesAlongTheRoll(title, false);
        const std::vector<QImage> moved = PicturesAlongTheRoll(title, true);
        ASSERT_EQ(repainted.size(), moved.size());
        for (size_t i = 0; i < moved.size(); ++i) {
            ASSERT_FALSE(moved[i].isNull());
            EXPECT_EQ(DifferentPixels(repainted[i], moved[i]), 0) << "at step " << StepsToCompare(title)[i];
        }
        // The title does move: each place shows another picture.
        EXPECT_GT(DifferentPixels(moved[0], moved[1]), 0);
        EXPECT_GT(DifferentPixels(moved[2], moved[4]), 0);
    }
}

TEST(RollOnWindowSystem, TicksMoveTheTitleWithoutWakingThisThreadAndStopGivesThePictureBack) {
    if (!OnX11()) GTEST_SKIP() << "needs an X server (Xvfb)";
    TitleWindow shown("Skin2", {326, 20});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.window));
    CRollTextStatic& title = *shown.title;
    title.repaint();
    const QImage still = ServerPixels(title);
    QSignalSpy rolled(&title, &CRollTextStatic::rolled);
    QSignalSpy ticking(&title, &CRollTextStatic::tickingChanged);

    title.StartRolling();
    ASSERT_TRUE(title.MovedByWindowSystem());
    QTRY_VERIFY_WITH_TIMEOUT(title.ScrollPos() >= 10, 5000);
    // What the server shows keeps changing, step by step in time (the
    // steps are sent ahead: all at once would show only a few pictures).
    std::set<QByteArray> pictures;
    QElapsedTimer watch;
    watch.start();
    while (watch.elapsed() < 600) {
        const QImage shown = ServerPixels(title);
        pictures.insert(QByteArray(reinterpret_cast<const char*>(shown.constBits()), shown.sizeInBytes()));
        QTest::qWait(20);
    }
    EXPECT_GE(pictures.size(), 10u);
    EXPECT_EQ(rolled.count(), 0);
    EXPECT_EQ(ticking.count(), 0);

    title.StopRolling();
    EXPECT_FALSE(title.MovedByWindowSystem());
    EXPECT_EQ(title.ScrollPos(), 0);
    title.repaint();
    EXPECT_EQ(DifferentPixels(ServerPixels(title), still), 0);

    // A title over a background the server cannot show it on (none here:
    // the window's own shows through) ticks here as before.
    title.SetSkin(CSkinDescription(TONVIK_DATA_DIR, "NoSuchSkin"));
    title.StartRolling();
    EXPECT_FALSE(title.MovedByWindowSystem());
    ASSERT_EQ(ticking.count(), 1);
    EXPECT_TRUE(ticking.at(0).at(0).toBool());
    QTRY_VERIFY_WITH_TIMEOUT(rolled.count() >= 3, 5000);
    title.StopRolling();
    EXPECT_EQ(ticking.count(), 2);
}

TEST(RollOnWindowSystem, ClickOnTheMovedLyricLinkReachesTheControl) {
    if (!OnX11()) GTEST_SKIP() << "needs an X server (Xvfb)";
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) GTEST_SKIP() << "needs xdotool";
    TitleWindow shown("Skin2", {326, 20});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown.window));
    CRollTextStatic& title = *shown.title;
    title.SetText(QStringLiteral("晚风"));
    title.SetRollInterval(1h);
    title.StartRolling();
    ASSERT_TRUE(title.MovedByWindowSystem());
    for (int i = 0; i < 7; ++i) title.RollStep();
    ASSERT_EQ(title.ScrollPos(), 7);
    QSignalSpy toggles(&title, &CRollTextStatic::lyricToggleRequested);
    auto click = [&](QPoint at) {
        const QPoint screen = title.mapToGlobal(at);
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(screen.x()),
                                                  QString::number(screen.y()), QStringLiteral("click"),
                                                  QStringLiteral("1")});
        return xdotool.waitForFinished(10000) && xdotool.exitCode() == 0;
    };
    // Past the link first, then on it: only the second click counts.
    ASSERT_TRUE(click({title.LinkX() + 40, 10}));
    ASSERT_TRUE(click({title.LinkX() + 2, 10}));
    QTRY_COMPARE_WITH_TIMEOUT(toggles.count(), 1, 5000);
    QTest::qWait(100);
    EXPECT_EQ(toggles.count(), 1);
}
