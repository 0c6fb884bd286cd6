#include "albums/AlbumManager.h"

#include "albums/AlbumTexts.h"
#include "albums/RememberedLogon.h"
#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "common/WellKnownPaths.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>

namespace {

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

CAlbumManager::CAlbumManager(IAlbumView& view, QObject* parent)
    : QObject(parent), CMessageTarget(this), m_view(view), m_worker(Handle()) {
    SetMessageHandler(WM_PANEL_ALBUMDONE, [this](WPARAM run, LPARAM) {
        OnAlbulComplete(run);
        return LRESULT{0};
    });
}

CAlbumManager::~CAlbumManager() = default;

// ---- the sign-in form ----

void CAlbumManager::LoadRememberedLogon() {
    const St_RememberedLogon saved = CRememberedLogon::Load();
    m_bAutoLogon = saved.autoLogon ? 1 : 0;
    m_bRememberPass = saved.rememberPass ? 1 : 0;
    if (m_bRememberPass) {
        m_strUser = saved.user;
        m_strPass = saved.password;
        m_view.SetUserNameText(m_strUser);
        m_view.SetPasswordText(m_strPass);
    }
    m_view.SetRememberPassChecked(m_bRememberPass != 0);
    m_view.SetAutoLogonChecked(m_bAutoLogon != 0);
}

void CAlbumManager::OnRememberPassUnchecked() {
    CRememberedLogon::StopRemembering();
    m_bRememberPass = 0;
    m_bAutoLogon = 0;
    m_view.SetAutoLogonChecked(false);
    m_view.SetPasswordText("");
}

void CAlbumManager::OnAutoLogonChecked() { m_view.SetRememberPassChecked(true); }

void CAlbumManager::OnSignInPageShown() {
    if (!m_bAutoLogon || !m_bAutoLogonPending) return;
    m_bAutoLogonPending = 0;
    OnButtonLongo();
}

int CAlbumManager::AlbumTabPage() const {
    if (!m_bAlbumsShown) return kPageSignIn;
    return m_bNoAlbum ? kPageNoAlbum : kPageAlbumTree;
}

void CAlbumManager::OnButtonLongo() {
    if (!m_view.SignInEnabled()) return;
    m_view.EnableSignIn(false);
    m_strUser = TrimBlanks(m_view.UserNameText());
    m_strPass = m_view.PasswordText();
    if (m_strUser.empty() || m_strPass.empty()) {
        m_view.ShowMessage(Cp936(kEmptyLogonText));
        m_view.EnableSignIn(true);
        return;
    }
    Trace("OnButtonLongo....");
    // A busy worker would leave the form locked with nothing coming to
    // unlock it.
    if (!StartLogon()) m_view.EnableSignIn(true);
}

// ---- the worker ----

bool CAlbumManager::IsThreadUse(int timeoutMs, const char* caller) {
    using namespace std::chrono;
    const milliseconds bound(std::max(timeoutMs, 0));
    const steady_clock::time_point end = steady_clock::now() + bound;
    bool usable = m_worker.WaitIdle(bound);
    while (usable && m_pendingRun) {
        // Its completion message is still queued: the next run starts from
        // what this one found.
        ApplyCompletion();
        usable = m_worker.WaitIdle(std::max(duration_cast<milliseconds>(end - steady_clock::now()), milliseconds(0)));
    }
    Trace("%s", kAlbumActionLegend);
    Trace("IsThreadUse Usable:%d  Flag:%d  Caller:%s\r\n", usable ? 1 : 0, m_nAlbumAction, caller ? caller : "");
    return usable;
}

void CAlbumManager::ShowMessage(const std::string& text) {
    if (m_bClosing) Trace("OnAlbulComplete===Closing, not shown : %.256s", text.c_str());
    else m_view.ShowMessage(text);
}

int CAlbumManager::StartAction(St_AlbumRun run, int guardMs, const char* caller) {
    if (!IsThreadUse(guardMs, caller)) {
        ShowMessage(Cp936(kBusyText));
        return 0;
    }
    return Launch(std::move(run)) ? 1 : 0;
}

bool CAlbumManager::Launch(St_AlbumRun run) {
    auto shared = std::make_shared<St_AlbumRun>(std::move(run));
    const WPARAM number = m_worker.Start([shared](GenericHTTPClient& client) { RunAlbumAction(*shared, client); });
    if (number == 0) return false;
    m_nAlbumAction = shared->action;
    m_pendingRun = std::move(shared);
    m_nPendingRun = number;
    return true;
}

int CAlbumManager::StartLogon() {
    Trace("Logon...");
    St_AlbumRun run;
    run.action = kActionLogon;
    run.user = m_strUser;
    run.password = m_strPass;
    run.signedIn = m_bLogon != 0;
    const int started = StartAction(std::move(run), kLogonGuardMs, "Logon");
    if (!started) m_bAlbumsShown = 0;
    return started;
}

int CAlbumManager::GetAlbum() {
    St_AlbumRun run;
    run.action = kActionGetAlbum;
    run.uid = m_strUid;
    return StartAction(std::move(run), kGetAlbumGuardMs, "GetAlbum");
}

int CAlbumManager::HasAulum() {
    Trace("HasAulum...");
    return GetAlbum() ? 0 : -1;
}

int CAlbumManager::OnCreateAlbum(const St_Album& album, AlbumItem item) {
    St_AlbumRun run;
    run.action = kActionCreate;
    run.album = album;
    if (!StartAction(std::move(run), kCreateGuardMs, "OnCreateAlbum")) return 0;
    m_newAlbum = album;
    m_hNewAlbumItem = item;
    return 1;
}

int CAlbumManager::OnEditAlbum(const St_Album& album) {
    St_AlbumRun run;
    run.action = kActionEdit;
    run.album = album;
    if (!StartAction(std::move(run), kEditGuardMs, "OnEditAlbum")) return 0;
    m_editAlbum = album;
    return 1;
}

int CAlbumManager::StartDelAlbum(const std::string& albumId) {
    St_AlbumRun run;
    run.action = kActionDelete;
    run.albumId = albumId;
    return Launch(std::move(run)) ? 1 : 0;
}

int CAlbumManager::OnLogoutAlbum() {
    St_AlbumRun run;
    run.action = kActionLogout;
    run.signedIn = m_bLogon != 0;
    return StartAction(std::move(run), kLogoutGuardMs, "OnLogoutAlbum");
}

void CAlbumManager::TerminateAlbumWorker(std::uint32_t exitCode) {
    m_worker.Terminate(exitCode);
    if (!m_pendingRun) return;
    // What the abandoned run was started for is undone here instead.
    if (m_pendingRun->action == kActionCreate) {
        m_view.DeleteItem(m_hNewAlbumItem);
        m_hNewAlbumItem = kNoAlbumItem;
    }
    if (m_pendingRun->action == kActionLogon || m_pendingRun->action == kActionGetAlbum) m_view.EnableSignIn(true);
    m_pendingRun.reset();
}

void CAlbumManager::OnAlbulComplete(WPARAM run) {
    if (m_pendingRun && run == m_nPendingRun) ApplyCompletion();
}

void CAlbumManager::ApplyCompletion() {
    // Applying it may start the next run, which becomes the pending one.
    const std::shared_ptr<St_AlbumRun> run = std::move(m_pendingRun);
    const WPARAM number = m_nPendingRun;
    m_pendingRun.reset();
    switch (run->action) {
    case kActionLogon: CompleteLogon(*run); break;
    case kActionGetAlbum: CompleteAlbumList(*run); break;
    case kActionCreate: CompleteCreate(*run); break;
    case kActionEdit:
        // A failed edit is undone by the next fetch of the album list.
        m_bAlbumsChanged = 1;
        if (run->result != kResultNone) Trace("OnAlbulComplete===Edit album failed! %s", run->album.albumId.c_str());
        break;
    case kActionDelete:
        m_bAlbumsChanged = 1;
        if (run->result != kResultNone) Trace("OnAlbulComplete===Delete album failed! %s", run->albumId.c_str());
        m_bNoAlbum = m_albums.IsEmpty() ? 1 : 0;
        if (m_bNoAlbum && m_view.CurrentPage() == kPageAlbumTree) m_view.ShowPage(kPageNoAlbum);
        break;
    case kActionLogout:
        m_bLogon = 0;
        Trace("OnAlbulComplete===Logout OK.");
        break;
    default: break;
    }
    if (m_listener) m_listener->OnAlbumActionDone(run->action, number, run->result == kResultNone);
}

void CAlbumManager::CompleteLogon(const St_AlbumRun& run) {
    m_bAlbumsShown = 0;
    m_bLogon = 0;
    if (run.result != kResultNone) {
        m_strLogonMsg = run.logon.status;
        ForgetRememberedLogon();
        ShowMessage(!m_strLogonMsg.empty() && m_strLogonMsg != "1" ? m_strLogonMsg : g_strServiceErrors[kErrLogonFailed]);
        m_view.EnableSignIn(true);
        return;
    }
    m_bLogon = 1;
    m_strUid = run.logon.uid;
    m_bRememberPass = m_view.RememberPassChecked() ? 1 : 0;
    m_bAutoLogon = m_view.AutoLogonChecked() ? 1 : 0;
    CRememberedLogon::Save(m_strUser, m_strPass, m_bRememberPass != 0, m_bAutoLogon != 0);
    if (m_bClosing) {
        m_view.EnableSignIn(true);
        return;
    }
    if (HasAulum() != 0) m_view.EnableSignIn(true);
}

void CAlbumManager::ForgetRememberedLogon() {
    CRememberedLogon::Forget();
    m_bRememberPass = 0;
    m_bAutoLogon = 0;
    m_view.SetRememberPassChecked(false);
    m_view.SetAutoLogonChecked(false);
    m_view.SetUserNameText("");
    m_view.SetPasswordText("");
}

void CAlbumManager::CompleteAlbumList(St_AlbumRun& run) {
    m_view.EnableSignIn(true);
    m_bAlbumsChanged = 0;
    if (run.result != kResultNone) {
        // Whatever the failed fetch read is not shown.
        m_albums.RemoveAll();
        RebuildAlbumTree();
        if (m_listener) m_listener->OnAlbumsReplaced();
        ShowMessage(g_strServiceErrors[kErrGetAlbumList]);
        m_bAlbumsShown = 0;
        m_bNoAlbum = 1;
        m_view.OpenAlbumTab();
        return;
    }
    m_bAlbumsShown = 1;
    // The tree tells albums apart by their identifiers: a repeated one is
    // shown once.
    CAlbumList fresh;
    std::set<std::string> seen;
    for (int i = 0; i < run.albums.GetCount(); ++i) {
        const St_Album album = run.albums.GetAt(i);
        if (!seen.insert(album.albumId).second) {
            Trace("OnAlbulComplete===Same album ID %s", album.albumId.c_str());
            continue;
        }
        fresh.Add(album);
    }
    m_albums = fresh;
    RebuildAlbumTree();
    if (m_listener) m_listener->OnAlbumsReplaced();
    m_bNoAlbum = m_albums.IsEmpty() ? 1 : 0;
    if (ShowsAlbumTab()) m_view.OpenAlbumTab();
}

void CAlbumManager::CompleteCreate(const St_AlbumRun& run) {
    const AlbumItem item = m_hNewAlbumItem;
    m_hNewAlbumItem = kNoAlbumItem;
    if (run.result != kResultNone) {
        m_view.DeleteItem(item);
        ShowMessage(g_strServiceErrors[kErrCreateAlbum]);
        return;
    }
    m_newAlbum = run.album;
    m_albums.Add(m_newAlbum);
    m_bAlbumsChanged = 1;
    m_bNoAlbum = 0;
    if (m_view.ItemData(item) < 0) {
        // The tree was rebuilt meanwhile and lost the new item.
        RebuildAlbumTree();
        return;
    }
    m_view.SetItemData(item, CAlbumList::kItemDataBase + std::atoll(m_newAlbum.albumId.c_str()));
    m_view.SetAlbumItemText(item, m_newAlbum.albumName, m_newAlbum.songs.GetCount());
}

bool CAlbumManager::ShowsAlbumTab() const {
    const int page = m_view.CurrentPage();
    return page == kPageSignIn || page == kPageNoAlbum || page == kPageAlbumTree;
}

// ---- the session ----

void CAlbumManager::ForgetSession() {
    m_bLogon = 0;
    m_bAlbumsShown = 0;
    m_bNoAlbum = 0;
    m_bAlbumsChanged = 0;
    m_strUid.clear();
    m_albums.RemoveAll();
    RebuildAlbumTree();
    if (m_listener) m_listener->OnAlbumsReplaced();
    if (!m_view.RememberPassChecked()) {
        m_strPass.clear();
        m_view.SetPasswordText("");
    }
    m_view.EnableSignIn(true);
    if (ShowsAlbumTab()) m_view.OpenAlbumTab();
}

// ---- the albums ----

int CAlbumManager::AlbumIndexOf(AlbumItem item) const {
    if (item == kNoAlbumItem) return -1;
    return m_albums.FindByItemData(m_view.ItemData(item));
}

void CAlbumManager::RebuildAlbumTree() {
    m_view.RebuildAlbumTree(m_albums);
    m_hPlayingAlbumItem = kNoAlbumItem;
    const int index = m_strLastAlbumId.empty() ? -1 : m_albums.FindById(m_strLastAlbumId);
    if (index < 0) {
        Trace("Can't find last play album!");
        m_strLastAlbumId.clear();
        m_strLastSongId.clear();
        return;
    }
    m_hPlayingAlbumItem = m_view.AlbumItemAt(index);
    const int song = m_albums.GetAt(index).songs.FindSong(m_strLastSongId);
    if (song >= 0) m_view.MarkPlayingSong(m_hPlayingAlbumItem, song + 1);
    Trace("Find last play album. %d", index);
}

// ---- the playing album ----

void CAlbumManager::SetPlayingAlbum(const std::string& albumId, const std::string& songId) {
    m_strLastAlbumId = albumId;
    m_strLastSongId = songId;
    const int index = m_albums.FindById(albumId);
    m_hPlayingAlbumItem = index < 0 ? kNoAlbumItem : m_view.AlbumItemAt(index);
}

void CAlbumManager::ClearPlayingAlbum() {
    m_hPlayingAlbumItem = kNoAlbumItem;
    m_strLastAlbumId.clear();
    m_strLastSongId.clear();
}
