#pragma once
// Song links in the service's pages: "/songhall/m/" on the service host,
// then the song identifiers joined by "_", a ".", the rest of the file name
// and, for the "add" links, "#addlist" somewhere after the ".". The pane
// never follows such a link; it hands the identifiers to the main frame
// (WM_FRAME_LIBSONG), which queues or plays the songs.
//
// A page comes over plain HTTP, so whatever a page can do, anyone on the
// network path can do too. A song link therefore counts only when the user
// clicked it on the service's own page: in the page itself (not in one of
// its frames), by a click (not a script, a form or a redirect), right after
// the user's own mouse or key press in the page view, while the page shown
// is on one of the service's hosts. Every other song link is dropped with a
// trace.

#include "common/WindowMessage.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The identifier text of a link is shorter than this.
inline constexpr size_t kSongLinkIdsLimit = 1023;

struct St_SongLink {
    std::u16string ids;  // the identifiers joined by "_", e.g. u"123_456"
    bool play = true;    // false for an "#addlist" link: add without playing
};

struct St_SongLinkCheck {
    // The address is a song link: the pane must not follow it.
    bool isSongLink = false;
    // What to hand over; empty for a song link that is not well formed
    // (no ".", too long, anything but ASCII letters, digits and "_" before
    // the ".", or nothing at all).
    std::optional<St_SongLink> song;
};

// Checks the address a page is about to open (in its encoded form) against
// `songLinkPrefix`, the HTTP address of the service host followed by
// "/songhall/m/".
St_SongLinkCheck CheckSongLink(std::u16string_view address, std::u16string_view songLinkPrefix);

// Posts WM_FRAME_LIBSONG to the frame: wParam 1 to play, 0 to add; lParam
// the identifiers, as a text the message owns (read it with MessageText in
// the handler). False when the frame is gone.
bool PostLibSong(const CMessageHandle& frame, St_SongLink song);

// How a navigation came about, as the page view reports it.
enum class NavigationKind {
    LinkClicked,    // a link of the page (clicked, or "clicked" by a script)
    Typed,          // the program asked for the address
    FormSubmitted,
    BackForward,
    Reload,
    Redirect,       // the server sent the page view on
    Other,          // anything else a page does (scripts, refresh headers)
    NewWindow,      // a link that asks for a window of its own
};

// A navigation the page view is about to make.
struct St_Navigation {
    std::u16string address;  // where to, in encoded form
    std::u16string page;     // the address the pane's page shows now, in encoded form
    NavigationKind kind = NavigationKind::Other;
    bool mainFrame = true;   // the page itself, not one of its frames
    // The user started it: a mouse or key press of the user's own in the
    // page view came just before (and, for a new window, the engine says
    // so too). Each press counts for one navigation.
    bool userStarted = false;
};

struct St_NavigationDecision {
    bool follow = true;                // let the page view go there
    std::optional<St_SongLink> song;   // hand these songs to the frame
    const char* refusal = nullptr;     // why an address was refused (traced)
};

// The origins of the service's hosts ("http://host:port", lower case, the
// port always written): the hosts a page must be on for its song links to
// count.
std::vector<std::u16string> ServiceOrigins(const std::vector<std::string>& hosts);
// The origin of an address in the same form; empty for anything but
// http(s).
std::u16string OriginOf(std::u16string_view address);

// The longest part of an address a trace keeps.
inline constexpr int kTracedAddressLimit = 256;

// What to do with a navigation, given the song-link prefix of the service
// host and the origins of the service's hosts. New windows open only for
// http(s) addresses the user asked for.
St_NavigationDecision DecideNavigation(const St_Navigation& navigation, std::u16string_view songLinkPrefix,
                                       const std::vector<std::u16string>& serviceOrigins);

// DecideNavigation with the hosts of the settings; traces each refusal once
// (passwords in addresses masked) and posts the songs to `frame`. True when
// the page view may go on.
bool HandleNavigation(const St_Navigation& navigation, const CMessageHandle& frame);
