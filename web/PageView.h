#pragma once
// A page view of the web engine as the program's windows see it, without
// the engine: the library pane and the panel's page strip hold an IPageView
// and hear from it as its IPageViewOwner. The engine itself lives in a
// library of its own (libTonvikWebEngine.so beside the program), loaded
// only when the first page view is made, after the player is on screen
// (see WebEngine.h). This header is all that library and the program share:
// plain types, Qt's value types and the song-link records of SongLink.h.

#include "web/SongLink.h"

#include <memory>
#include <string>

class QString;
class QUrl;
class QWidget;

// What a page view tells the window that shows it. User-interface thread.
class IPageViewOwner {
public:
    // The page or one of its frames is about to open an address (or a link
    // asks for a new window): false cancels it.
    virtual bool OnNavigation(const St_Navigation& navigation) = 0;
    // The page finished loading `url` (in its encoded form), or failed to
    // with the engine's `errorCode` (for an HTTP error, its status).
    virtual void OnLoadFinished(const QUrl& url, bool succeeded, int errorCode) = 0;
    // The process that drew the page ended: `status` 0 when it ended
    // normally, else how it died (the engine's termination status).
    virtual void OnRendererGone(int status, int exitCode) = 0;
    // Whether the page's history allows going back and forward changed.
    virtual void OnHistoryChanged(bool canGoBack, bool canGoForward) = 0;
    // The engine itself refused an address of the page (local files, its own
    // pages) before any navigation; `address` as it reported it.
    virtual void OnEngineRefusal(const QString& address) = 0;

protected:
    ~IPageViewOwner() = default;
};

// A page view: a widget child of the window it was made for. Deleting it
// deletes its page first, then the widget.
class IPageView {
public:
    virtual ~IPageView() = default;
    // The view's widget (the engine's own view class).
    virtual QWidget* Widget() = 0;
    virtual void Load(const QUrl& url) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void Reload() = 0;
};

struct St_PageViewOptions {
    // The page shows its scroll bars.
    bool scrollBars = true;
    // The view and the engine's input widget take the keyboard focus.
    bool takesFocus = true;
};

// The engine, once its library is loaded: makes page views on its one
// profile.
class IWebEngine {
public:
    // A page view for `parent`, reporting to `owner` (which outlives it);
    // nullptr when the engine cannot make one.
    virtual std::unique_ptr<IPageView> CreatePageView(QWidget* parent, IPageViewOwner& owner,
                                                      const St_PageViewOptions& options) = 0;
    // The program is ending in order, right after this: the profile goes
    // and the engine shuts down, writing out the cookies and the pages'
    // storage. Every page view must have gone before. Nothing to do when no
    // page view was ever made.
    virtual void ShutDown() = 0;

protected:
    ~IWebEngine() = default;
};

// What the program hands the engine when it opens it.
struct St_WebEngineSetup {
    // Raised whenever this header changes what crosses between the two.
    static constexpr int kVersion = 2;
    int version = kVersion;
    // The profile's folder (cookies and the pages' storage), made private to
    // the user; empty keeps everything in memory.
    std::string storageFolder;
    // The pages' disk cache, private to the user too; empty keeps it in the
    // profile's folder.
    std::string cacheFolder;
    long long cacheBytes = 32LL * 1024 * 1024;
};

// The library's one export: opens the engine (once; later calls give the
// same engine), or nullptr when `setup` is of another version.
using WebEngineEntry = IWebEngine* (*)(const St_WebEngineSetup* setup);
inline constexpr const char* kWebEngineEntryName = "TonvikWebEngineOpen";
inline constexpr const char* kWebEngineLibraryFile = "libTonvikWebEngine.so";
