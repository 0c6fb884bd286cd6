#pragma once
// Stand-ins for what surrounds the album logic: the my-music panel (its
// sign-in form, album tree and message window) and the player; and a
// fixture that runs the logic against the service stand-in.

#include "albums/AddTipDlg.h"
#include "albums/AlbumEditor.h"
#include "albums/AlbumManager.h"
#include "albums/AlbumPorts.h"
#include "common/Text.h"
#include "common/WellKnownPaths.h"
#include "tests/support/TempDir.h"
#include "tests/support/TraceCapture.h"
#include "tools/standin/StandIn.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Handles this thread's events until `done` holds; false after `bound`.
inline bool HandleEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds bound) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// The panel. Album items get handles 100, 200, ... anew at each rebuild (so
// a handle kept across a rebuild is stale, as in the real tree); a song
// item's handle is its album's plus its position.
class CFakeAlbumView : public IAlbumView {
public:
    struct Item {
        AlbumItem handle = kNoAlbumItem;
        long long data = 0;
        std::string name;
        int songCount = 0;
        std::vector<St_SongInfo> songs;
        bool expanded = false;
        int playingPosition = 0;
    };

    std::string UserNameText() const override { return user; }
    std::string PasswordText() const override { return password; }
    void SetUserNameText(const std::string& text) override { user = text; }
    void SetPasswordText(const std::string& text) override { password = text; }
    bool RememberPassChecked() const override { return rememberPass; }
    void SetRememberPassChecked(bool checked) override { rememberPass = checked; }
    bool AutoLogonChecked() const override { return autoLogon; }
    void SetAutoLogonChecked(bool checked) override { autoLogon = checked; }
    bool SignInEnabled() const override { return signInEnabled; }
    void EnableSignIn(bool enable) override { signInEnabled = enable; }

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    // The tips are the real ones: modal, closing by themselves after 2 s, so
    // that whatever arrives meanwhile is handled inside their event loop, as
    // in the program.
    void ShowTip(const std::string& text) override {
        tips.push_back(text);
        CAddTipDlg tip;
        tip.SetResourceRoot(TONVIK_DATA_DIR);
        tip.SetText(text);
        tip.exec();
    }
    void ShowAddedTip(int added, int skipped) override {
        addedTips.emplace_back(added, skipped);
        CAddTipDlg tip;
        tip.SetResourceRoot(TONVIK_DATA_DIR);
        tip.m_bCounts = 1;
        tip.m_nAdded = added;
        tip.m_nDropped = skipped;
        tip.exec();
    }

    int CurrentPage() const override { return page; }
    void OpenAlbumTab() override {
        if (albumTabPage) page = albumTabPage();
    }
    void ShowPage(int shown) override { page = shown; }

    void RebuildAlbumTree(const CAlbumList& albums) override {
        items.clear();
        for (int i = 0; i < albums.GetCount(); ++i) {
            const St_Album album = albums.GetAt(i);
            Item item;
            item.handle = NextHandle();
            item.data = CAlbumList::kItemDataBase + std::atoll(album.albumId.c_str());
            item.name = album.albumName;
            item.songs = album.songs.Snapshot();
            item.songCount = static_cast<int>(item.songs.size());
            items.push_back(item);
        }
        selected = kNoAlbumItem;
        ++rebuilds;
    }
    void RebuildSongItems(AlbumItem album, const St_Album& songs) override {
        if (Item* item = Find(album)) item->songs = songs.songs.Snapshot();
    }
    AlbumItem AlbumItemAt(int index) const override {
        return index >= 0 && index < static_cast<int>(items.size()) ? items[static_cast<size_t>(index)].handle
                                                                    : kNoAlbumItem;
    }
    AlbumItem InsertAlbumItem(const std::string& name, int songCount, long long data) override {
        Item item;
        item.handle = NextHandle();
        item.name = name;
        item.songCount = songCount;
        item.data = data;
        items.push_back(item);
        return item.handle;
    }
    void DeleteItem(AlbumItem handle) override {
        std::erase_if(items, [handle](const Item& item) { return item.handle == handle; });
    }
    long long ItemData(AlbumItem handle) const override {
        const Item* item = Find(handle);
        return item ? item->data : -1;
    }
    void SetItemData(AlbumItem handle, long long data) override {
        if (Item* item = Find(handle)) item->data = data;
    }
    void SetAlbumItemText(AlbumItem handle, const std::string& name, int songCount) override {
        if (Item* item = Find(handle)) {
            item->name = name;
            item->songCount = songCount;
        }
    }
    void MarkPlayingSong(AlbumItem handle, int position) override {
        if (Item* item = Find(handle)) item->playingPosition = position;
    }
    void ExpandItem(AlbumItem handle) override {
        if (Item* item = Find(handle)) item->expanded = true;
    }
    void SelectItem(AlbumItem handle) override { Select(handle - handle % 100, static_cast<int>(handle % 100)); }
    bool SelectSongItem(AlbumItem album, int position) override {
        const Item* item = Find(album);
        if (!item || position < 1 || position > static_cast<int>(item->songs.size())) return false;
        Select(album, position);
        return true;
    }
    St_AlbumSelection AlbumSelection() const override {
        St_AlbumSelection selection;
        if (!Find(selected)) return selection;
        selection.album = selected;
        selection.position = selectedPositions.empty() ? 0 : selectedPositions.front();
        selection.item = selected + static_cast<AlbumItem>(selection.position);
        selection.positions = selectedPositions;
        return selection;
    }
    std::string TakeLabelEditText() override { return std::exchange(labelEdit, std::string()); }

    CSongList SelectedSongs() const override {
        if (page != kPageAlbumTree) return listSelection;
        CSongList songs;
        if (const Item* item = Find(selected)) {
            for (int position : selectedPositions) songs.Add(item->songs.at(static_cast<size_t>(position - 1)));
        }
        return songs;
    }

    // Selects an album (positions empty) or songs of it (1 = first).
    void Select(AlbumItem album, std::vector<int> positions) {
        selected = album;
        selectedPositions = std::move(positions);
    }
    void Select(AlbumItem album, int position) {
        Select(album, position > 0 ? std::vector<int>{position} : std::vector<int>{});
    }
    // The tree item of the album named (CP936), or null.
    Item* Named(const std::string& name) {
        auto found = std::find_if(items.begin(), items.end(), [&](const Item& item) { return item.name == name; });
        return found == items.end() ? nullptr : &*found;
    }
    Item* Find(AlbumItem handle) {
        auto found = std::find_if(items.begin(), items.end(), [&](const Item& item) { return item.handle == handle; });
        return found == items.end() ? nullptr : &*found;
    }
    const Item* Find(AlbumItem handle) const { return const_cast<CFakeAlbumView*>(this)->Find(handle); }

    std::string user;
    std::string password;
    bool rememberPass = false;
    bool autoLogon = false;
    bool signInEnabled = true;
    std::vector<std::string> messages;
    std::vector<std::string> tips;
    std::vector<std::pair<int, int>> addedTips;
    int page = kPageSignIn;
    std::function<int()> albumTabPage;
    std::vector<Item> items;
    AlbumItem selected = kNoAlbumItem;
    std::vector<int> selectedPositions;
    std::string labelEdit;
    CSongList listSelection;  // what the list views of pages 0 and 2 have selected
    int rebuilds = 0;

private:
    AlbumItem NextHandle() { return m_nextHandle += 100; }
    AlbumItem m_nextHandle = 0;
};

class CFakeAlbumPlayer final : public IAlbumPlayer {
public:
    int PlayingListKind() const override { return listKind; }
    void StopPlayer(const char* caller) override { stops.emplace_back(caller); }
    void PlayingAlbumChanged() override { ++albumChanges; }

    int listKind = -1;
    std::vector<std::string> stops;
    int albumChanges = 0;
};

// The album logic of one panel against the service stand-in, whose albums
// live in a folder of the test.
class AlbumLogicTest : public ::testing::Test {
protected:
    static constexpr std::chrono::milliseconds kBound{20000};  // generous, for a loaded machine

    AlbumLogicTest() { view.albumTabPage = [this] { return manager.AlbumTabPage(); }; }

    void SetUp() override {
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        SetupWellKnownPaths(program.Path());
        WriteSettings();
    }
    void TearDown() override { standIn.Stop(); }

    // The settings file: the stand-in as the service host, then `more`.
    void WriteSettings(const std::string& more = {}) {
        program.Write("TonvikMusic.ini", "[Hosts]\r\nService=" + standIn.Host() + "\r\n" + more);
    }

    static bool WaitUntil(const std::function<bool()>& done) { return HandleEventsUntil(done, kBound); }
    // Waits until the worker is free with every completion applied.
    bool Settle() {
        return WaitUntil([this] { return manager.IsThreadUse(50, "Test"); });
    }

    // Signs in through the form and waits for the album list.
    void SignIn(const std::string& user = "tester", const std::string& password = "secret123") {
        view.user = user;
        view.password = password;
        manager.OnButtonLongo();
        ASSERT_TRUE(Settle());
        ASSERT_TRUE(manager.IsLogon()) << (view.messages.empty() ? "" : view.messages.back());
    }

    // The logged requests to a service path (without "/shequ/port/tonvik").
    std::vector<standin::St_LoggedRequest> Sent(const std::string& name) const {
        return standIn.RequestsFor("/shequ/port/tonvik/" + name);
    }
    // The service paths requested so far, in order, without their folder.
    std::vector<std::string> SentPaths() const {
        std::vector<std::string> paths;
        for (const auto& request : standIn.Requests()) paths.push_back(request.path.substr(request.path.rfind('/') + 1));
        return paths;
    }
    std::string Ini() const { return TempDir::Read(program / "TonvikMusic.ini"); }

    TempDir state;
    TempDir program;
    TraceCapture traces;
    standin::CStandIn standIn{standin::OptionsWithState(state.Path())};
    CFakeAlbumView view;
    CFakeAlbumPlayer player;
    CAlbumManager manager{view};
};
