#pragma once
// The album manager: the my-music panel's sign-in, the signed-in state with
// the remembered login, the user's album list, and the album worker that
// does all of their service work, one action at a time. The panel records
// what is to be done, a starter hands it to the worker, and the completion
// (WM_PANEL_ALBUMDONE on the user-interface thread) applies what the run
// found: the worker itself never touches the panel, the settings file or
// the album list. Album editing (CAlbumEditor) starts its actions here too.

#include "albums/AlbumActions.h"
#include "albums/AlbumPorts.h"
#include "albums/ServiceWorker.h"
#include "common/WindowMessage.h"
#include "model/AlbumList.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>

class CAlbumManager : public QObject, public CMessageTarget {
    Q_OBJECT
public:
    // Guard time-outs of the starters, in milliseconds.
    static constexpr int kLogonGuardMs = 0;
    static constexpr int kGetAlbumGuardMs = 1000;
    static constexpr int kCreateGuardMs = 0;
    static constexpr int kEditGuardMs = 0;
    static constexpr int kLogoutGuardMs = 0;

    // Told when a run's completion has been applied (`done`: the service
    // did what the run asked), and when the album list was replaced by a
    // fetched one or forgotten.
    class IListener {
    public:
        virtual ~IListener() = default;
        virtual void OnAlbumActionDone(int action, WPARAM run, bool done) = 0;
        virtual void OnAlbumsReplaced() = 0;
    };

    explicit CAlbumManager(IAlbumView& view, QObject* parent = nullptr);
    ~CAlbumManager() override;

    void SetListener(IListener* listener) { m_listener = listener; }

    // ---- the sign-in form ----
    // Panel initialisation: the remembered login into the form.
    void LoadRememberedLogon();
    // The remember-password box unchecked (command 1056).
    void OnRememberPassUnchecked();
    // The automatic-sign-in box checked (command 1057).
    void OnAutoLogonChecked();
    // The panel opens the album tab at start (else the play-list tab).
    bool OpensAlbumTabFirst() const { return m_bAutoLogon != 0; }
    // The sign-in page was shown: the first time, it may sign in by itself.
    void OnSignInPageShown();
    // The page the album tab shows now: sign-in, no album or album tree.
    int AlbumTabPage() const;
    // The sign-in button (command 1058).
    void OnButtonLongo();

    // ---- the worker ----
    // True when the worker is free, waiting at most `timeoutMs` for it. A
    // run that ended before its completion message was handled has its
    // completion applied here; when that starts the next run (the next step
    // of saving songs to an album), the wait goes on for it within the same
    // bound.
    bool IsThreadUse(int timeoutMs, const char* caller);
    // The starters: 1 when the action was started; 0 (and "缓存中...请稍候！"
    // shown) when the worker is busy.
    int StartLogon();
    // Fetches the album list: 0 when started, -1 when busy.
    int HasAulum();
    // Creates `album` (named, no identifier yet) for the tree item `item`.
    int OnCreateAlbum(const St_Album& album, AlbumItem item);
    // Sends the album's name and songs; it becomes EditingAlbum().
    int OnEditAlbum(const St_Album& album);
    // Deletes the album at the service; the caller has seen the worker free.
    int StartDelAlbum(const std::string& albumId);
    int OnLogoutAlbum();
    // Ends the worker by force; what it does afterwards is ignored.
    void TerminateAlbumWorker(std::uint32_t exitCode);
    std::uint32_t AlbumWorkerExitCode() const { return m_worker.ExitCode(); }
    // The number of the last run started (0 when none or abandoned).
    WPARAM CurrentRun() const { return m_worker.CurrentRun(); }
    int AlbumAction() const { return m_nAlbumAction; }
    // The completion (WM_PANEL_ALBUMDONE, wParam: the run's number).
    void OnAlbulComplete(WPARAM run);

    // ---- the orderly close ----
    // The program closes: nobody is left to click a message away, so what
    // the completions would show is traced instead, and a sign-in that
    // completes fetches no albums.
    void SetClosing() { m_bClosing = true; }
    bool IsClosing() const { return m_bClosing; }
    // Shows `text` in the message window, or traces it while closing.
    void ShowMessage(const std::string& text);

    // ---- the session ----
    bool IsLogon() const { return m_bLogon != 0; }
    const std::string& UserName() const { return m_strUser; }
    const std::string& Password() const { return m_strPass; }
    const std::string& Uid() const { return m_strUid; }
    // Signed out, no albums; the password is kept only when the
    // remember-password box is checked.
    void ForgetSession();

    // ---- the albums ----
    CAlbumList& Albums() { return m_albums; }
    const CAlbumList& Albums() const { return m_albums; }
    bool AlbumsShown() const { return m_bAlbumsShown != 0; }
    bool NoAlbum() const { return m_bNoAlbum != 0; }
    bool AlbumsChanged() const { return m_bAlbumsChanged != 0; }
    // The album last sent by the edit action.
    const St_Album& EditingAlbum() const { return m_editAlbum; }
    // The album of a tree item, -1 for none.
    int AlbumIndexOf(AlbumItem item) const;
    // Builds the album tree from the album list and marks the playing album.
    void RebuildAlbumTree();

    // ---- the playing album ----
    void SetPlayingAlbum(const std::string& albumId, const std::string& songId);
    void ClearPlayingAlbum();
    AlbumItem PlayingAlbumItem() const { return m_hPlayingAlbumItem; }
    const std::string& PlayingAlbumId() const { return m_strLastAlbumId; }
    const std::string& PlayingSongId() const { return m_strLastSongId; }

private:
    int GetAlbum();
    // Guards with `guardMs` and starts the run; 1 or 0 (busy, shown).
    int StartAction(St_AlbumRun run, int guardMs, const char* caller);
    bool Launch(St_AlbumRun run);
    void ApplyCompletion();
    void CompleteLogon(const St_AlbumRun& run);
    void CompleteAlbumList(St_AlbumRun& run);
    void CompleteCreate(const St_AlbumRun& run);
    void ForgetRememberedLogon();
    bool ShowsAlbumTab() const;

    IAlbumView& m_view;
    IListener* m_listener = nullptr;
    CServiceWorker m_worker;
    // The run whose completion is still to be applied, and its number.
    std::shared_ptr<St_AlbumRun> m_pendingRun;
    WPARAM m_nPendingRun = 0;

    int m_nAlbumAction = kActionNone;
    int m_bLogon = 0;
    int m_bAlbumsShown = 0;
    int m_bNoAlbum = 0;
    int m_bAlbumsChanged = 0;
    int m_bAutoLogon = 0;
    int m_bRememberPass = 0;
    int m_bAutoLogonPending = 1;
    bool m_bClosing = false;
    std::string m_strUser;
    std::string m_strPass;
    std::string m_strUid;
    std::string m_strLogonMsg;

    CAlbumList m_albums;
    std::string m_strLastAlbumId;
    std::string m_strLastSongId;
    AlbumItem m_hPlayingAlbumItem = kNoAlbumItem;

    // The pending parameters of album editing.
    St_Album m_newAlbum;
    AlbumItem m_hNewAlbumItem = kNoAlbumItem;
    St_Album m_editAlbum;
};
