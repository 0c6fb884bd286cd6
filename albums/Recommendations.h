#pragma once
// The recommendation list (list kind 2) and its worker. The first visit of
// the recommendation tab reads the answer kept from the last request
// ("recommend.xml") and asks the service only when there is none; a
// refresh always asks. The worker fills a list of its own; when its run is
// done (WM_PANEL_RECOMMENDDONE, on the user-interface thread) that list
// replaces the one the view shows, so the view only ever reads the list
// under its lock, and a run that had to be abandoned changes nothing.

#include "albums/ServiceWorker.h"
#include "common/WindowMessage.h"
#include "model/SongList.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

class GenericHTTPClient;

class CRecommendations : public QObject, public CMessageTarget {
    Q_OBJECT
public:
    enum Mode {
        kModeStored = 1,   // the first visit: the kept answer first
        kModeRefresh = 2,  // ask the service
    };
    // The run's work: fills `list` and gives the request's result (> 0 when
    // the list came). Runs on the worker. Replaceable for tests.
    using Fetch = std::function<int(int mode, CSongList& list, GenericHTTPClient& client)>;

    // How long a refresh waits for a run still under way before it ends it
    // by force (its exchange is cancelled).
    static constexpr std::chrono::milliseconds kRefreshWait{500};
    static constexpr std::uint32_t kExitRefreshed = 0xFFFFFFFB;
    // After a refresh the view stays locked this long (timer 1,
    // kRefreshSettleTimer).
    static constexpr int kSettleTimerMs = 2000;

    // Told on the user-interface thread.
    class IListener {
    public:
        virtual ~IListener() = default;
        // A run is done; the list holds what it brought (the first visit's
        // always, a refresh's when the service answered).
        virtual void OnRecommendRunDone(int mode) = 0;
        // The refresh's settle time is over (timer 1).
        virtual void OnRecommendSettled() = 0;
    };

    explicit CRecommendations(IListener& listener, QObject* parent = nullptr);
    ~CRecommendations() override;

    void SetFetch(Fetch fetch) { m_fetch = std::move(fetch); }

    CSongList& List() { return m_list; }
    const CSongList& List() const { return m_list; }
    // m_bRecommendLoaded: the first visit's run is done.
    bool IsLoaded() const { return m_bRecommendLoaded != 0; }
    bool IsRunning();

    // The first visit: starts the run in mode 1 unless one is under way.
    // True when a run was started.
    bool StartFirstVisit();
    // Starts a run in mode 2; a run still under way is waited for at most
    // kRefreshWait and then ended by force. True when it was started.
    bool Refresh();

private:
    struct Run;
    bool Start(int mode);
    void OnRunDone(WPARAM run);

    IListener& m_listener;
    Fetch m_fetch;
    CServiceWorker m_worker;
    std::shared_ptr<Run> m_pendingRun;
    WPARAM m_nPendingRun = 0;
    CSongList m_list;
    int m_bRecommendLoaded = 0;
    QTimer m_settleTimer;
};
