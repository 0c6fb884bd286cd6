// Whether a compositing manager runs, asked of a real X server: a virtual
// one started for the test, whose composite selection the test takes and
// gives up as a compositing manager would.

#include "platform/posix/X11Composition.h"

#include <QProcess>
#include <QStandardPaths>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// A virtual X server on a display number it picks itself.
class VirtualDisplay {
public:
    VirtualDisplay() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty()) return;
        // -displayfd: the server writes the number it took to our output.
        // -noreset: the server keeps running (and its atoms) between the
        // test's connections.
        m_server.start("Xvfb", {"-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0", "64x64x24"});
        if (!m_server.waitForStarted(10000)) return;
        QByteArray line;
        while (!line.contains('\n') && m_server.waitForReadyRead(10000)) line += m_server.readAllStandardOutput();
        if (line.contains('\n')) m_name = ":" + line.trimmed().toStdString();
    }
    ~VirtualDisplay() {
        m_server.terminate();
        if (!m_server.waitForFinished(10000)) m_server.kill();
        m_server.waitForFinished(10000);
    }
    // Empty when no server could be started.
    const std::string& Name() const { return m_name; }

private:
    QProcess m_server;
    std::string m_name;
};

// Takes the composite selection of screen 0 the way a compositing manager
// does: a window of its own made the selection's owner.
class SelectionOwner {
public:
    explicit SelectionOwner(const std::string& display) : m_connection(xcb_connect(display.c_str(), nullptr)) {
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const char name[] = "_NET_WM_CM_S0";
        xcb_intern_atom_reply_t* atom =
            xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
        if (atom) xcb_set_selection_owner(m_connection, window, atom->atom, XCB_CURRENT_TIME);
        std::free(atom);
        // A round trip: the server has taken the ownership when it answers.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    ~SelectionOwner() { xcb_disconnect(m_connection); }

private:
    xcb_connection_t* m_connection;
};

TEST(CompositionTest, AnXDisplayComposesOnlyWhileItsSelectionHasAnOwner) {
    VirtualDisplay display;
    if (display.Name().empty()) GTEST_SKIP() << "no virtual X server here";
    EXPECT_FALSE(tonvik::platform::X11CompositorRuns(display.Name()));
    {
        SelectionOwner compositor(display.Name());
        EXPECT_TRUE(tonvik::platform::X11CompositorRuns(display.Name()));
    }
    // A display nobody serves has no compositor either.
    EXPECT_FALSE(tonvik::platform::X11CompositorRuns(":65000"));
}

}  // namespace
