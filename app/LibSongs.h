#pragma once
// Songs chosen on a service page (WM_FRAME_LIBSONG): the identifiers the
// page gave, their information fetched from the service on a worker, then
// played from the play list or added to the list the my-music panel shows,
// with a tip saying what came of it. The frame puts the panel behind
// ILibSongPanel; tests use a fake and a fetch of their own.

#include "app/LibSongAdmission.h"
#include "common/WindowMessage.h"
#include "model/SongList.h"

#include <QObject>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

// What the songs of a page need of the my-music panel. Texts are CP936.
class ILibSongPanel {
public:
    virtual ~ILibSongPanel() = default;

    // The list the panel shows: kListAlbum on its album page, else
    // kListTemporary.
    virtual int ShownListKind() const = 0;
    // The identifier of the album selected in the album tree; empty for none.
    virtual std::string SelectedAlbumId() const = 0;
    // The album worker is free now (not waited for).
    virtual bool AlbumWorkerFree() = 0;
    virtual int PlayListCount() const = 0;
    // Where the play list holds the song `id`; -1 when it does not.
    virtual int PlayListIndexOf(const std::string& id) const = 0;
    // Adds the songs not in the play list yet; the number added.
    virtual int AddToPlayList(const CSongList& songs) = 0;
    // Adds the songs to the album `albumId`; the number added, -1 when
    // nothing could be added (the panel has said why).
    virtual int AddToAlbum(const CSongList& songs, const std::string& albumId) = 0;
    // Plays the play list's song at `index`.
    virtual void PlayFromPlayList(int index) = 0;
    // The frame's message window; the tip with a text, and the tip with the
    // album counts.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void ShowTip(const std::string& text) = 0;
    virtual void ShowAddedTip(int added, int dropped) = 0;
};

// "12_34_" (CP936): songs that carry only their identifiers, in order, at
// most a list's capacity; empty pieces are skipped.
CSongList ParseLibSongIds(std::string_view text);

class CLibSongs : public QObject, public CMessageTarget {
    Q_OBJECT
public:
    // Fills in the songs' information from the service; positive when the
    // answer came. Runs on a worker thread.
    using Fetch = std::function<int(CSongList& songs)>;

    static constexpr const char* kAddedText = "歌曲已经添加到播放列表！";
    static constexpr const char* kAddFailedText = "     添加歌曲失败！";

    explicit CLibSongs(ILibSongPanel& panel, Fetch fetch = {});
    ~CLibSongs() override;
    CLibSongs(const CLibSongs&) = delete;
    CLibSongs& operator=(const CLibSongs&) = delete;

    // `play` 1 plays the songs, 0 adds them; `ids` is the page's text.
    void OnLibSong(WPARAM play, const std::u16string& ids);
    // Requests whose information is still coming (the running one included).
    int Pending() const { return static_cast<int>(m_queue.size()); }
    // Which requests are taken (tests set its clock).
    CLibSongAdmission& Admission() { return m_admission; }

private:
    // Where the songs go is decided when the user chose them: the list
    // shown then and, for an album, the album selected then.
    struct St_Request {
        bool play = false;
        int requested = 0;
        CSongList songs;
        int kind = kListTemporary;
        std::string albumId;
    };
    struct St_Job;

    void StartNext();
    LRESULT OnFetched(WPARAM job);
    void Play(const CSongList& songs);
    void Add(const St_Request& request, const CSongList& songs);

    ILibSongPanel& m_panel;
    Fetch m_fetch;
    CLibSongAdmission m_admission;
    std::deque<St_Request> m_queue;  // the front one is being fetched
    std::shared_ptr<St_Job> m_running;
    WPARAM m_nJob = 0;
};
