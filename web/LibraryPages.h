#pragma once
// Where the library pane's pages are: the service's page addresses made from
// a page kind and its argument, and the offline pages shipped beside the
// program that stand in for them while there is no connection. Addresses
// are CP936 text.

#include <string>
#include <string_view>

inline constexpr std::string_view kLibraryPagePath = "/songhall/tonvik/";
inline constexpr std::string_view kRecommendationPagePath = "/songhall/tonvik/newrecommand.shtml";
inline constexpr std::string_view kSongLinkPath = "/songhall/m/";
// Under the program's folder.
inline constexpr std::string_view kNoConnectionPage = "html/noconnection.htm";
inline constexpr std::string_view kDisconnectedPage = "html/disconnected.htm";

// The address of a library page on the service host `serviceHost`: kind
// "search" (any kind containing it) asks for `argument` as a search key,
// "songinfo" for the song whose identifier `argument` is, the empty kind is
// the recommendation page, and any other kind the ".shtml" page of that name.
std::string LibraryPageAddress(std::string_view serviceHost, std::string_view kind, std::string_view argument);

// What the machine's connection allows.
enum class ConnectionState {
    None,       // no connection at all
    NoRoute,    // a connection, but neither modem, network card nor proxy
    Connected,
};

// The platform's network check as a connection state.
ConnectionState CurrentConnectionState();

struct St_PageChoice {
    std::string address;
    bool isLocalPage = false;  // one of the offline pages
};

// The page to show for `address` in `state`: the address itself when
// connected, else the offline page for the state, as a file address under
// `programFolder`.
St_PageChoice ChooseLibraryPage(std::string address, ConnectionState state, std::string_view programFolder);
