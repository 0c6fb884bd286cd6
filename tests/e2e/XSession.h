#pragma once
// A virtual X screen of the test's own (Xvfb with a compositing manager) and
// a user's hands on it: real X input events through xdotool, window lookup
// by title, and pictures of the screen through ImageMagick's import. Every
// outside program runs with a time limit.

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The outside programs the session needs that cannot be found; empty when
// all are there.
std::vector<std::string> MissingXTools();

// How many colours a picture has, counted up to `enough`: a list showing its
// rows has more than a few.
int Colours(const QImage& image, int enough = 64);

class CVirtualScreen {
public:
    CVirtualScreen() = default;
    ~CVirtualScreen();
    CVirtualScreen(const CVirtualScreen&) = delete;
    CVirtualScreen& operator=(const CVirtualScreen&) = delete;

    // Starts a screen of `size` on a free display number and waits (bounded)
    // until it answers. False with Error() when it did not come up.
    bool Start(QSize size);
    const std::string& Error() const { return m_error; }
    // ":<number>"
    QString Display() const { return m_display; }
    // A system tray on the screen (the screen has none of its own), for
    // programs started after it; false when it did not come up.
    bool StartTray();
    // The tray's window while it holds icons (their row), or 0.
    unsigned long Tray() const;

    // Runs `program` with the screen as its display; its standard output,
    // or nothing when it failed or ran out of `limit`.
    std::optional<QByteArray> Run(const QString& program, const QStringList& arguments,
                                  std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
    // xdotool with `arguments`; true when it ran and succeeded.
    bool Xdo(const QStringList& arguments) const;

    // The visible top-level windows whose title matches the anchored regular
    // expression `title`.
    std::vector<unsigned long> Windows(const QString& title) const;
    // The visible top-level windows of a program, by its window class.
    std::vector<unsigned long> WindowsOfClass(const QString& windowClass) const;
    // The first of them, or 0.
    unsigned long Window(const QString& title) const;
    // A window's place on the screen; empty when it is gone.
    QRect Geometry(unsigned long window) const;

    // Moves a window's top-left corner to `to`, as a user's drag would.
    bool Move(unsigned long window, QPoint to) const;

    // A left click (twice with `doubleClick`) or a right click at a point
    // of the screen; the pointer moves there first.
    bool Click(QPoint at, bool doubleClick = false) const;
    bool RightClick(QPoint at) const;
    // Keys by their X names ("Return", "Down", "Delete", ...), in order.
    bool Keys(const QStringList& keys) const;
    // Types text (UTF-8) into the focused control.
    bool Type(const QString& text) const;

    // A picture of a part of the screen (the whole screen when `area` is
    // empty); null when it could not be taken.
    QImage Grab(QRect area = {}) const;

private:
    QProcessEnvironment Environment() const;
    std::vector<unsigned long> Search(const QString& option, const QString& value) const;

    std::string m_error;
    QString m_display;
    QProcess m_server;
    QProcess m_compositor;
    QProcess m_tray;
};
