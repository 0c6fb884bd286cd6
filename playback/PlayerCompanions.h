#pragma once
// The windows beside the player, as the player window handles them: a
// relay that lets the play controller reach the frame's current panel and
// lyric window (doing nothing while they do not exist), and a memory of
// which of them were shown when the player hid or minimised them.

#include "playback/PlayerPorts.h"

#include <functional>

// Forwards the controller's calls to the frame's windows of the moment.
class CCompanionRelay final : public IPlayPanel, public ILyricSink {
public:
    explicit CCompanionRelay(IPlayerFrame& frame) : m_frame(frame) {}

    CSongList* ListOfKind(int kind) override;
    bool SelectRow(int kind, int index) override;
    void ShowPlayingRow(int kind, int index, const St_SongInfo& song) override;
    void RedrawList(int kind) override;
    int PlayMode() const override;
    void ShowMessage(const std::string& text) override;

    void PostLyric(WPARAM wParam, LPARAM lParam) override;
    void LoadLyric(const std::string& id, const std::string& name, const std::string& lyric) override;

private:
    IPlayerFrame& m_frame;
};

// Remembers which of the windows beside the player were shown, so that
// they come back together with it.
class CShownCompanions {
public:
    enum Which : unsigned { kPanel = 1, kBrowser = 2, kLyric = 4, kAll = 7 };

    // Remembers which of `which` are shown now (and forgets the others).
    void Remember(IPlayerFrame& frame, unsigned which);
    bool WasShown(Which which) const { return (m_shown & which) != 0; }
    // Runs `action` on every remembered window that still exists, in the
    // order panel, browser, lyric window.
    void ForEach(IPlayerFrame& frame, const std::function<void(ICompanionWindow&)>& action) const;

    // The window of one kind, or nullptr when the frame has none.
    static ICompanionWindow* Find(IPlayerFrame& frame, Which which);

private:
    unsigned m_shown = 0;
};
