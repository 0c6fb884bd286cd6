#pragma once
// What the windows beside the player share when the player minimises and
// restores them: a minimised window is hidden with its drop shadow, and a
// restored one is shown again, its shadow coming back once the window is on
// the screen (each window's timer 3) with the size its skin gives it.

#include "notify/WndShadow.h"

#include <QTimer>
#include <QWidget>

#include <string>

class CCompanionShowing {
public:
    // `skinFolder` is read when the shadow comes back.
    CCompanionShowing(QWidget& window, CWndShadow& shadow, const std::string& skinFolder, int restoreDelayMs);
    CCompanionShowing(const CCompanionShowing&) = delete;
    CCompanionShowing& operator=(const CCompanionShowing&) = delete;

    // Shown on the screen: visible and not minimised.
    bool IsShown() const;
    void ShowWindow(bool show);
    void Minimize();
    void Restore();

private:
    QWidget& m_window;
    CWndShadow& m_shadow;
    const std::string& m_strSkinFolder;
    QTimer m_restoreTimer;
    bool m_bMinimized = false;
};
