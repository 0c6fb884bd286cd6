#include "web/UserInputWatch.h"

#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace {

bool IsUserPress(const QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::TouchBegin:
        return true;
    case QEvent::KeyPress: {
        // The keys that follow a focused link.
        const int key = static_cast<const QKeyEvent*>(event)->key();
        return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    }
    default:
        return false;
    }
}

}  // namespace

CUserInputWatch::CUserInputWatch(QWidget* view) : QObject(view) { Watch(view); }

void CUserInputWatch::Watch(QObject* object) {
    if (!object->isWidgetType()) return;
    object->removeEventFilter(this);
    object->installEventFilter(this);
    for (QObject* child : object->children()) Watch(child);
}

bool CUserInputWatch::TakeRecentPress() {
    const bool recent = m_sincePress.isValid() && m_sincePress.elapsed() <= kPressLifetime.count();
    m_sincePress.invalidate();
    return recent;
}

bool CUserInputWatch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ChildAdded) {
        Watch(static_cast<QChildEvent*>(event)->child());
    } else if (IsUserPress(event)) {
        m_sincePress.start();
    }
    return QObject::eventFilter(watched, event);
}
