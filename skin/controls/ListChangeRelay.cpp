#include "skin/controls/ListChangeRelay.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>

struct CListChangeRelay::State {
    QObject* receiver = nullptr;
    std::function<void()> refresh;
    // A call is on its way: later news rides with it.
    std::atomic<bool> pending{false};
};

CListChangeRelay::CListChangeRelay(QObject* receiver, std::function<void()> refresh) : m_state(std::make_shared<State>())
{
    m_state->receiver = receiver;
    m_state->refresh = std::move(refresh);
}

std::function<void()> CListChangeRelay::Listener() const
{
    return [state = m_state] {
        if (state->pending.exchange(true))
            return;
        QMetaObject::invokeMethod(
            state->receiver,
            [state] {
                // Cleared before reading the list, so that a change made
                // during the refresh asks for another one.
                state->pending = false;
                state->refresh();
            },
            Qt::QueuedConnection);
    };
}
