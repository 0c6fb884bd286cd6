#pragma once
// The program's one web engine: the switches it needs on this machine, set
// before the QApplication exists, and the one profile that every page pane
// of the program shares (cookies, cache, settings). The engine itself
// starts with the first page view, not before.

class QWebEngineProfile;
class QWidget;

// Call before the QApplication is created: shared drawing contexts, software
// rendering, no background traffic of the engine's own, and, only when the
// program runs as the system administrator, the engine's sandbox off (it
// refuses to start otherwise).
void PrepareWebEngine();

// Before the first SharedWebProfile: keep nothing on disk (tests).
void KeepWebProfileInMemory();

// The profile all page panes use, made on first use: stored in the user's
// data folder for the program (kWebProfileFolder, made private to the user;
// kept in memory when it cannot be), with a bounded cache, and with the settings
// of a pane that shows the service's pages (no pop-up windows, no error
// pages of the engine's own, no plug-ins, no clipboard, no external
// programs for unknown link schemes). It lives until the application ends.
QWebEngineProfile* SharedWebProfile();

// Where the profile is kept, in the user's data folder for the program.
inline constexpr const char* kWebProfileFolder = "WebEngine";

// The program is ending in order, right after this: the profile goes and
// the engine shuts down, writing out the cookies and the pages' storage.
// Every page on the profile must have gone before. Nothing to do when the
// engine never started.
void ShutDownWebEngine();

// For a window that gets a page view only after it is shown: makes it draw
// through the kind of surface the view needs from its first show on. Without
// this, adding the view to the shown window makes the system destroy and
// remake its native window (a flicker; input sent meanwhile is lost). Call
// before the window is first shown. The engine does not start.
void PrepareWebSurface(QWidget* window);
