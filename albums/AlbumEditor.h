#pragma once
// Album editing in the my-music panel's album tree: create, rename and
// delete albums, add songs (from the play list, the recommendations or
// another album), remove songs, move and sort. Every change is made to the
// album list and the tree first and then sent by the album manager's
// worker. A new song order is kept back until the user turns to something
// else (CSongOrder); every album command first sends such an order (the
// check-and-save step) and is then dropped.

#include "albums/AlbumManager.h"
#include "albums/AlbumPorts.h"
#include "albums/SongOrder.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CAlbumEditor : public CAlbumManager::IListener {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The save-to menu's commands (900 to 1000): album i is 900 + i, a new
    // album follows the last one.
    static constexpr int kCmdSaveToFirst = 900;
    // How long saving songs to an album waits for the worker: for the new
    // album, for the songs added, for the songs removed from their album.
    static constexpr std::chrono::milliseconds kCreateWait{10000};
    static constexpr std::chrono::milliseconds kAddWait{5000};
    static constexpr std::chrono::milliseconds kRemoveWait{3000};
    // How long deleting an album, removing songs and adding songs wait for
    // a busy worker, in milliseconds.
    static constexpr int kCommandGuardMs = 1000;

    // What an album command is for, taken from the tree's selection when
    // the command is given: completions applied while the command waits for
    // the worker may rebuild the tree or select another item, so the
    // command finds its album again by identifier afterwards.
    struct St_AlbumTarget {
        std::string albumId;  // empty: no album is selected
        std::string albumName;
        bool albumItem = false;            // the album item itself is selected
        std::vector<std::string> songIds;  // the selected songs of the album
    };

    // One entry of the save-to menu.
    struct St_SaveMenuEntry {
        int command = 0;
        std::string name;    // the album's name, or "新建专辑"
        int songCount = -1;  // -1 for the new album
        bool isDefault = false;
    };

    CAlbumEditor(CAlbumManager& manager, IAlbumView& view, IAlbumPlayer& player,
                 Clock clock = std::chrono::steady_clock::now);
    ~CAlbumEditor() override;
    CAlbumEditor(const CAlbumEditor&) = delete;
    CAlbumEditor& operator=(const CAlbumEditor&) = delete;

    // Sends the album's name and songs (compacted) for its tree item; 1 when
    // the edit was started.
    int EditAlbum(St_Album album, AlbumItem item);
    // A new album item was named (WM_PANEL_ALBUMNAMED): 1, or -1 when no
    // album is created (the item is removed again).
    int OnMyCreateAlbum(AlbumItem item);
    // An album item was renamed (WM_PANEL_ALBUMRENAMED).
    void OnRenameAlbum(AlbumItem item);
    // What the tree's selection names now.
    St_AlbumTarget SelectedTarget() const;
    // Deletes the selected album (command 32799), or the album taken from
    // the selection before (an album item).
    void OnDelalum();
    void OnDelalum(const St_AlbumTarget& target);
    // Removes the selected songs from their album (command 32846).
    void OnDelalumsong();
    // Removes every song of the album ("清空列表" on the album page).
    void OnCleanAlbum(const St_AlbumTarget& target);
    // Adds songs to the album of `album` (or the selected one): the number
    // added (songs already there are skipped), or -1.
    int AddSong(const CSongList& songs, AlbumItem album, bool keepSelection);
    // The save button (command 1045): the menu to offer, empty for none.
    std::vector<St_SaveMenuEntry> SaveMenu();
    // Saves the selected songs to an album of the save-to menu: copied from
    // the play list or the recommendations, moved from another album.
    void OnNewMenuItem(int command);
    // Moves the selected album or song of the album tree (32804, 32805).
    void Move(bool up);
    // Sorts the selected album's songs (32841 by name, 32842 by singer).
    void Sort(bool byName);

    // 1 when the re-ordered album must be sent: when another album is
    // selected (or `force`) and its order is not the kept one.
    int HasSaveAlbum(bool force);
    // Sends the re-ordered album; 1 when started.
    int SaveSortAlbum();
    // The check-and-save step: true when a save was needed, which the
    // calling command (named in the trace) then stops for. Unless
    // `checkOnly`, the tip tells the user.
    bool CheckAndSave(const char* caller, bool checkOnly);
    // Before signing out or closing: sends the re-ordered album whatever is
    // selected; true when a save was started.
    bool SaveChangedAlbums();

private:
    struct SaveTo;

    void OnAlbumActionDone(int action, WPARAM run, bool done) override;
    void OnAlbumsReplaced() override;

    // Removes the marked songs from the album at `index` and sends it.
    bool RemoveSongs(int index, AlbumItem item, const std::function<bool(int position, const St_SongInfo&)>& marked);
    void SaveToAlbum(SaveTo job);
    void RemoveFromSource(SaveTo job);
    void ShowTarget(const SaveTo& job);
    // The tip with the counts of a save that is over.
    void ShowAdded(const SaveTo& job);
    // The service did not take the songs: the album is put back as it was.
    void UndoAdd(const SaveTo& job);
    void Await(SaveTo job, int step, std::chrono::milliseconds bound);
    void MoveSong(const St_AlbumSelection& selection, int index, bool up);
    void ShowBusy();
    // Before a command that changes an album: a new song order (of another
    // album) is sent first, and the worker must be free within
    // kCommandGuardMs, which lets that save end before the command's own
    // change is sent.
    bool ReadyFor(const char* command);
    // The album list's index of the command's album after the wait for the
    // worker; -1 (traced) when it is gone.
    int IndexOfTarget(const St_AlbumTarget& target, const char* command) const;

    CAlbumManager& m_manager;
    IAlbumView& m_view;
    IAlbumPlayer& m_player;
    Clock m_clock;
    CSongOrder m_order;
    int m_bAlbumSortAscending = 1;
    // Saving songs to an album, waiting for the worker between its steps.
    std::unique_ptr<SaveTo> m_saveTo;
};
