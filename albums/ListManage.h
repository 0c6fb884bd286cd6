#pragma once
// CListManage: the skinned my-music window that docks under the player. It
// shows one of its pages at a time under three tabs (the play list, the
// recommendations, the album tab with its sign-in form, no-album page and
// album tree), a toolbar, its own scroll bar and a page pane with a service
// page. Everything it decides is CMusicPanel's; the window places the
// controls from the skin, shows what the logic asks and hands the user's
// clicks, keys and menus back to it. For the player it is the my-music
// panel (IPanelWindow).

#include "albums/AlbumTreeItems.h"
#include "albums/MusicPanel.h"
#include "common/WindowMessage.h"
#include "notify/BodyDrag.h"
#include "notify/CompanionShowing.h"
#include "notify/WndShadow.h"
#include "playback/PlayerPorts.h"
#include "skin/SkinPaths.h"
#include "skin/controls/ItemViewOwners.h"
#include "web/PageView.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>
#include <optional>
#include <string>

class CBitmapSlider;
class CEditTrans;
class CLabel;
class CListCtrlEx;
class CSkinButtonEx;
class CSkinDescription;
class QCheckBox;
class QLabel;
class VividTree;

struct St_PanelOptions {
    // The page pane needs the web engine; tests go without.
    bool pagePane = true;
};

class CListManage : public QWidget,
                    public CMessageTarget,
                    public IPanelWindow,
                    public IAlbumView,
                    private IPanelView,
                    private IListCtrlOwner,
                    private ITreeOwner,
                    private IAlbumTreeControl,
                    private IPageViewOwner {
    Q_OBJECT
public:
    // The frame titles the window with this.
    static constexpr const char* kWindowTitle = "Tonvik音乐--管理";
    // The advertisement page, loaded into the page pane once, 1 s after start.
    static constexpr const char* kAdvertPath = "/iframe/songhall/tonvik/ad.html";
    static constexpr int kAdvertDelayMs = 1000;
    static constexpr int kShadowDelayMs = 100;

    // Built hidden, wearing `skinFolder` (the player's full skin); the
    // remembered login and the play list are read, and the play-list tab
    // (or the album tab) is open. `frame` shows the messages and owns the
    // library pane; `frameTarget` receives the song and album page requests.
    CListManage(IPlayerFrame& frame, CMessageHandle frameTarget, IPanelPlayer& player, const std::string& skinFolder,
                QWidget* owner = nullptr, St_PanelOptions options = {});
    ~CListManage() override;
    CListManage(const CListManage&) = delete;
    CListManage& operator=(const CListManage&) = delete;

    CMusicPanel& Logic() { return m_logic; }
    // The controls by number (buttons and views), nullptr for none.
    QWidget* Control(int controlId) const;
    CListCtrlEx* SongView(int kind) const;
    VividTree* Tree() const { return m_pTree; }
    CBitmapSlider* ScrollBar() const { return m_pScroll; }

    // ICompanionWindow
    bool IsShown() const override;
    void ShowWindow(bool show) override;
    void MinimizeWindow() override;
    void RestoreWindow() override;
    void BringToFront() override;
    void SetSkin(const std::string& skinFolder) override;
    void EnableWindow(bool enable) override;
    // IPlayPanel: the logic's.
    CSongList* ListOfKind(int kind) override { return m_logic.ListOfKind(kind); }
    bool SelectRow(int kind, int index) override { return m_logic.SelectRow(kind, index); }
    void ShowPlayingRow(int kind, int index, const St_SongInfo& song) override {
        m_logic.ShowPlayingRow(kind, index, song);
        MarkPlayingList();
    }
    void RedrawList(int kind) override {
        m_logic.RedrawList(kind);
        MarkPlayingList();
    }
    int PlayMode() const override { return m_logic.PlayMode(); }
    // IPanelWindow
    void DockAt(const QRect& geometry) override;
    void PlaySelectedSong() override { m_logic.PlaySelectedSong(); }
    void AddLibrarySongs() override { m_logic.AddLibrarySongs(); }
    void RefreshShownPage() override { m_logic.RefreshShownPage(); }
    bool ShowsRecommendations() const override { return m_logic.ShowsRecommendations(); }
    void SetPlayMode(int mode) override { m_logic.SetPlayMode(mode); }
    bool IsThreadUse(int timeoutMs, const char* caller) override;
    bool SaveChangedAlbums() override;
    void SetClosing() override;
    bool IsLogon() const override;
    bool OnLogoutAlbum() override;
    void TerminateAlbumWorker(std::uint32_t exitCode) override;
    void ForgetSession() override;
    void ClearPlayingAlbum() override;
    bool SavePlayList() override;
    std::string UserName() const override;
    std::string Password() const override;

    // IAlbumView (IAlbumView and IPlayPanel both show messages: one way).
    void ShowMessage(const std::string& text) override;
    std::string UserNameText() const override;
    std::string PasswordText() const override;
    void SetUserNameText(const std::string& text) override;
    void SetPasswordText(const std::string& text) override;
    bool RememberPassChecked() const override;
    void SetRememberPassChecked(bool checked) override;
    bool AutoLogonChecked() const override;
    void SetAutoLogonChecked(bool checked) override;
    bool SignInEnabled() const override;
    void EnableSignIn(bool enable) override;
    void ShowTip(const std::string& text) override;
    void ShowAddedTip(int added, int skipped) override;
    int CurrentPage() const override { return m_logic.Page(); }
    void OpenAlbumTab() override { m_logic.OpenAlbumTab(); }
    void ShowPage(int page) override { m_logic.ShowPage(page); }
    void RebuildAlbumTree(const CAlbumList& albums) override;
    void RebuildSongItems(AlbumItem album, const St_Album& songs) override { m_treeItems.RebuildSongs(album, songs); }
    AlbumItem AlbumItemAt(int index) const override { return m_treeItems.AlbumItemAt(index); }
    AlbumItem InsertAlbumItem(const std::string& name, int songCount, long long data) override;
    void DeleteItem(AlbumItem item) override { m_treeItems.Delete(item); }
    long long ItemData(AlbumItem item) const override { return m_treeItems.ItemData(item); }
    void SetItemData(AlbumItem item, long long data) override { m_treeItems.SetItemData(item, data); }
    void SetAlbumItemText(AlbumItem album, const std::string& name, int songCount) override;
    void MarkPlayingSong(AlbumItem album, int position) override { m_treeItems.MarkPlaying(album, position); }
    void ExpandItem(AlbumItem album) override { m_treeItems.Expand(album); }
    void SelectItem(AlbumItem item) override { m_treeItems.Select(item); }
    bool SelectSongItem(AlbumItem album, int position) override { return m_treeItems.SelectSong(album, position); }
    St_AlbumSelection AlbumSelection() const override { return m_treeItems.Selection(); }
    std::string TakeLabelEditText() override { return m_treeItems.TakeLabelEditText(); }
    CSongList SelectedSongs() const override { return m_logic.SelectedSongs(); }

    // Loads a page into the page pane (made first if need be).
    void NavigatePane(const std::string& address);
    // Lets the page pane go for good (the program is ending), so that the
    // web profile can be released.
    void ReleasePagePane();
    // The page pane once made, else nullptr.
    IPageView* PagePane() const { return m_pPane.get(); }

signals:
    // The page pane has loaded its page.
    void pagePaneLoaded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    LRESULT DefWindowProc(unsigned message, WPARAM wParam, LPARAM lParam) override;

private:
    struct St_Control;

    // A player key pressed in the panel: the page's own refresh and leaving
    // a text box here, everything else the player's.
    bool PerformKey(PlayerKey action);
    std::vector<QWidget*> TabOrder() const;

    // IPanelView
    void ShowPageControls(int page) override;
    void ShowBusyPicture(bool shown) override;
    void FocusUserName() override;
    void RefreshSongView(int kind) override;
    void EnableSongView(int kind, bool enable) override;
    std::vector<int> SelectedRows(int kind) const override;
    int CurrentRow(int kind) const override;
    void SetCurrentRow(int kind, int row) override;
    void ShowRow(int kind, int row) override;
    void ScrollView(int page, int rows) override;
    void StartNewAlbum() override;
    void EditAlbumName(AlbumItem album) override;
    bool EndAlbumNameEdit() override;
    void RefreshAlbumTree() override;
    int TrackMenu(const PanelMenu& menu) override;
    bool Ask(const std::string& text) override;
    void ShowPanePage(const std::string& kind, const std::string& argument) override;
    void PostToFrame(unsigned message, WPARAM wParam) override;
    void ClosePanel() override;

    // IListCtrlOwner
    void OnSongDetails(int listKind, int row) override;
    void OnRowDoubleClicked(int listKind, int row) override;
    bool OnListKey(int listKind, int row, int key, Qt::KeyboardModifiers modifiers) override;
    void OnListContextMenu(int listKind, int row, const QPoint& globalPos) override;
    // ITreeOwner
    void OnManageAlbum(const TreeItemRef& album) override;
    void OnPlayAlbum(const TreeItemRef& album) override;
    void OnSongDetails(const TreeItemRef& song) override;
    void OnItemDoubleClicked(const TreeItemRef& item) override;
    bool OnTreeKey(const TreeItemRef& item, int key, Qt::KeyboardModifiers modifiers) override;
    void OnTreeContextMenu(const TreeItemRef& item, const QPoint& globalPos) override;
    bool IsAlbumPageShown() const override;
    void ShowNotice(const std::string& text) override;
    // IAlbumTreeControl
    TreeItemRef CurrentItem() const override;
    std::vector<TreeItemRef> SelectedItems() const override;
    void Select(const TreeItemRef& item) override;
    void Expand(int album) override;
    void SetPlayIcon(const TreeItemRef& song) override;
    bool EditLabel(int album, bool newAlbum) override;
    std::string TakeEditedName() override;
    // IPageViewOwner: the page strip.
    bool OnNavigation(const St_Navigation& navigation) override;
    void OnLoadFinished(const QUrl& url, bool succeeded, int errorCode) override;
    void OnRendererGone(int status, int exitCode) override;
    void OnHistoryChanged(bool, bool) override {}
    void OnEngineRefusal(const QString& address) override;

    void CreateControls();
    void RegisterHandlers();
    void PlaceControls(const CSkinDescription& skin);
    // The view of the page shown (its scroll bar follows it), or nullptr.
    class CSkinnedItemView* ScrolledView() const;
    void FollowScroll();
    // Tells the song views whether the player plays from them.
    void MarkPlayingList();
    void OnScrollBarMoved();
    void CreatePagePane();
    void ShowAdvert();

    IPlayerFrame& m_frame;
    CMessageHandle m_frameTarget;
    St_PanelOptions m_options;
    IPanelPlayer& m_player;
    std::string m_strSkinFolder;
    QImage m_background;
    QRect m_rcPane;
    int m_nShownPage = -1;
    bool m_bBusy = false;

    std::map<int, CSkinButtonEx*> m_buttons;   // by command
    std::map<int, SkinButtonFiles> m_tabFiles; // the tabs' pictures, by command
    std::map<int, CLabel*> m_labels;           // by skin section number (102 … 118)
    CListCtrlEx* m_pPlayList = nullptr;
    CListCtrlEx* m_pRecommend = nullptr;
    VividTree* m_pTree = nullptr;
    CBitmapSlider* m_pScroll = nullptr;
    QLabel* m_pNoAlbum = nullptr;              // "Static103": the picture of page 4
    QLabel* m_pBusy = nullptr;                 // "Static118": the busy picture
    QImage m_scrollThumb;                      // the source of the scroll bar's thumb
    bool m_bScrollFade = true;
    CEditTrans* m_pUser = nullptr;
    CEditTrans* m_pPass = nullptr;
    QCheckBox* m_pRemember = nullptr;
    QCheckBox* m_pAutoLogon = nullptr;
    std::unique_ptr<IPageView> m_pPane;
    bool m_bPaneReleased = false;
    bool m_bPaneFailed = false;

    CAlbumTreeItems m_treeItems;
    CMusicPanel m_logic;
    CWndShadow m_shadow;
    CCompanionShowing m_showing{*this, m_shadow, m_strSkinFolder, kShadowDelayMs};  // kShadowTimer
    CBodyDrag m_drag{*this, m_shadow};
    QTimer m_advertTimer;  // kAdvertTimer
};
