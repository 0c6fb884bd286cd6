// The shadow window behind real (offscreen) windows: it follows the parent's
// shows, hides, sizes, moves and composition.

#include "notify/WndShadow.h"

#include "platform/Composition.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// Processes events until `done` holds or two seconds pass.
bool WaitFor(const std::function<bool()>& done) {
    QDeadlineTimer deadline(2000);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Notes what the shadow made of each resize of the parent. Installed before
// the shadow's own filter, it runs after it.
class CResizeWatcher : public QObject {
public:
    explicit CResizeWatcher(const CWndShadow& shadow) : m_shadow(shadow) {}
    bool pendingAfterResize = false;
    int redrawsAfterResize = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) {
            pendingAfterResize = m_shadow.State().UpdatePending();
            redrawsAfterResize = m_shadow.RedrawCount();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const CWndShadow& m_shadow;
};

class WndShadowWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        tonvik::platform::SetCompositionOverride(false);
        parent = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint);
        parent->setGeometry(100, 80, 40, 30);
    }
    void TearDown() override { tonvik::platform::SetCompositionOverride(std::nullopt); }

    // The player's shadow for the second skin family.
    void SetPlayerShadow() {
        ASSERT_TRUE(shadow.SetShadowSize(6));
        ASSERT_TRUE(shadow.SetShadowSoftness(8));
        ASSERT_TRUE(shadow.SetShadowDarkness(250));
        ASSERT_TRUE(shadow.SetShadowOffset(5, 5));
    }
    bool ShadowShown() const { return shadow.ShadowWindow() && shadow.ShadowWindow()->isVisible(); }

    std::unique_ptr<QWidget> parent;
    CWndShadow shadow;
};

}  // namespace

TEST_F(WndShadowWindowTest, CreatesOneShadowWindowThatLetsTheMouseThrough) {
    EXPECT_FALSE(shadow.Create(nullptr));
    ASSERT_TRUE(shadow.Create(parent.get()));
    EXPECT_FALSE(shadow.Create(parent.get()));
    CShadowWindow* window = shadow.ShadowWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(window->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(window->testAttribute(Qt::WA_ShowWithoutActivating));
    // The parent is not shown yet: neither is the shadow.
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(shadow.State().Flags(), CWndShadowState::kEnabled);
}

TEST_F(WndShadowWindowTest, NoShadowWhereTranslucentWindowsShowBlack) {
    tonvik::platform::SetTranslucencyOverride(false);
    const bool created = shadow.Create(parent.get());
    tonvik::platform::SetTranslucencyOverride(std::nullopt);
    EXPECT_FALSE(created);
    EXPECT_EQ(shadow.ShadowWindow(), nullptr);
    parent->show();
    EXPECT_TRUE(parent->findChildren<CShadowWindow*>().isEmpty());
}

TEST_F(WndShadowWindowTest, ShadowFollowsTheParentsShapeAndPosition) {
    parent->setMask(QRegion(QRect(0, 0, 40, 30), QRegion::Ellipse));
    ASSERT_TRUE(shadow.Create(parent.get()));
    SetPlayerShadow();
    parent->show();
    ASSERT_TRUE(WaitFor([&] { return ShadowShown(); }));
    CShadowWindow* window = shadow.ShadowWindow();
    EXPECT_EQ(window->geometry(), QRect(100 + 5 - 6, 80 + 5 - 6, 52, 42));
    EXPECT_EQ(window->Image(), ComputeShadowField(parent->mask(), QSize(40, 30), shadow.State().Params()));

    parent->move(200, 150);
    ASSERT_TRUE(WaitFor([&] { return window->pos() == QPoint(199, 149); }));
    EXPECT_EQ(window->size(), QSize(52, 42));

    parent->hide();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(shadow.State().Flags(), CWndShadowState::kEnabled);
}

TEST_F(WndShadowWindowTest, MaximiseHidesAndRestoreShows) {
    ASSERT_TRUE(shadow.Create(parent.get()));
    SetPlayerShadow();
    parent->show();
    ASSERT_TRUE(WaitFor([&] { return ShadowShown(); }));
    parent->showMaximized();
    ASSERT_TRUE(WaitFor([&] { return !ShadowShown(); }));
    EXPECT_FALSE(shadow.State().Has(CWndShadowState::kShadowVisible));
    parent->showNormal();
    ASSERT_TRUE(WaitFor([&] { return ShadowShown(); }));
    EXPECT_TRUE(shadow.State().Has(CWndShadowState::kShadowVisible));
}

TEST_F(WndShadowWindowTest, GrowingDefersTheRedrawToThePaintShrinkingRedrawsAtOnce) {
    CResizeWatcher watcher(shadow);
    parent->installEventFilter(&watcher);
    ASSERT_TRUE(shadow.Create(parent.get()));
    SetPlayerShadow();
    parent->show();
    ASSERT_TRUE(WaitFor([&] { return ShadowShown() && !shadow.State().UpdatePending(); }));

    int before = shadow.RedrawCount();
    parent->resize(60, 45);
    ASSERT_TRUE(WaitFor([&] { return shadow.State().LastSize() == QSize(60, 45); }));
    EXPECT_TRUE(watcher.pendingAfterResize);
    EXPECT_EQ(watcher.redrawsAfterResize, before);
    // The parent's paint brings the shadow up to the new size.
    ASSERT_TRUE(WaitFor([&] { return !shadow.State().UpdatePending(); }));
    EXPECT_EQ(shadow.RedrawCount(), before + 1);
    EXPECT_EQ(shadow.ShadowWindow()->size(), QSize(72, 57));

    before = shadow.RedrawCount();
    parent->resize(50, 40);
    ASSERT_TRUE(WaitFor([&] { return shadow.State().LastSize() == QSize(50, 40); }));
    EXPECT_FALSE(watcher.pendingAfterResize);
    EXPECT_EQ(watcher.redrawsAfterResize, before + 1);
    EXPECT_EQ(shadow.ShadowWindow()->size(), QSize(62, 52));
    parent->removeEventFilter(&watcher);
}

TEST_F(WndShadowWindowTest, CompositionOnMeansNoShadowUntilItGoesOff) {
    tonvik::platform::SetCompositionOverride(true);
    ASSERT_TRUE(shadow.Create(parent.get()));
    SetPlayerShadow();
    parent->show();
    QApplication::processEvents();
    EXPECT_FALSE(ShadowShown());
    EXPECT_TRUE(shadow.State().Has(CWndShadowState::kComposition));

    tonvik::platform::SetCompositionOverride(false);
    shadow.OnCompositionChanged();
    EXPECT_TRUE(ShadowShown());
    tonvik::platform::SetCompositionOverride(true);
    shadow.OnCompositionChanged();
    EXPECT_FALSE(ShadowShown());
}

TEST_F(WndShadowWindowTest, ShadowGoesWithItsParent) {
    ASSERT_TRUE(shadow.Create(parent.get()));
    SetPlayerShadow();
    parent->show();
    ASSERT_TRUE(WaitFor([&] { return ShadowShown(); }));
    parent.reset();
    EXPECT_EQ(shadow.ShadowWindow(), nullptr);
    // Nothing is left to act on.
    EXPECT_TRUE(shadow.SetShadowSize(3));
    shadow.OnExitSizeMove();
    shadow.OnCompositionChanged();
}
