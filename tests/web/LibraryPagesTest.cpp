// Page addresses of the library pane, the offline pages, and song links.

#include "common/Text.h"
#include "web/LibraryPages.h"
#include "web/SongLink.h"

#include <gtest/gtest.h>

#include <functional>

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

// Which navigations may hand songs over or open: only the user's click on a
// song link of the service's own page, and new windows only for web pages.
TEST(NavigationRulesTest, OnlyTheUsersClickOnTheServicesPageChoosesSongs) {
    const std::vector<std::u16string> origins = ServiceOrigins({kHost, "LOGIN.example", "https://secure.example/"});
    EXPECT_EQ(origins, (std::vector<std::u16string>{u"http://127.0.0.1:18117", u"http://login.example:80",
                                                    u"https://secure.example:443"}));
    St_Navigation click;
    click.address = kPrefix + u"12_34.html#addlist";
    click.page = u"http://127.0.0.1:18117/songhall/tonvik/newrecommand.shtml";
    click.kind = NavigationKind::LinkClicked;
    click.userStarted = true;

    St_NavigationDecision decision = DecideNavigation(click, kPrefix, origins);
    EXPECT_FALSE(decision.follow);
    ASSERT_TRUE(decision.song.has_value());
    EXPECT_EQ(decision.song->ids, u"12_34");
    EXPECT_FALSE(decision.song->play);
    EXPECT_EQ(decision.refusal, nullptr);
    // On the sign-in host's page too, and from a link that asks for a window.
    St_Navigation other = click;
    other.page = u"http://login.example/shequ/u/";
    other.kind = NavigationKind::NewWindow;
    EXPECT_TRUE(DecideNavigation(other, kPrefix, origins).song.has_value());

    struct Case {
        const char* what;
        std::function<void(St_Navigation&)> change;
        const char* refusal;
    };
    const Case cases[] = {
        {"a script's", [](St_Navigation& n) { n.userStarted = false; }, "Refused song link (not the user's)"},
        {"a frame's", [](St_Navigation& n) { n.mainFrame = false; }, "Refused song link (in a frame)"},
        {"a redirect", [](St_Navigation& n) { n.kind = NavigationKind::Redirect; }, "Refused song link (no click)"},
        {"a form", [](St_Navigation& n) { n.kind = NavigationKind::FormSubmitted; }, "Refused song link (no click)"},
        {"the program's", [](St_Navigation& n) { n.kind = NavigationKind::Typed; }, "Refused song link (no click)"},
        {"another site's page", [](St_Navigation& n) { n.page = u"http://127.0.0.1:18118/x.html"; },
         "Refused song link (page not of the service)"},
        {"a local page", [](St_Navigation& n) { n.page = u"file:///opt/tonvik/html/noconnection.htm"; },
         "Refused song link (page not of the service)"},
        {"a bad link", [](St_Navigation& n) { n.address = kPrefix + u"12"; }, "Bad song link"},
    };
    for (const Case& c : cases) {
        St_Navigation navigation = click;
        c.change(navigation);
        decision = DecideNavigation(navigation, kPrefix, origins);
        EXPECT_FALSE(decision.follow) << c.what;
        EXPECT_FALSE(decision.song.has_value()) << c.what;
        EXPECT_STREQ(decision.refusal, c.refusal) << c.what;
    }

    // Other addresses are followed; new windows only to web pages the user asked for.
    St_Navigation page = click;
    page.address = u"http://127.0.0.1:18117/songhall/tonvik/songinfo.php?song_id=5";
    page.userStarted = false;
    EXPECT_TRUE(DecideNavigation(page, kPrefix, origins).follow);
    page.kind = NavigationKind::NewWindow;
    EXPECT_FALSE(DecideNavigation(page, kPrefix, origins).follow) << "a script opens no window";
    page.userStarted = true;
    EXPECT_TRUE(DecideNavigation(page, kPrefix, origins).follow);
    for (const char16_t* address : {u"data:text/html,<p>x</p>", u"view-source:http://127.0.0.1:18117/",
                                    u"file:///etc/passwd", u"chrome://settings", u"about:blank"}) {
        page.address = address;
        decision = DecideNavigation(page, kPrefix, origins);
        EXPECT_FALSE(decision.follow) << QString::fromStdU16String(address).toStdString();
        EXPECT_STREQ(decision.refusal, "Refused new window");
    }
}
