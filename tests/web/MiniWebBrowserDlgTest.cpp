// The library pane's window: skins, buttons, shadow, hiding, minimising and
// dragging. Only showing the pane starts the web engine.

#include "skin/controls/HoverButton.h"
#include "skin/controls/SkinButtonEx.h"
#include "tests/web/WebTestSupport.h"
#include "web/MiniWebBrowserDlg.h"
#include "platform/Shell.h"
#include "web/WebEngine.h"
#include "web/WebIds.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QProcessEnvironment>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class MiniWebBrowserDlgTest : public ::testing::Test {
protected:
    CHoverButton* Button(int id) { return static_cast<CHoverButton*>(dialog.Control(id)); }

    CProgramFolder program{"127.0.0.1:18117"};
    CSongRecorder frame;
    CMiniWebBrowserDlg dialog{frame.Handle(), "Skin2", nullptr, [] { return ConnectionState::Connected; }};
};

}  // namespace

TEST_F(MiniWebBrowserDlgTest, EachSkinPlacesTheWindowButtonsAndShadow) {
    for (const char* skin : {"Skin2", "Skin"}) {
        SCOPED_TRACE(skin);
        dialog.SetSkin(skin);
        EXPECT_EQ(dialog.size(), QSize(560, 420));
        // The rounded corners of the background are cut away.
        EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0)));
        EXPECT_FALSE(dialog.mask().contains(QPoint(559, 419)));
        EXPECT_TRUE(dialog.mask().contains(QPoint(280, 200)));
        EXPECT_EQ(dialog.Control(IDC_LIB_BACK)->geometry(), QRect(118, 7, 28, 22));
        EXPECT_EQ(dialog.Control(IDC_LIB_REFRESH)->geometry(), QRect(178, 7, 28, 22));
        EXPECT_EQ(dialog.Control(IDC_LIB_CLOSE)->geometry(), QRect(532, 9, 18, 18));
        for (int id : {IDC_LIB_BACK, IDC_LIB_FORWARD, IDC_LIB_REFRESH}) EXPECT_EQ(Button(id)->ImageCount(), 4);
        EXPECT_EQ(Button(IDC_LIB_FORWARD)->toolTip(), QString::fromUtf8("下一页"));
        EXPECT_TRUE(static_cast<CSkinButtonEx*>(dialog.Control(IDC_LIB_CLOSE))->HasImage(CSkinButtonEx::State::Hover));
    }
    EXPECT_FALSE(Button(IDC_LIB_BACK)->isEnabled());
    EXPECT_FALSE(Button(IDC_LIB_FORWARD)->isEnabled());
    EXPECT_TRUE(Button(IDC_LIB_REFRESH)->isEnabled());
    EXPECT_EQ(dialog.Shadow().State().Params().size, 0);
    EXPECT_EQ(dialog.Shadow().State().Params().darkness, 0);

    dialog.SetSkin("Skin2");
    const ShadowParams classic = dialog.Shadow().State().Params();
    EXPECT_EQ(classic.size, 6);
    EXPECT_EQ(classic.sharpness, 8);
    EXPECT_EQ(classic.darkness, 250);
    EXPECT_EQ(classic.xOffset, 0);
    EXPECT_EQ(classic.yOffset, 0);
    EXPECT_EQ(dialog.PageView(), nullptr) << "the engine waits until the pane is shown";
}

TEST_F(MiniWebBrowserDlgTest, CloseHidesMinimiseHidesWithoutShadowAndRestoreBringsBoth) {
    dialog.ShowWindow(true);
    ASSERT_TRUE(dialog.IsShown());

    QCloseEvent systemClose;
    QCoreApplication::sendEvent(&dialog, &systemClose);
    EXPECT_FALSE(systemClose.isAccepted());
    EXPECT_TRUE(dialog.isVisible()) << "the system's close does nothing";

    dialog.MinimizeWindow();
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Shadow().State().Params().size, 0);
    dialog.RestoreWindow();
    EXPECT_TRUE(dialog.IsShown());
    EXPECT_TRUE(RunUntil([&] { return dialog.Shadow().State().Params().size == 6; }, 10000));

    dialog.OnCommand(IDC_LIB_CLOSE);
    EXPECT_FALSE(dialog.isVisible());
    // A hidden pane stays hidden through the player's minimise and restore.
    dialog.MinimizeWindow();
    dialog.RestoreWindow();
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(MiniWebBrowserDlgTest, DraggingOutsideThePageMovesTheWindow) {
    dialog.move(100, 100);
    const QPoint start = dialog.pos();
    QTest::mousePress(&dialog, Qt::LeftButton, {}, QPoint(300, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(330, 35), dialog.mapToGlobal(QPointF(330, 35)), Qt::NoButton,
                     Qt::LeftButton, {});
    QCoreApplication::sendEvent(&dialog, &move);
    QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(330, 35));
    EXPECT_EQ(dialog.pos(), start + QPoint(30, 15));
}

// The program draws nothing through OpenGL: X11's GL integration stays off
// for the process's life (the platform reads it when the engine first asks
// for OpenGL), unless the user chose one, and programs opened from ours get
// the user's environment back.
TEST(PrepareWebEngineTest, GlStaysOffUnlessTheUserChoseItAndChildrenGetTheUsersEnvironment) {
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    const bool hadGl = qEnvironmentVariableIsSet("QT_XCB_GL_INTEGRATION");
    const QByteArray gl = qgetenv("QT_XCB_GL_INTEGRATION");
    const QString variable = QStringLiteral("QT_XCB_GL_INTEGRATION");

    qputenv("QT_XCB_GL_INTEGRATION", "xcb_glx");
    PrepareWebEngine();
    EXPECT_EQ(qgetenv("QT_XCB_GL_INTEGRATION"), "xcb_glx");
    EXPECT_EQ(tonvik::platform::ChildEnvironment().value(variable), QStringLiteral("xcb_glx"));

    qunsetenv("QT_XCB_GL_INTEGRATION");
    PrepareWebEngine();
    EXPECT_EQ(qgetenv("QT_XCB_GL_INTEGRATION"), "none");
    EXPECT_FALSE(tonvik::platform::ChildEnvironment().contains(variable));

    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    if (hadGl) qputenv("QT_XCB_GL_INTEGRATION", gl);
    else qunsetenv("QT_XCB_GL_INTEGRATION");
}
