#pragma once
// Brings the news of a list's changes, told on whatever thread changed the
// list (see model/ListChanges.h), to the thread of a receiving object as
// one call, however many changes come before that call runs.

#include <functional>
#include <memory>

class QObject;

class CListChangeRelay {
public:
    // `refresh` runs on `receiver`'s thread; the receiver must take the
    // listener back from the list before it goes.
    CListChangeRelay(QObject* receiver, std::function<void()> refresh);

    // The listener to give the list.
    std::function<void()> Listener() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
