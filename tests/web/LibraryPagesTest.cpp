// Page addresses of the library pane, the offline pages, and song links.

#include "common/Text.h"
#include "web/LibraryPages.h"
#include "web/SongLink.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kHost = "127.0.0.1:18117";
const std::u16string kPrefix = u"http://127.0.0.1:18117/songhall/m/";

}  // namespace

TEST(LibraryPagesTest, EachKindOfPageHasItsAddress) {
    // Two Chinese characters with a blank: each CP936 byte as %XX, the blank "+".
    EXPECT_EQ(LibraryPageAddress(kHost, "search", Cp936("音 乐")),
              "http://127.0.0.1:18117/songhall/tonvik/search.php?key=%D2%F4+%C0%D6");
    EXPECT_EQ(LibraryPageAddress(kHost, "search", "a-b"), "http://127.0.0.1:18117/songhall/tonvik/search.php?key=a%2Db");
    EXPECT_EQ(LibraryPageAddress(kHost, "songinfo", "12345"),
              "http://127.0.0.1:18117/songhall/tonvik/songinfo.php?song_id=12345");
    EXPECT_EQ(LibraryPageAddress(kHost, "", "ignored"), "http://127.0.0.1:18117/songhall/tonvik/newrecommand.shtml");
    EXPECT_EQ(LibraryPageAddress(kHost, "newsong", ""), "http://127.0.0.1:18117/songhall/tonvik/newsong.shtml");
    EXPECT_EQ(LibraryPageAddress("http://music.example/", "", ""), "http://music.example/songhall/tonvik/newrecommand.shtml");
}

TEST(LibraryPagesTest, WithoutAConnectionTheOfflinePagesStandIn) {
    const std::string address = "http://127.0.0.1:18117/songhall/tonvik/newrecommand.shtml";
    const St_PageChoice online = ChooseLibraryPage(address, ConnectionState::Connected, "/opt/tonvik/");
    EXPECT_EQ(online.address, address);
    EXPECT_FALSE(online.isLocalPage);

    const St_PageChoice none = ChooseLibraryPage(address, ConnectionState::None, "/opt/tonvik/");
    EXPECT_EQ(none.address, "file:///opt/tonvik/html/noconnection.htm");
    EXPECT_TRUE(none.isLocalPage);
    const St_PageChoice noRoute = ChooseLibraryPage(address, ConnectionState::NoRoute, "/opt/tonvik");
    EXPECT_EQ(noRoute.address, "file:///opt/tonvik/html/disconnected.htm");
    EXPECT_TRUE(noRoute.isLocalPage);
    // A folder with blanks and Chinese still gives a plain ASCII address.
    EXPECT_EQ(ChooseLibraryPage(address, ConnectionState::None, "/home/小 明/").address,
              "file:///home/%E5%B0%8F%20%E6%98%8E/html/noconnection.htm");
}

TEST(SongLinkTest, PlayAndAddLinksGiveTheirIdentifiers) {
    St_SongLinkCheck check = CheckSongLink(kPrefix + u"123.html", kPrefix);
    ASSERT_TRUE(check.isSongLink);
    ASSERT_TRUE(check.song);
    EXPECT_EQ(check.song->ids, u"123");
    EXPECT_TRUE(check.song->play);

    check = CheckSongLink(kPrefix + u"123_456_789.html#addlist", kPrefix);
    ASSERT_TRUE(check.song);
    EXPECT_EQ(check.song->ids, u"123_456_789");
    EXPECT_FALSE(check.song->play);
    // "#addlist" counts anywhere after the ".".
    check = CheckSongLink(kPrefix + u"7.html?from=x#addlist", kPrefix);
    ASSERT_TRUE(check.song);
    EXPECT_FALSE(check.song->play);

    // The longest identifier text taken is one short of the limit.
    check = CheckSongLink(kPrefix + std::u16string(kSongLinkIdsLimit - 1, u'9') + u".html", kPrefix);
    ASSERT_TRUE(check.song);
    EXPECT_EQ(check.song->ids.size(), kSongLinkIdsLimit - 1);
}

TEST(SongLinkTest, OtherAddressesAreFollowed) {
    for (const std::u16string& address :
         {std::u16string(u"http://127.0.0.1:18117/songhall/tonvik/songinfo.php?song_id=5"),
          std::u16string(u"http://other.example/songhall/m/123.html"),
          std::u16string(u"http://127.0.0.1:181170/songhall/m/123.html"),
          std::u16string(u"https://127.0.0.1:18117/songhall/m/123.html"),
          std::u16string(u"file:///songhall/m/123.html"), std::u16string()}) {
        const St_SongLinkCheck check = CheckSongLink(address, kPrefix);
        EXPECT_FALSE(check.isSongLink) << QString::fromStdU16String(address).toStdString();
        EXPECT_FALSE(check.song);
    }
    EXPECT_FALSE(CheckSongLink(kPrefix + u"1.html", u"").isSongLink) << "no service host, no song links";
}

TEST(SongLinkTest, BadSongLinksAreStoppedWithoutSongs) {
    for (const std::u16string& rest :
         {std::u16string(2000, u'1') + u".html", std::u16string(kSongLinkIdsLimit, u'1') + u".html",
          std::u16string(u"123"), std::u16string(u"123_456"), std::u16string(u".html"), std::u16string(u"12%00.html"),
          std::u16string(u"%E4%B8%AD.html"), std::u16string(u"中文.html"), std::u16string(u"1/2.html"),
          std::u16string(u"1?x=2.html"), std::u16string(u"1#addlist")}) {
        const St_SongLinkCheck check = CheckSongLink(kPrefix + rest, kPrefix);
        EXPECT_TRUE(check.isSongLink) << QString::fromStdU16String(rest).toStdString();
        EXPECT_FALSE(check.song) << QString::fromStdU16String(rest).toStdString();
    }
}
