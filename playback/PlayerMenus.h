#pragma once
// The player's pop-up menus: the main menu (171) and the skin menu (252).
// They are built each time they open, from the state of the moment; every
// entry carries its command number as its data, and the window runs the
// chosen one through its command table.

#include <QMenu>

#include <string>

struct PlayerMenuState {
    bool muted = false;
    bool topMost = false;
    int playMode = -1;            // the panel's mode; -1 without a panel
    bool hasPanel = false;
    bool hasBrowser = false;
    bool hasLyric = false;
    bool recommendationsShown = false;
};

void BuildMainMenu(QMenu& menu, const PlayerMenuState& state);
// `skin`: the full skin worn now, checked in the menu.
void BuildSkinMenu(QMenu& menu, const std::string& skin);

// The command number of a menu entry, 0 for none.
int MenuCommand(const QAction* action);
