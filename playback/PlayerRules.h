#pragma once
// The player window's small decisions, kept apart from the window so that
// they can be checked without a display: volume steps, what a search text
// may be, where the my-music panel docks, and the service pages the window
// opens in the browser.

#include "service/ServiceHosts.h"

#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

inline constexpr int kVolumeStep = 10;
inline constexpr int kVolumeMax = 100;
inline constexpr int kStartVolume = 50;
// The volume one step up (`steps` > 0) or down, within 0..100.
int SteppedVolume(int volume, int steps);

// The longest search text, in UTF-16 code units.
inline constexpr int kMaxSearchUnits = 64;
enum class SearchVerdict {
    Empty,         // nothing typed, or only the cue text
    TooLong,       // more than kMaxSearchUnits
    NotEncodable,  // a character the service's code page cannot carry
    Accepted,
};
// The search box's cue text counts as empty.
SearchVerdict CheckSearchText(const QString& text);
// What the user is told for a refused search (CP936); empty for Accepted.
std::string SearchRefusal(SearchVerdict verdict);

// Where the my-music panel goes when the player sits at `player` wearing
// `skin` (the full skin folder); nullopt when it stays where it is (a
// "Skin2" player in mini mode).
std::optional<QRect> PanelDockRect(std::string_view skin, bool miniMode, QPoint player);

// The service pages of the main menu.
std::string HelpPageAddress(const ServiceHosts& hosts);
std::string FeedbackPageAddress(const ServiceHosts& hosts);
// "我的乐库": the user's own page, reached through the sign-in page.
std::string MyPageAddress(const ServiceHosts& hosts, std::string_view user, std::string_view password);
