#include "web/LibraryPages.h"

#include "common/System.h"
#include "common/Text.h"
#include "service/ServiceHosts.h"

#include <QString>
#include <QUrl>

std::string LibraryPageAddress(std::string_view serviceHost, std::string_view kind, std::string_view argument) {
    if (kind.empty()) return HostAddress(serviceHost, kRecommendationPagePath);
    std::string address = HostAddress(serviceHost, kLibraryPagePath);
    address += kind;
    if (kind.find("search") != std::string_view::npos) {
        address += ".php?key=";
        address += UrlEncode(argument);
    } else if (kind.find("songinfo") != std::string_view::npos) {
        address += ".php?song_id=";
        address += argument;
    } else {
        address += ".shtml";
    }
    return address;
}

ConnectionState CurrentConnectionState() {
    return IsNetworkAvailable() ? ConnectionState::Connected : ConnectionState::None;
}

St_PageChoice ChooseLibraryPage(std::string address, ConnectionState state, std::string_view programFolder) {
    if (state == ConnectionState::Connected) return {std::move(address), false};
    std::string file(programFolder);
    if (!file.empty() && file.back() != '/') file += '/';
    file += state == ConnectionState::None ? kNoConnectionPage : kDisconnectedPage;
    // A file address in its encoded form: plain ASCII whatever the folder's name.
    const QUrl local = QUrl::fromLocalFile(QString::fromStdString(file));
    return {local.toString(QUrl::FullyEncoded).toStdString(), true};
}
