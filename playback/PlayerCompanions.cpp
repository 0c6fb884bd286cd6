#include "playback/PlayerCompanions.h"

#include "common/Trace.h"

CSongList* CCompanionRelay::ListOfKind(int kind) {
    IPanelWindow* panel = m_frame.Panel();
    return panel ? panel->ListOfKind(kind) : nullptr;
}

bool CCompanionRelay::SelectRow(int kind, int index) {
    IPanelWindow* panel = m_frame.Panel();
    return panel && panel->SelectRow(kind, index);
}

void CCompanionRelay::ShowPlayingRow(int kind, int index, const St_SongInfo& song) {
    if (IPanelWindow* panel = m_frame.Panel()) panel->ShowPlayingRow(kind, index, song);
}

void CCompanionRelay::RedrawList(int kind) {
    if (IPanelWindow* panel = m_frame.Panel()) panel->RedrawList(kind);
}

int CCompanionRelay::PlayMode() const {
    IPanelWindow* panel = m_frame.Panel();
    return panel ? panel->PlayMode() : kModeRepeatList;
}

void CCompanionRelay::ShowMessage(const std::string& text) {
    if (IPanelWindow* panel = m_frame.Panel()) {
        panel->ShowMessage(text);
    } else {
        Trace("ShowMessage===No panel for %s", text.c_str());
    }
}

void CCompanionRelay::PostLyric(WPARAM wParam, LPARAM lParam) {
    if (ILyricWindow* lyric = m_frame.Lyric()) lyric->PostLyric(wParam, lParam);
}

void CCompanionRelay::LoadLyric(const std::string& id, const std::string& name, const std::string& lyric) {
    if (ILyricWindow* window = m_frame.Lyric()) window->LoadLyric(id, name, lyric);
}

ICompanionWindow* CShownCompanions::Find(IPlayerFrame& frame, Which which) {
    switch (which) {
    case kPanel: return frame.Panel();
    case kBrowser: return frame.Browser();
    case kLyric: return frame.Lyric();
    case kAll: break;
    }
    return nullptr;
}

void CShownCompanions::Remember(IPlayerFrame& frame, unsigned which) {
    m_shown = 0;
    for (Which one : {kPanel, kBrowser, kLyric}) {
        if ((which & one) == 0) continue;
        const ICompanionWindow* window = Find(frame, one);
        if (window && window->IsShown()) m_shown |= one;
    }
}

void CShownCompanions::ForEach(IPlayerFrame& frame, const std::function<void(ICompanionWindow&)>& action) const {
    for (Which one : {kPanel, kBrowser, kLyric}) {
        if ((m_shown & one) == 0) continue;
        if (ICompanionWindow* window = Find(frame, one)) action(*window);
    }
}
