#pragma once
// Song links in the service's pages: "/songhall/m/" on the service host,
// then the song identifiers joined by "_", a ".", the rest of the file name
// and, for the "add" links, "#addlist" somewhere after the ".". The pane
// never follows such a link; it hands the identifiers to the main frame
// (WM_FRAME_LIBSONG), which queues or plays the songs.

#include "common/WindowMessage.h"

#include <optional>
#include <string>
#include <string_view>

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
