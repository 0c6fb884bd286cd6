#include "tests/web/WebTestSupport.h"

#include "common/MessageIds.h"
#include "common/WellKnownPaths.h"

#include <QCoreApplication>

CSongRecorder::CSongRecorder() : CMessageTarget(this) {
    SetMessageHandler(WM_FRAME_LIBSONG, [this](WPARAM wParam, LPARAM lParam) {
        const std::u16string* ids = MessageText(lParam);
        received.push_back({wParam, ids ? *ids : u"<unreadable>"});
        return LRESULT{0};
    });
}

bool CSongRecorder::Received(size_t count) {
    QCoreApplication::processEvents();
    return received.size() >= count;
}

CProgramFolder::CProgramFolder(const std::string& serviceHost) {
    SetupWellKnownPaths(m_folder.Path());
    m_folder.Write("TonvikMusic.ini", "[Hosts]\r\nService=" + serviceHost + "\r\n");
    // The shipped skins and offline pages, as they lie beside the program.
    for (const char* shipped : {"Skin", "Skin2", "html"})
        std::filesystem::create_directory_symlink(std::filesystem::path(TONVIK_DATA_DIR) / shipped, m_folder / shipped);
}
