// Arbitrary bytes for the navigator and for every answer parser. The
// parsers read their answer from a file, as they do after a request; song
// answers are read without fetching descriptors, so nothing goes on the
// network.

#include "service/MarkupMsxml.h"
#include "service/ServiceXml.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <random>

namespace {

// Visits every element under the current one with the moves the answer
// parsers use, reading names and texts, and rewinds at each level.
void WalkChildren(CMarkupMSXML& markup, int depth) {
    while (markup.FindChild(nullptr)) {
        markup.EnterChild();
        (void)markup.GetName();
        (void)markup.GetText();
        (void)markup.GetNodeType();
        if (depth < 32) WalkChildren(markup, depth + 1);
        markup.LeaveToParent();
    }
    if (markup.LeaveToParent()) markup.EnterChild();
}

void Walk(CMarkupMSXML& markup) {
    while (markup.FindSibling(nullptr)) {
        (void)markup.GetName();
        (void)markup.ChildNodes();
        WalkChildren(markup, 0);
    }
}

const std::string& AnswerPath() {
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("fuzz_service_" + std::to_string(std::random_device{}()) + ".xml")).string();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    {
        CMarkupMSXML markup;
        if (markup.LoadDocument(bytes)) {
            Walk(markup);
            markup.FindChild("Result");
            markup.LeaveToParent();
            markup.EnterChild();
        }
    }

    {
        std::ofstream out(AnswerPath(), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    CSongList songs;
    for (int n = 0; n < 3; ++n) {
        St_SongInfo song;
        song.id = std::to_string(n + 1);
        songs.Add(song);
    }
    CSongXml song;
    song.loadPlayUrl = 0;
    song.SetXmlFile(AnswerPath());
    song.LoadSong(songs);

    CRecommendXml recommend;
    recommend.SetXmlFile(AnswerPath());
    recommend.LoadSonglist(songs);

    LogonResult logonResult;
    CLogonXml logon;
    logon.SetXmlFile(AnswerPath());
    logon.LoadLogon(logonResult);

    CAlbumList albums;
    CAlbumXml album;
    album.SetXmlFile(AnswerPath());
    album.LoadAlbumList(albums);

    St_Album created;
    CCreateAlbumXml create;
    create.SetXmlFile(AnswerPath());
    create.LoadCreatedAlbum(created);

    UpdateCheckResult checkResult;
    CCheckXml check;
    check.SetXmlFile(AnswerPath());
    check.LoadCheckXml(checkResult);
    return 0;
}
