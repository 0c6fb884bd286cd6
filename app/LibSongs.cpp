#include "app/LibSongs.h"

#include "albums/AlbumTexts.h"

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "service/ServiceXml.h"

#include <QString>

#include <thread>

namespace {

// The worker's word that a request's information has come (wParam: the job).
constexpr unsigned WM_LIBSONG_FETCHED = WM_USER + 301;

}  // namespace

// What the worker shares with the frame: written by the worker before it
// posts, read by the frame after the post arrived.
struct CLibSongs::St_Job {
    WPARAM id = 0;
    CSongList songs;
    int fetched = 0;
};

CSongList ParseLibSongIds(std::string_view text) {
    CSongList songs;
    while (!text.empty()) {
        const size_t end = text.find('_');
        const std::string_view id = text.substr(0, end);
        if (!id.empty()) {
            St_SongInfo song;
            song.id = std::string(id);
            songs.Add(song);
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return songs;
}

CLibSongs::CLibSongs(ILibSongPanel& panel, Fetch fetch)
    : QObject(nullptr), CMessageTarget(this), m_panel(panel), m_fetch(std::move(fetch)) {
    if (!m_fetch) m_fetch = [](CSongList& songs) { return GetSongInfoWithoutPlayUrl(songs); };
    SetMessageHandler(WM_LIBSONG_FETCHED, [this](WPARAM job, LPARAM) { return OnFetched(job); });
}

// A worker still fetching keeps its job to itself and finds nobody to
// tell: its post goes nowhere.
CLibSongs::~CLibSongs() = default;

void CLibSongs::OnLibSong(WPARAM play, const std::u16string& ids) {
    TRACE_SCOPE("OnLibSong...");
    St_Request request;
    request.play = play == 1;
    request.songs = ParseLibSongIds(ToAnsi(QString::fromStdU16String(ids)));
    request.requested = request.songs.GetCount();
    if (request.requested == 0) {
        Trace("OnLibSong===No song in the text.");
        return;
    }
    // An album the worker is busy with takes no songs now; the user adds
    // them again later.
    if (!request.play) {
        request.kind = m_panel.ShownListKind();
        if (request.kind == kListAlbum) {
            if (!m_panel.AlbumWorkerFree()) {
                Trace("OnLibSong==BeforeAction : %d", 1);
                return;
            }
            request.albumId = m_panel.SelectedAlbumId();
        }
    }
    if (m_admission.Admit(request.play, ids) != CLibSongAdmission::Verdict::Taken) return;
    m_queue.push_back(std::move(request));
    if (!m_running) StartNext();
}

void CLibSongs::StartNext() {
    if (m_running || m_queue.empty()) return;
    auto job = std::make_shared<St_Job>();
    job->id = ++m_nJob;
    job->songs = m_queue.front().songs;
    m_running = job;
    // The service's answer never holds up the window: the worker asks and
    // posts back; the request is finished from the event loop.
    std::thread([job, fetch = m_fetch, target = Handle()] {
        job->fetched = fetch(job->songs);
        PostMessage(target, WM_LIBSONG_FETCHED, job->id);
    }).detach();
}

LRESULT CLibSongs::OnFetched(WPARAM id) {
    if (!m_running || m_running->id != id || m_queue.empty()) return 0;
    const std::shared_ptr<St_Job> job = std::move(m_running);
    St_Request request = std::move(m_queue.front());
    m_queue.pop_front();
    m_admission.Finished();
    // The tips below wait for the user; requests that come meanwhile are
    // fetched meanwhile.
    StartNext();
    // Songs the service did not know carry no name; the lists skip them.
    const CSongList& songs = job->fetched > 0 ? job->songs : CSongList();
    if (request.play) {
        Play(songs);
    } else {
        Add(request, songs);
    }
    return 0;
}

void CLibSongs::Play(const CSongList& songs) {
    const int before = m_panel.PlayListCount();
    const int added = m_panel.AddToPlayList(songs);
    if (added > 0) {
        // The first song added; on a full list the oldest songs made room,
        // so it is that many rows from the end.
        m_panel.PlayFromPlayList(m_panel.PlayListCount() - added);
        m_panel.ShowTip(Cp936(kAddedText));
        return;
    }
    // Nothing new: a song the service knows that the list holds already
    // plays where it is.
    for (const St_SongInfo& song : songs.Snapshot()) {
        if (song.name.empty()) continue;
        if (const int index = m_panel.PlayListIndexOf(song.id); index >= 0) {
            m_panel.PlayFromPlayList(index);
            m_panel.ShowTip(Cp936(kAddedText));
            return;
        }
    }
    if (before < CSongList::kCapacity) Trace("获取歌曲信息失败！");
    m_panel.ShowTip(Cp936(kAddFailedText));
}

void CLibSongs::Add(const St_Request& request, const CSongList& songs) {
    if (request.kind != kListAlbum) {
        const int added = m_panel.AddToPlayList(songs);
        m_panel.ShowTip(Cp936(added > 0 ? kAddedText : kAddFailedText));
        return;
    }
    // The worker may have taken other work while the songs were fetched.
    if (!m_panel.AlbumWorkerFree()) {
        Trace("OnLibSong==BeforeAction : %d", 1);
        m_panel.ShowMessage(Cp936(kBusyText));
        return;
    }
    const int added = m_panel.AddToAlbum(songs, request.albumId);
    if (added < 0) return;
    m_panel.ShowAddedTip(added, request.requested - added);
}
