#pragma once
// The program's side of its one web engine. The engine lives in a library
// of its own (kWebEngineLibraryFile beside the program, see PageView.h),
// loaded when the first page view is made, after the player is on screen:
// nothing of it runs before the first paint. The switches it needs on this
// machine are set before the QApplication exists.

#include "web/PageView.h"

#include <filesystem>
#include <memory>

class QWidget;

// Call before the QApplication is created: software rendering, no OpenGL
// on X11 (unless QT_XCB_GL_INTEGRATION says otherwise), no background
// traffic of the engine's own, one process to draw the service's pages,
// and, only when the program runs as the system administrator, the
// engine's sandbox off (it refuses to start otherwise).
void PrepareWebEngine();


// Before the first page view: keep nothing on disk (tests).
void KeepWebProfileInMemory();

// Before the first page view: load the engine from `library` instead of the
// one beside the program (tests and tools that live elsewhere).
void SetWebEngineLibrary(const std::filesystem::path& library);

// Where the profile is kept, in the user's data folder for the program, and
// the pages' cache, in the user's cache folder for the program
// ($XDG_CACHE_HOME/Velora/TonvikMusic/WebEngine).
inline constexpr const char* kWebProfileFolder = "WebEngine";

// The engine, its library loaded and the profile's folder made private to
// the user (kept in memory when it cannot be) on first use; nullptr, traced
// once, when the library cannot be loaded or refuses to start.
IWebEngine* OpenWebEngine();

// A page view for `parent` reporting to `owner`, or nullptr with a trace
// naming `caller` when the engine cannot make one. The engine's settings for
// a pane of the service's pages hold (no pop-up windows, no error pages of
// the engine's own, no plug-ins, no clipboard, no external programs for
// unknown link schemes).
std::unique_ptr<IPageView> MakePageView(QWidget* parent, IPageViewOwner& owner, const St_PageViewOptions& options,
                                        const char* caller);

// The trace of an address the engine refused by itself (see
// IPageViewOwner::OnEngineRefusal).
void TraceEngineRefusal(const QString& address);

// The program is ending in order, right after this: the engine shuts down,
// writing out the cookies and the pages' storage. Every page view must have
// gone before. Nothing to do when the engine never started.
void ShutDownWebEngine();
