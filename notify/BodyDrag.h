#pragma once
// Moving a borderless window by any point of its body: a left press on the
// window itself (not on one of its controls) takes it, the mouse moves it,
// and the release lets it go, the shadow then catching up. Where the
// desktop places the windows (Wayland), the press hands the move to it.
// Works as an event filter on the window.

#include "notify/WndShadow.h"

#include <QObject>
#include <QPoint>
#include <QWidget>

#include <optional>

class CBodyDrag : public QObject {
public:
    CBodyDrag(QWidget& window, CWndShadow& shadow);
    CBodyDrag(const CBodyDrag&) = delete;
    CBodyDrag& operator=(const CBodyDrag&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& m_window;
    CWndShadow& m_shadow;
    std::optional<QPoint> m_dragOffset;
};
