#pragma once
// The my-music panel's logic: which of its pages shows, its three song
// sources (the play list, the recommendations, the songs of the playing
// album) as the play controller reads them, the play mode, and every
// command of its views, buttons and menus. The window CListManage is thin
// over it: it shows what this decides (IPanelView, IAlbumView) and hands
// over what the user does (OnCommand, the views' events). The album work
// itself is CAlbumManager's and CAlbumEditor's.

#include "albums/AlbumEditor.h"
#include "albums/AlbumManager.h"
#include "albums/PanelIds.h"
#include "albums/PanelPorts.h"
#include "albums/PlayList.h"
#include "albums/Recommendations.h"
#include "common/WindowMessage.h"
#include "playback/PlayControllerPorts.h"

#include <QObject>

#include <string>
#include <vector>

class CMusicPanel : public QObject,
                    public CMessageTarget,
                    public IPlayPanel,
                    private IAlbumPlayer,
                    private CRecommendations::IListener {
    Q_OBJECT
public:
    // The question before the play list or an album is emptied.
    static constexpr const char* kClearQuestion = "确认清空当前歌曲列表？";
    // The question before the Delete key deletes an album (CP936, like the
    // album's name): "确认删除专辑“%s”？".
    static std::string DeleteAlbumQuestion(const std::string& albumName);

    CMusicPanel(IPanelView& view, IAlbumView& albumView, IPanelPlayer& player, QObject* parent = nullptr);
    ~CMusicPanel() override;
    CMusicPanel(const CMusicPanel&) = delete;
    CMusicPanel& operator=(const CMusicPanel&) = delete;

    // The end of the window's initialisation: the remembered login, the play
    // list file, and the play-list tab (or the album tab when the user signs
    // in by himself).
    void Initialise();

    CAlbumManager& Manager() { return m_manager; }
    const CAlbumManager& Manager() const { return m_manager; }
    CAlbumEditor& Editor() { return m_editor; }
    CPlayList& PlayList() { return m_playList; }
    CRecommendations& Recommendations() { return m_recommend; }

    // ---- pages ----
    int Page() const { return m_nPage; }
    bool ShowsRecommendations() const { return m_nPage == kPageRecommend || m_nPage == kPageRecommendLoading; }
    void ShowPage(int page);
    void ShowPlayListTab();
    void ShowRecommendTab();
    void OpenAlbumTab();
    // F5: the recommendations asked for anew, the albums fetched afresh, the
    // play list redrawn; other pages stay as they are.
    void RefreshShownPage();

    // ---- what the views hand over ----
    // A double click on a row of a song view, or on a song item of the tree.
    void OnRowDoubleClicked(int kind, int row);
    void OnAlbumItemDoubleClicked();
    // A right click in a view at `row` (the tree: its current item).
    void OnContextMenu(int kind, int row);
    // The Delete key on the album tree: the selected songs leave their
    // album; the selected album is deleted only when the user says so.
    void OnTreeDeleteKey();
    // The details button of a song, the manage and play buttons of an album.
    void OnSongDetails(const St_SongInfo& song);
    void OnManageAlbum(AlbumItem album);
    void OnPlayAlbum(AlbumItem album);
    // The songs selected in the view of the current page.
    CSongList SelectedSongs() const;

    // ---- what the player asks ----
    // The play button while nothing plays: the selected song of the view.
    void PlaySelectedSong();
    // "添加乐库歌曲": the selected recommendations into the play list.
    void AddLibrarySongs();
    // Adds the songs not in the play list yet and shows the last one; the
    // number added.
    int AddToPlayList(const CSongList& songs);
    void SetPlayMode(int mode);

    // IPlayPanel
    CSongList* ListOfKind(int kind) override;
    bool SelectRow(int kind, int index) override;
    void ShowPlayingRow(int kind, int index, const St_SongInfo& song) override;
    void RedrawList(int kind) override;
    int PlayMode() const override { return m_nPlayMode; }
    void ShowMessage(const std::string& text) override;

private:
    void RegisterCommands();
    // IAlbumPlayer, for the album logic.
    int PlayingListKind() const override { return m_player.PlayingListKind(); }
    void StopPlayer(const char* caller) override { m_player.Stop(caller); }
    void PlayingAlbumChanged() override;
    // CRecommendations::IListener
    void OnRecommendRunDone(int mode) override;
    void OnRecommendSettled() override;

    int ViewKindOfPage() const;
    // The play list or the recommendations; nullptr for any other kind.
    const CSongList* SongListOf(int kind) const;
    // The selected songs of a song view (rows in order).
    CSongList SongsAt(int kind, const std::vector<int>& rows) const;
    // The song under the cursor of the current view, or an empty id.
    St_SongInfo CurrentSong() const;
    std::vector<St_AlbumChoice> AlbumChoices();
    void RunMenu(const PanelMenu& menu);

    void OnRefresh();
    void FetchAlbumsAfresh();
    void PlayAlbumSong(const St_AlbumSelection& selection);
    void PlayAlbumOf(AlbumItem album);
    void OnAddToPlayList();
    void OnSearch(int command);
    void OnMove(bool up);
    void OnSort(bool byName);
    void OnRename();
    void OnDeleteSelected();
    void OnRemoveDuplicates();
    void OnClear();
    void OnSaveMenu();
    void OnDeleteMenu();
    void OnScroll(int command);
    void OpenLink(bool loginHost, const char* path);
    std::string CurrentIdOf(int kind) const;

    IPanelView& m_view;
    IAlbumView& m_albumView;
    IPanelPlayer& m_player;
    CAlbumManager m_manager;
    CAlbumEditor m_editor;
    CPlayList m_playList;
    CRecommendations m_recommend;
    // The songs of the playing album, built afresh for each reader.
    CSongList m_albumSongs;
    std::string m_strAlbumSongsId;

    int m_nPage = -1;
    int m_nPlayMode = kModeRepeatList;
};
