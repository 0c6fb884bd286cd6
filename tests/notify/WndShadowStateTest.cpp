// The shadow's decisions, fed by hand with the parent's events, checked
// through a recording stand-in for the shadow window.

#include "notify/WndShadowState.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class CRecordingSurface : public IShadowSurface {
public:
    void ShowShadow() override { calls.push_back("show"); }
    void HideShadow() override { calls.push_back("hide"); }
    void RedrawShadow() override { calls.push_back("redraw"); }
    void MoveShadow() override { calls.push_back("move"); }
    int Count(const std::string& call) const { return static_cast<int>(std::count(calls.begin(), calls.end(), call)); }
    std::vector<std::string> calls;
};

ShadowParentState Normal(int width = 400, int height = 300) {
    ShadowParentState parent;
    parent.visible = true;
    parent.clientSize = QSize(width, height);
    return parent;
}

ShadowParentState Maximised() {
    ShadowParentState parent = Normal(1024, 768);
    parent.maximised = true;
    return parent;
}

class WndShadowStateTest : public ::testing::Test {
protected:
    // Starts a shadow behind a visible 400 × 300 parent whose size is known.
    void StartVisible() {
        state.Start(false, Normal());
        state.OnSize(Normal());
        state.OnPaint();
        surface.calls.clear();
    }
    CRecordingSurface surface;
    CWndShadowState state{surface};
};

}  // namespace

TEST_F(WndShadowStateTest, DefaultsAndRangesOfTheSettings) {
    EXPECT_EQ(state.Flags(), 0);
    EXPECT_EQ(state.Params().darkness, 150);
    EXPECT_EQ(state.Params().sharpness, 5);
    EXPECT_EQ(state.Params().size, 0);
    EXPECT_EQ(state.Params().xOffset, 5);
    EXPECT_EQ(state.Params().yOffset, 5);
    EXPECT_EQ(state.Params().color, Rgb(0, 0, 0));

    EXPECT_FALSE(state.SetShadowSize(21));
    EXPECT_FALSE(state.SetShadowSize(-21));
    EXPECT_FALSE(state.SetShadowSoftness(21));
    EXPECT_FALSE(state.SetShadowSoftness(-1));
    EXPECT_FALSE(state.SetShadowDarkness(256));
    EXPECT_FALSE(state.SetShadowDarkness(-1));
    EXPECT_FALSE(state.SetShadowOffset(21, 0));
    EXPECT_FALSE(state.SetShadowOffset(0, -21));
    // Nothing changed by the refusals.
    EXPECT_EQ(state.Params().size, 0);
    EXPECT_EQ(state.Params().sharpness, 5);
    EXPECT_EQ(state.Params().darkness, 150);
    EXPECT_EQ(state.Params().xOffset, 5);
    EXPECT_EQ(state.Params().yOffset, 5);

    EXPECT_TRUE(state.SetShadowSize(-20));
    EXPECT_EQ(state.Params().size, -20);
    EXPECT_TRUE(state.SetShadowSize(20));
    EXPECT_TRUE(state.SetShadowSoftness(0));
    EXPECT_TRUE(state.SetShadowSoftness(20));
    EXPECT_TRUE(state.SetShadowDarkness(255));
    EXPECT_TRUE(state.SetShadowOffset(-20, 20));
    EXPECT_TRUE(state.SetShadowColor(Rgb(10, 20, 30)));
    EXPECT_EQ(state.Params().color, Rgb(10, 20, 30));
    // Hidden, a setting is only stored.
    EXPECT_TRUE(surface.calls.empty());
}

TEST_F(WndShadowStateTest, SettingsRedrawAVisibleShadow) {
    StartVisible();
    EXPECT_TRUE(state.SetShadowSize(6));
    EXPECT_TRUE(state.SetShadowColor(Rgb(255, 0, 0)));
    EXPECT_FALSE(state.SetShadowSoftness(21));
    EXPECT_EQ(surface.Count("redraw"), 2);
}

TEST_F(WndShadowStateTest, StartFollowsTheParentAndTheComposition) {
    state.Start(false, Normal());
    EXPECT_EQ(state.Flags(), CWndShadowState::kEnabled | CWndShadowState::kParentVisible | CWndShadowState::kShadowVisible);
    EXPECT_EQ(surface.calls, (std::vector<std::string>{"redraw", "show"}));

    CRecordingSurface hiddenSurface;
    CWndShadowState hidden(hiddenSurface);
    hidden.Start(false, ShadowParentState{});
    EXPECT_EQ(hidden.Flags(), CWndShadowState::kEnabled);
    EXPECT_EQ(hiddenSurface.calls, std::vector<std::string>{"hide"});

    // The desktop draws shadows itself: none from here, whatever the parent
    // does, until composition goes off.
    CRecordingSurface composedSurface;
    CWndShadowState composed(composedSurface);
    composed.Start(true, Normal());
    EXPECT_EQ(composed.Flags(), CWndShadowState::kEnabled | CWndShadowState::kComposition);
    composed.OnSize(Normal(500, 400));
    composed.OnShown(Normal());
    EXPECT_EQ(composedSurface.calls, std::vector<std::string>{"hide"});
    composed.OnCompositionChanged(false, Normal());
    EXPECT_TRUE(composed.Has(CWndShadowState::kShadowVisible));
    EXPECT_EQ(composedSurface.Count("show"), 1);
    composed.OnCompositionChanged(true, Normal());
    EXPECT_FALSE(composed.Has(CWndShadowState::kShadowVisible));
    EXPECT_EQ(composedSurface.Count("hide"), 2);
}

TEST_F(WndShadowStateTest, MaximiseHidesAndRestoreShows) {
    StartVisible();
    state.OnSize(Maximised());
    EXPECT_FALSE(state.Has(CWndShadowState::kShadowVisible));
    EXPECT_EQ(surface.calls, std::vector<std::string>{"hide"});
    // Moves while hidden leave the shadow alone.
    state.OnMove();
    EXPECT_EQ(surface.Count("move"), 0);

    surface.calls.clear();
    state.OnSize(Normal());
    EXPECT_TRUE(state.Has(CWndShadowState::kShadowVisible));
    EXPECT_EQ(surface.calls, (std::vector<std::string>{"redraw", "show"}));
    state.OnMove();
    EXPECT_EQ(surface.Count("move"), 1);

    ShadowParentState minimised = Normal();
    minimised.minimised = true;
    state.OnSize(minimised);
    EXPECT_FALSE(state.Has(CWndShadowState::kShadowVisible));
}

TEST_F(WndShadowStateTest, GrowingDefersTheRedrawToThePaintShrinkingRedrawsAtOnce) {
    StartVisible();
    state.OnSize(Normal(401, 300));
    EXPECT_TRUE(state.UpdatePending());
    EXPECT_EQ(surface.Count("redraw"), 0);
    state.OnPaint();
    EXPECT_FALSE(state.UpdatePending());
    EXPECT_EQ(surface.Count("redraw"), 1);
    state.OnPaint();
    EXPECT_EQ(surface.Count("redraw"), 1);

    // Taller only also counts as growth.
    state.OnSize(Normal(401, 320));
    EXPECT_TRUE(state.UpdatePending());
    state.OnPaint();

    surface.calls.clear();
    state.OnSize(Normal(300, 320));
    EXPECT_FALSE(state.UpdatePending());
    EXPECT_EQ(surface.calls, std::vector<std::string>{"redraw"});
    EXPECT_EQ(state.LastSize(), QSize(300, 320));
}

TEST_F(WndShadowStateTest, HideAndShowOfTheParent) {
    StartVisible();
    state.OnHidden();
    EXPECT_EQ(state.Flags(), CWndShadowState::kEnabled);
    EXPECT_EQ(surface.calls, std::vector<std::string>{"hide"});

    surface.calls.clear();
    state.OnShown(Normal());
    EXPECT_TRUE(state.Has(CWndShadowState::kShadowVisible));
    EXPECT_TRUE(state.Has(CWndShadowState::kParentVisible));
    EXPECT_GE(surface.Count("show"), 1);
    EXPECT_GE(surface.Count("redraw"), 1);

    // Shown maximised, the parent keeps its shadow hidden.
    state.OnHidden();
    surface.calls.clear();
    state.OnShown(Maximised());
    EXPECT_FALSE(state.Has(CWndShadowState::kShadowVisible));
    EXPECT_EQ(surface.Count("show"), 0);
    EXPECT_EQ(surface.calls.back(), "hide");
}

TEST_F(WndShadowStateTest, ExitSizeMoveRedrawsOnlyAVisibleShadow) {
    state.OnExitSizeMove();
    EXPECT_TRUE(surface.calls.empty());
    StartVisible();
    state.OnExitSizeMove();
    EXPECT_EQ(surface.calls, std::vector<std::string>{"redraw"});
}
