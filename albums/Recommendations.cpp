#include "albums/Recommendations.h"

#include "common/MessageIds.h"
#include "common/Trace.h"
#include "service/ServiceXml.h"

struct CRecommendations::Run {
    int mode = kModeStored;
    int result = 0;
    CSongList list;
};

namespace {

int FetchRecommendations(int mode, CSongList& list, GenericHTTPClient& client) {
    CRecommendXml parser;
    if (mode == CRecommendations::kModeStored) {
        const int stored = parser.LoadExistXml(list);
        if (stored > 0) return stored;
    }
    return parser.GetRecommendXml(list, client);
}

}  // namespace

CRecommendations::CRecommendations(IListener& listener, QObject* parent)
    : QObject(parent),
      CMessageTarget(this),
      m_listener(listener),
      m_fetch(FetchRecommendations),
      m_worker(Handle(), WM_PANEL_RECOMMENDDONE, "ThreadRandom...") {
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(kSettleTimerMs);
    connect(&m_settleTimer, &QTimer::timeout, this, [this] { m_listener.OnRecommendSettled(); });
    SetMessageHandler(WM_PANEL_RECOMMENDDONE, [this](WPARAM run, LPARAM) {
        OnRunDone(run);
        return LRESULT{0};
    });
}

CRecommendations::~CRecommendations() = default;

bool CRecommendations::IsRunning() { return !m_worker.WaitIdle(std::chrono::milliseconds(0)); }

bool CRecommendations::StartFirstVisit() {
    if (m_pendingRun || IsRunning()) return false;
    return Start(kModeStored);
}

bool CRecommendations::Refresh() {
    if (m_worker.WaitIdle(kRefreshWait)) {
        // A run that ended with its message still queued counts first.
        if (m_pendingRun) OnRunDone(m_nPendingRun);
    } else {
        Trace("ThreadRandom===Refresh ends the running one.");
        m_worker.Terminate(kExitRefreshed);
        m_pendingRun.reset();
    }
    return Start(kModeRefresh);
}

bool CRecommendations::Start(int mode) {
    auto run = std::make_shared<Run>();
    run->mode = mode;
    const WPARAM number = m_worker.Start([run, fetch = m_fetch](GenericHTTPClient& client) {
        run->result = fetch(run->mode, run->list, client);
    });
    if (number == 0) return false;
    // A run superseded before its message came is dropped with it.
    m_pendingRun = std::move(run);
    m_nPendingRun = number;
    return true;
}

void CRecommendations::OnRunDone(WPARAM number) {
    if (!m_pendingRun || number != m_nPendingRun) return;
    const std::shared_ptr<Run> run = std::move(m_pendingRun);
    m_pendingRun.reset();
    if (run->mode == kModeStored) {
        m_list = run->list;
        m_bRecommendLoaded = 1;
    } else {
        // An answer that never came leaves the list as it was; one that
        // came but could not be read leaves it empty, as its parser does.
        if (run->result == 1 || run->result == -3) m_list = run->list;
        m_settleTimer.start();
    }
    Trace("ThreadRandom===Mode %d result %d, %d songs.", run->mode, run->result, m_list.GetCount());
    m_listener.OnRecommendRunDone(run->mode);
}
