// Arbitrary addresses, most of them behind the song-link prefix, through
// the song-link check and the navigation decision. Whatever is handed to
// the frame is identifiers only.

#include "web/SongLink.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

constexpr std::u16string_view kPrefix = u"http://music.example:80/songhall/m/";

bool OnlyIdentifiers(const std::u16string& ids) {
    for (const char16_t c : ids) {
        const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
        if (!letter && !(c >= u'0' && c <= u'9') && c != u'_') return false;
    }
    return true;
}

void CheckSong(const std::optional<St_SongLink>& song) {
    if (!song) return;
    Require(!song->ids.empty() && song->ids.size() < kSongLinkIdsLimit);
    Require(OnlyIdentifiers(song->ids));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t flags = data[0];
    std::u16string address;
    if (flags & 1) address = kPrefix;
    // Mostly bytes as they come; some wide characters too.
    for (size_t i = 1; i < size; ++i) {
        if ((flags & 2) && i + 1 < size && data[i] == 0xff) {
            address.push_back(static_cast<char16_t>(data[i + 1] << 8 | data[i]));
            ++i;
        } else {
            address.push_back(static_cast<char16_t>(data[i]));
        }
    }

    const St_SongLinkCheck check = CheckSongLink(address, kPrefix);
    if (check.song) Require(check.isSongLink);
    CheckSong(check.song);

    St_Navigation navigation;
    navigation.address = address;
    navigation.page = (flags & 4) ? u"http://music.example:80/index.html" : address;
    navigation.kind = static_cast<NavigationKind>((flags >> 3) % 8);
    navigation.mainFrame = flags & 0x40;
    navigation.userStarted = flags & 0x80;
    const std::vector<std::u16string> origins = {u"http://music.example:80"};
    const St_NavigationDecision decision = DecideNavigation(navigation, kPrefix, origins);
    CheckSong(decision.song);
    // Songs are handed over only for the user's own click in the page itself.
    if (decision.song) Require(navigation.userStarted && navigation.mainFrame && !decision.follow);
    if (check.isSongLink) Require(!decision.follow);
    (void)OriginOf(address);
    return 0;
}
