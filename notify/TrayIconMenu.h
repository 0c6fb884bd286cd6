#pragma once
// The tray icon's pop-up menu as plain data: built from the menu template,
// then adjusted to the owner's state before it is shown.

#include <string>
#include <vector>

struct CTrayMenuItem {
    int command = 0;             // 0 for a submenu
    std::string text;            // UTF-8
    bool checked = false;
    bool isDefault = false;
    std::vector<CTrayMenuItem> children;  // non-empty for a submenu

    bool IsSubmenu() const { return !children.empty(); }
};

struct CTrayMenu {
    std::vector<CTrayMenuItem> items;

    // The item with this command anywhere in the menu, or null.
    CTrayMenuItem* FindCommand(int command);
    const CTrayMenuItem* FindCommand(int command) const;
    // The command of the default item, else of the first command item; 0
    // when the menu has none.
    int DefaultCommand() const;
    // Removes the top-level entry with this text (submenus) or command.
    bool RemoveSubmenu(const std::string& text);
    bool RemoveCommand(int command);
};

// What the tray menu needs to know about its owner.
struct CTrayMenuState {
    bool networkAvailable = false;
    bool lyricVisible = false;
    bool libraryVisible = false;
    int playMode = -1;  // 0 to 4; anything else marks nothing
    bool muted = false;
    bool songNotice = false;  // a note on the desktop when a song starts
};

// The menu of a menu resource; empty for an unknown resource.
CTrayMenu LoadTrayMenu(int menuResource);

// Marks the default item and the owner's states; without the network the
// playing submenus, the items that need the service and the song note's
// switch are removed.
void AdjustTrayMenu(CTrayMenu& menu, const CTrayMenuState& state);
