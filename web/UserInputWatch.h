#pragma once
// Whether the user has just pressed a mouse button or a key in a page view.
// The web engine tells a navigation a script started from one the user's
// click started only for new windows; a page's scripts can make no input
// event of the window system, so a press seen here is the user's own.

#include <QElapsedTimer>
#include <QObject>

#include <chrono>

class QWidget;

class CUserInputWatch : public QObject {
public:
    // How long a press counts: time for the engine to turn it into the
    // navigation it starts on a loaded machine.
    static constexpr std::chrono::milliseconds kPressLifetime{3000};

    // Watches `view` and every widget it holds, now and later (the engine
    // makes the widget that takes the input when it draws the first page).
    explicit CUserInputWatch(QWidget* view);

    // True when the user pressed a button or a key in the view within
    // kPressLifetime; the press is spent (the next call is false until the
    // next press).
    bool TakeRecentPress();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Watch(QObject* object);

    QElapsedTimer m_sincePress;  // invalid while no unspent press
};
