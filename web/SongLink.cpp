#include "web/SongLink.h"

#include "common/MessageIds.h"
#include "common/Text.h"
#include "common/Trace.h"
#include "service/ServiceHosts.h"
#include "web/LibraryPages.h"

#include <QString>
#include <QUrl>

#include <algorithm>

namespace {

bool IsIdentifierCharacter(char16_t ch) {
    return (ch >= u'0' && ch <= u'9') || (ch >= u'A' && ch <= u'Z') || (ch >= u'a' && ch <= u'z') || ch == u'_';
}

bool IsWebAddress(std::u16string_view address) {
    const QUrl url(QString::fromStdU16String(std::u16string(address)));
    return url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https");
}

// The song-link prefix in the form the page view reports addresses in, so
// that a host setting written in capitals or with the default port still
// matches.
std::u16string SongLinkPrefix(const ServiceHosts& hosts) {
    const QUrl prefix(FromAnsi(HostAddress(hosts.service, kSongLinkPath)));
    return prefix.isValid() ? prefix.toString(QUrl::FullyEncoded).toStdU16String() : std::u16string();
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

std::u16string OriginOf(std::u16string_view address) {
    const QUrl url(QString::fromStdU16String(std::u16string(address)));
    if (!url.isValid() || !IsWebAddress(address) || url.host().isEmpty()) return {};
    const int port = url.port(url.scheme() == QLatin1String("https") ? 443 : 80);
    return (url.scheme() + QStringLiteral("://") + url.host().toLower() + QLatin1Char(':') + QString::number(port))
        .toStdU16String();
}

std::vector<std::u16string> ServiceOrigins(const std::vector<std::string>& hosts) {
    std::vector<std::u16string> origins;
    for (const std::string& host : hosts) {
        std::u16string origin = OriginOf(FromAnsi(HostAddress(host, "/")).toStdU16String());
        if (!origin.empty() && std::find(origins.begin(), origins.end(), origin) == origins.end())
            origins.push_back(std::move(origin));
    }
    return origins;
}

St_NavigationDecision DecideNavigation(const St_Navigation& navigation, std::u16string_view songLinkPrefix,
                                       const std::vector<std::u16string>& serviceOrigins) {
    St_NavigationDecision decision;
    const bool newWindow = navigation.kind == NavigationKind::NewWindow;
    if (newWindow && !IsWebAddress(navigation.address)) {
        // data:, view-source:, file: and the engine's own pages are no pages
        // of the service: loaded here they would skip the engine's limits.
        return {false, std::nullopt, "Refused new window"};
    }

    const St_SongLinkCheck link = CheckSongLink(navigation.address, songLinkPrefix);
    if (!link.isSongLink) {
        if (newWindow && !navigation.userStarted) return {false, std::nullopt, "Refused new window"};
        return decision;
    }
    decision.follow = false;
    if (!link.song) {
        decision.refusal = "Bad song link";
    } else if (!navigation.mainFrame) {
        decision.refusal = "Refused song link (in a frame)";
    } else if (navigation.kind != NavigationKind::LinkClicked && !newWindow) {
        decision.refusal = "Refused song link (no click)";
    } else if (!navigation.userStarted) {
        decision.refusal = "Refused song link (not the user's)";
    } else if (std::find(serviceOrigins.begin(), serviceOrigins.end(), OriginOf(navigation.page)) == serviceOrigins.end()) {
        decision.refusal = "Refused song link (page not of the service)";
    } else {
        decision.song = link.song;
    }
    return decision;
}

bool HandleNavigation(const St_Navigation& navigation, const CMessageHandle& frame) {
    const ServiceHosts hosts = ReadServiceHosts();
    const St_NavigationDecision decision = DecideNavigation(
        navigation, SongLinkPrefix(hosts), ServiceOrigins({hosts.service, hosts.login, hosts.comment, hosts.lyricSearch}));
    if (decision.refusal) {
        const QString address = QString::fromStdU16String(navigation.address).left(kTracedAddressLimit);
        Trace("OnBeforeNavigate===%s : %s", decision.refusal, ToAnsi(address).c_str());
    } else if (decision.song && !PostLibSong(frame, *decision.song)) {
        Trace("OnBeforeNavigate===No frame for the songs.");
    }
    return decision.follow;
}
