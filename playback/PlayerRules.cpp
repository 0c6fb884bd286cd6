#include "playback/PlayerRules.h"

#include "common/Text.h"
#include "skin/SkinChoice.h"
#include "skin/controls/EditTrans.h"

#include <algorithm>

int SteppedVolume(int volume, int steps) { return std::clamp(volume + steps * kVolumeStep, 0, kVolumeMax); }

SearchVerdict CheckSearchText(const QString& text) {
    if (text.isEmpty() || text == CEditTrans::PlaceholderText()) return SearchVerdict::Empty;
    if (text.size() > kMaxSearchUnits) return SearchVerdict::TooLong;
    // The search goes out in the system code page; a character it cannot
    // hold would reach the service as a different query.
    if (ToNarrow(text.toStdU16String()).empty()) return SearchVerdict::NotEncodable;
    return SearchVerdict::Accepted;
}

std::string SearchRefusal(SearchVerdict verdict) {
    switch (verdict) {
    case SearchVerdict::Empty: return Cp936("请输入相应的歌手、歌曲、专辑！");
    case SearchVerdict::TooLong: return Cp936("搜索的内容不能超过64个字符");
    case SearchVerdict::NotEncodable: return Cp936("搜索的内容含有无法识别的字符");
    case SearchVerdict::Accepted: break;
    }
    return {};
}

std::optional<QRect> PanelDockRect(std::string_view skin, bool miniMode, QPoint player) {
    if (!IsClassicFamily(skin)) return QRect(player + QPoint(0, 174), QSize(342, 360));
    if (miniMode) return std::nullopt;
    return QRect(player + QPoint(39, 164), QSize(355, 353));
}

std::string HelpPageAddress(const ServiceHosts& hosts) { return HostAddress(hosts.service, "/shequ/TonvikPlayer.shtml"); }

std::string FeedbackPageAddress(const ServiceHosts& hosts) {
    return HostAddress(hosts.comment, "/comment/skin/default.html?channel=yy&newsid=veloramusic-1-songhall-s508344");
}

std::string MyPageAddress(const ServiceHosts& hosts, std::string_view user, std::string_view password) {
    return SignInRedirectAddress(hosts, user, password, "/shequ/u/");
}
