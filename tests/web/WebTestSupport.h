#pragma once
// What the library pane's tests share: a folder with the program's settings
// pointing at a service host, and a frame that records the songs handed to it.

#include "common/WindowMessage.h"
#include "tests/support/TempDir.h"

#include <QObject>

#include <functional>
#include <string>
#include <vector>

// Runs this thread's event loop until `done` holds or `limitMs` has passed;
// true when it held. The web engine hands each page's work between its
// threads many times over, so a running loop (and not polling with sleeps
// in between) keeps a page load as quick as in the program.
bool RunUntil(const std::function<bool()>& done, int limitMs);

struct St_HandedSongs {
    WPARAM wParam;
    std::u16string ids;
};

// Stands in for the main frame: keeps every WM_FRAME_LIBSONG it gets.
class CSongRecorder : public QObject, public CMessageTarget {
public:
    CSongRecorder();
    std::vector<St_HandedSongs> received;
};

// The program's folder of a test: "TonvikMusic.ini" with the service host,
// the shipped skins and the offline pages.
class CProgramFolder {
public:
    explicit CProgramFolder(const std::string& serviceHost);
    const TempDir& Folder() const { return m_folder; }

private:
    TempDir m_folder;
};
