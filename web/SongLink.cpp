#include "web/SongLink.h"

#include "common/MessageIds.h"

#include <algorithm>

namespace {

bool IsIdentifierCharacter(char16_t ch) {
    return (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z') || ch == u'_';
}

}  // namespace

St_SongLinkCheck CheckSongLink(std::u16string_view address, std::u16string_view songLinkPrefix) {
    St_SongLinkCheck check;
    if (songLinkPrefix.empty() || !address.starts_with(songLinkPrefix)) return check;
    check.isSongLink = true;

    const std::u16string_view rest = address.substr(songLinkPrefix.size());
    const size_t dot = rest.find(u'.');
    if (dot == std::u16string_view::npos || dot == 0 || dot >= kSongLinkIdsLimit) return check;
    const std::u16string_view ids = rest.substr(0, dot);
    if (!std::all_of(ids.begin(), ids.end(), IsIdentifierCharacter)) return check;

    check.song = St_SongLink{std::u16string(ids), rest.find(u"#addlist", dot) == std::u16string_view::npos};
    return check;
}

bool PostLibSong(const CMessageHandle& frame, St_SongLink song) {
    return PostMessageWithText(frame, WM_FRAME_LIBSONG, song.play ? 1 : 0, std::move(song.ids));
}
