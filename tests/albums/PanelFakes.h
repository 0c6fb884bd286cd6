#pragma once
// Stand-ins for the my-music panel's window and for the player, and a
// fixture that runs the panel's logic against the service stand-in.

#include "AlbumFakes.h"

#include "albums/MusicPanel.h"
#include "albums/PanelIds.h"

#include <optional>
#include <tuple>

// The window: the album part of the fake album view, with its pages handed
// to the panel's logic as the real window does, and the rest recorded.
class CFakePanelWindow final : public CFakeAlbumView, public IPanelView {
public:
    void Attach(CMusicPanel* logic) { m_logic = logic; }

    // IAlbumView: the pages are the logic's.
    int CurrentPage() const override { return m_logic->Page(); }
    void OpenAlbumTab() override { m_logic->OpenAlbumTab(); }
    void ShowPage(int shown) override { m_logic->ShowPage(shown); }
    CSongList SelectedSongs() const override { return m_logic->SelectedSongs(); }

    // IPanelView
    void ShowPageControls(int shown) override { pages.push_back(shown); }
    void ShowBusyPicture(bool shown) override { busy = shown; }
    void FocusUserName() override {}
    void RefreshSongView(int) override {}
    void EnableSongView(int kind, bool enable) override { enabled[kind] = enable; }
    std::vector<int> SelectedRows(int kind) const override { return rows.count(kind) ? rows.at(kind) : std::vector<int>{}; }
    int CurrentRow(int kind) const override { return SelectedRows(kind).empty() ? -1 : SelectedRows(kind).front(); }
    void SetCurrentRow(int kind, int row) override { rows[kind] = {row}; }
    void ShowRow(int, int) override {}
    void ScrollView(int page, int by) override { scrolls.emplace_back(page, by); }
    void StartNewAlbum() override { ++newAlbums; }
    void EditAlbumName(AlbumItem album) override { renamed = album; }
    bool EndAlbumNameEdit() override { return false; }
    void RefreshAlbumTree() override {}
    int TrackMenu(const PanelMenu& menu) override {
        menus.push_back(menu);
        return std::exchange(menuChoice, 0);
    }
    bool Ask(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
    void ShowPanePage(const std::string& kind, const std::string& argument) override {
        panePages.emplace_back(kind, argument);
    }
    void PostToFrame(unsigned message, WPARAM wParam) override { framePosts.emplace_back(message, wParam); }
    void ClosePanel() override { ++closes; }

    std::vector<int> pages;
    bool busy = false;
    std::map<int, bool> enabled;
    std::map<int, std::vector<int>> rows;
    std::vector<std::pair<int, int>> scrolls;
    int newAlbums = 0;
    AlbumItem renamed = kNoAlbumItem;
    std::vector<PanelMenu> menus;
    int menuChoice = 0;  // what the next menu returns
    std::vector<std::string> questions;
    bool answer = true;
    std::vector<std::pair<std::string, std::string>> panePages;
    std::vector<std::pair<unsigned, WPARAM>> framePosts;
    int closes = 0;

private:
    CMusicPanel* m_logic = nullptr;
};

class CFakePanelPlayer final : public IPanelPlayer {
public:
    struct St_Play {
        std::string id;
        int index = -1;
        int kind = -1;
        bool operator==(const St_Play&) const = default;
    };

    int PlayingListKind() const override { return listKind; }
    void Stop(const char* caller) override { stops.emplace_back(caller); }
    void Play(const St_SongInfo& song, int index, int kind) override {
        plays.push_back({song.id, index, kind});
        current = song;
        listKind = kind;
        stopped = false;
    }
    St_SongInfo CurrentSong() const override { return current; }
    bool IsStopped() const override { return stopped; }
    void SongRemoved(int kind, int nextIndex) override { removed.emplace_back(kind, nextIndex); }
    void PlayModeChanged() override { ++modeChanges; }

    int listKind = -1;
    St_SongInfo current;
    bool stopped = true;
    std::vector<std::string> stops;
    std::vector<St_Play> plays;
    std::vector<std::pair<int, int>> removed;
    int modeChanges = 0;
};

// The panel's logic with its window and player faked, against the
// stand-in; the program folder holds the settings and the play list.
class MusicPanelTest : public ::testing::Test {
protected:
    static constexpr std::chrono::milliseconds kBound{20000};

    void SetUp() override {
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        SetupWellKnownPaths(program.Path());
        program.Write("TonvikMusic.ini", "[Hosts]\r\nService=" + standIn.Host() + "\r\n");
        window.Attach(&panel);
    }
    void TearDown() override { standIn.Stop(); }

    static bool WaitUntil(const std::function<bool()>& done) { return HandleEventsUntil(done, kBound); }
    bool SettleAlbums() {
        return WaitUntil([this] { return panel.Manager().IsThreadUse(50, "Test"); });
    }
    // Signs in through the form and waits for the album list.
    void SignIn(const std::string& user, const std::string& password) {
        window.user = user;
        window.password = password;
        panel.OnCommand(ID_SIGN_IN);
        ASSERT_TRUE(SettleAlbums());
    }
    // Writes a play list of songs "1" … "n" and loads it.
    void StartWithSongs(int count) {
        std::string text;
        for (int i = 1; i <= count; ++i) text += std::to_string(i) + "\tsong" + std::to_string(i) + "\tsinger\t\t\r\n";
        program.Write("Playlist.xls", text);
        panel.Initialise();
    }
    std::vector<std::string> PlayListIds() {
        std::vector<std::string> ids;
        for (const St_SongInfo& song : panel.PlayList().List().Snapshot()) ids.push_back(song.id);
        return ids;
    }

    TempDir state;
    TempDir program;
    TraceCapture traces;
    standin::CStandIn standIn{standin::OptionsWithState(state.Path())};
    CFakePanelWindow window;
    CFakePanelPlayer player;
    CMusicPanel panel{window, window, player};
};
