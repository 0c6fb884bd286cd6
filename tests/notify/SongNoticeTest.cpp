// The song note: off by default, its switch kept in the options file, a
// note with title and singer only while it is on, and the call that shows
// it.

#include "notify/SongNotice.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

TEST(SongNoticeTest, OffUntilSwitchedOnAndTheSwitchIsKept) {
    TempDir folder;
    const auto settings = folder.Write("TonvikMusic.ini", "[Hosts]\r\nService=127.0.0.1:1\r\n");
    std::vector<std::pair<QString, QString>> shown;
    const auto presenter = [&](const QString& title, const QString& text) {
        shown.emplace_back(title, text);
        return true;
    };
    const MprisTrack song{"1001", QString::fromUtf8("月光"), QString::fromUtf8("歌手甲"), {}, 0};

    CSongNotice notice(settings, presenter);
    EXPECT_FALSE(notice.IsOn());
    notice.OnTrackStarted(song);
    EXPECT_TRUE(shown.empty());

    ASSERT_TRUE(notice.SetOn(true));
    notice.OnTrackStarted(song);
    notice.OnTrackStarted(MprisTrack{"1002", {}, QString::fromUtf8("歌手乙"), {}, 0});
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], std::make_pair(QString::fromUtf8("月光"), QString::fromUtf8("歌手甲")));
    EXPECT_EQ(shown[1].first, "1002");

    // The next run reads the switch back; the other options stay.
    EXPECT_TRUE(CSongNotice(settings, presenter).IsOn());
    EXPECT_NE(TempDir::Read(settings).find("Service=127.0.0.1:1"), std::string::npos);
    ASSERT_TRUE(notice.SetOn(false));
    EXPECT_FALSE(CSongNotice(settings, presenter).IsOn());
}

TEST(SongNoticeTest, AnUnwritableOptionsFileKeepsTheSwitchForThisRun) {
    TempDir folder;
    std::filesystem::create_directories(folder / "options.ini");  // a folder where the file should be
    int shown = 0;
    CSongNotice notice(folder / "options.ini", [&](const QString&, const QString&) { return ++shown > 0; });
    EXPECT_FALSE(notice.SetOn(true));
    EXPECT_TRUE(notice.IsOn());
    notice.OnTrackStarted(MprisTrack{"1", {}, {}, {}, 0});
    EXPECT_EQ(shown, 1);
}

TEST(SongNoticeTest, TheNoteIsPlainTextAndNamesTheDesktopEntry) {
    const QDBusMessage call =
        CDesktopNotes::NotifyCall(QStringLiteral("Tom & Jerry <live>"), QStringLiteral("A&B <i>x</i>"), 7);
    const QList<QVariant> arguments = call.arguments();
    ASSERT_EQ(arguments.size(), 8);
    EXPECT_EQ(call.member(), "Notify");
    EXPECT_EQ(arguments[1].toUInt(), 7u);  // the note before is replaced
    // The summary is plain text by the protocol; the body is escaped for
    // services that read markup in it.
    EXPECT_EQ(arguments[3].toString(), "Tom & Jerry <live>");
    EXPECT_EQ(arguments[4].toString(), "A&amp;B &lt;i&gt;x&lt;/i&gt;");
    EXPECT_EQ(arguments[6].toMap().value("desktop-entry").toString(), "com.velora.TonvikMusic");
}

}  // namespace
