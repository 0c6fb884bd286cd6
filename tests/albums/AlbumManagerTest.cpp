// Sign-in, the remembered login, the album worker's guard and its ending by
// force, and the album list, against the service stand-in.

#include "AlbumFakes.h"

#include "albums/AlbumTexts.h"
#include "albums/RememberedLogon.h"
#include "platform/Profile.h"

#include <filesystem>

namespace {

using namespace std::chrono_literals;

std::string LogonKey(const char* key) { return GetPrivateProfileString("Logon", key, "<none>", g_strIniFile); }

TEST_F(AlbumLogicTest, SignInFetchesTheAlbumsAndRemembersTheLoginPrivately) {
    view.rememberPass = true;
    view.user = "  tester ";
    view.password = "secret123";
    manager.OnButtonLongo();
    EXPECT_FALSE(view.signInEnabled);
    // The completions arrive as posted messages.
    ASSERT_TRUE(WaitUntil([this] { return manager.AlbumsShown(); }));

    EXPECT_TRUE(manager.IsLogon());
    EXPECT_EQ(manager.Uid(), "100001");
    EXPECT_TRUE(view.signInEnabled);
    EXPECT_EQ(manager.Albums().GetCount(), 3);
    EXPECT_EQ(view.items.size(), 3u);
    EXPECT_FALSE(manager.NoAlbum());
    EXPECT_EQ(Sent("login.php").at(0).query, "username=tester&password=secret123");
    EXPECT_EQ(Sent("get_useralbumlist.php").at(0).query, "id=100001");

    EXPECT_EQ(LogonKey("RemberPass"), "1");
    EXPECT_EQ(LogonKey("User"), "tester");
    EXPECT_EQ(LogonKey("Pass"), "c2VjcmV0MTIz");
    EXPECT_EQ(LogonKey("AutoLogon"), "0");
    const auto others = std::filesystem::perms::group_all | std::filesystem::perms::others_all;
    EXPECT_EQ(std::filesystem::status(program / "TonvikMusic.ini").permissions() & others,
              std::filesystem::perms::none);

    // The next start shows the remembered login decoded.
    CFakeAlbumView nextView;
    CAlbumManager next(nextView);
    next.LoadRememberedLogon();
    EXPECT_EQ(nextView.user, "tester");
    EXPECT_EQ(nextView.password, "secret123");
    EXPECT_TRUE(nextView.rememberPass);
    EXPECT_FALSE(nextView.autoLogon);
    EXPECT_FALSE(next.OpensAlbumTabFirst());
    // Unchecking the remember-password box forgets the password there too.
    nextView.autoLogon = true;
    next.OnRememberPassUnchecked();
    EXPECT_EQ(LogonKey("RemberPass"), "0");
    EXPECT_EQ(LogonKey("AutoLogon"), "0");
    EXPECT_EQ(nextView.password, "");
    EXPECT_FALSE(nextView.autoLogon);
}

TEST_F(AlbumLogicTest, WithoutRememberPassTheBoxesStayEmptyAtTheNextStart) {
    WriteSettings("[Logon]\r\nUser=tester\r\nPass=c2VjcmV0MTIz\r\nRemberPass=0\r\n");
    manager.LoadRememberedLogon();
    EXPECT_EQ(view.user, "");
    EXPECT_EQ(view.password, "");
    EXPECT_FALSE(view.rememberPass);
}

TEST_F(AlbumLogicTest, FailedSignInForgetsTheRememberedLogin) {
    WriteSettings("[Logon]\r\nUser=tester\r\nPass=c2VjcmV0MTIz\r\nRemberPass=1\r\nAutoLogon=1\r\n");
    manager.LoadRememberedLogon();
    ASSERT_TRUE(manager.OpensAlbumTabFirst());
    view.password = "wrong";
    // The sign-in page starts the automatic sign-in once.
    manager.OnSignInPageShown();
    ASSERT_TRUE(Settle());
    manager.OnSignInPageShown();
    ASSERT_TRUE(Settle());

    EXPECT_EQ(Sent("login.php").size(), 1u);
    EXPECT_FALSE(manager.IsLogon());
    EXPECT_EQ(view.messages, std::vector<std::string>{Cp936("用户名或密码错误")});
    EXPECT_EQ(LogonKey("RemberPass"), "0");
    EXPECT_EQ(LogonKey("AutoLogon"), "0");
    EXPECT_EQ(LogonKey("User"), "");
    // No empty "Pass" key is left behind any more: the key goes.
    EXPECT_EQ(LogonKey("Pass"), "<none>");
    EXPECT_FALSE(view.rememberPass);
    EXPECT_FALSE(view.autoLogon);
    EXPECT_EQ(view.user, "");
    EXPECT_EQ(view.password, "");
    EXPECT_TRUE(view.signInEnabled);
    EXPECT_EQ(manager.AlbumTabPage(), kPageSignIn);
    EXPECT_TRUE(Sent("get_useralbumlist.php").empty());
}

TEST_F(AlbumLogicTest, AnEmptyFormIsRefusedWithoutARequest) {
    view.user = "   ";
    view.password = "x";
    manager.OnButtonLongo();
    EXPECT_EQ(view.messages, std::vector<std::string>{Cp936(kEmptyLogonText)});
    EXPECT_TRUE(view.signInEnabled);
    EXPECT_EQ(manager.CurrentRun(), 0u);
}

TEST_F(AlbumLogicTest, SignInWhileSignedInSignsOutFirst) {
    SignIn();
    standIn.ClearLogs();
    SignIn("demo user", "demo");
    EXPECT_EQ(SentPaths(), (std::vector<std::string>{"logout.php", "login.php", "get_useralbumlist.php"}));
    EXPECT_EQ(Sent("login.php").at(0).query, "username=demo+user&password=demo");
    EXPECT_EQ(manager.Uid(), "100003");
    EXPECT_TRUE(traces.Has("===LogonImpl Call logout interface Enter."));
}

TEST_F(AlbumLogicTest, NamesAndPasswordsWithSignsReachTheServiceEncoded) {
    // 周 "A&B"=#  and  p a&s=s#"码'  (an account of the stand-in).
    SignIn(Cp936("周 \"A&B\"=#"), Cp936("p a&s=s#\"码'"));
    EXPECT_EQ(manager.Uid(), "100004");
    EXPECT_EQ(Sent("login.php").at(0).query,
              "username=%E5%91%A8+%22A%26B%22%3D%23&password=p+a%26s%3Ds%23%22%E7%A0%81%27");
}

TEST_F(AlbumLogicTest, TheGuardReportsABusyWorker) {
    standIn.SetFault("/shequ/port/tonvik/login.php", standin::MakeFault(standin::FaultKind::Hang));
    view.user = "tester";
    view.password = "secret123";
    manager.OnButtonLongo();
    ASSERT_TRUE(standIn.WaitForHung(1, kBound));
    // The second press finds the button locked; a sign-in started any other
    // way finds the worker busy.
    manager.OnButtonLongo();
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(manager.StartLogon(), 0);
    EXPECT_EQ(manager.OnLogoutAlbum(), 0);
    EXPECT_EQ(view.messages, std::vector<std::string>(2, Cp936(kBusyText)));
    EXPECT_FALSE(manager.IsThreadUse(0, "Test"));
    EXPECT_TRUE(traces.Has("IsThreadUse Usable:0  Flag:1  Caller:Logon\r\n"));
    EXPECT_EQ(Sent("login.php").size(), 1u);
    standIn.ReleaseHung();
    ASSERT_TRUE(Settle());
    EXPECT_TRUE(manager.IsLogon());
}

// The orderly close with the service hanging in the sign-in: the guard gives
// up after its wait, the worker is ended by force, and what the abandoned
// run would still bring is never applied.
TEST_F(AlbumLogicTest, ClosingDuringAHungSignInEndsInBoundedTime) {
    view.rememberPass = true;
    standIn.SetFault("/shequ/port/tonvik/login.php", standin::MakeFault(standin::FaultKind::Hang));
    view.user = "tester";
    view.password = "secret123";
    manager.OnButtonLongo();
    ASSERT_TRUE(standIn.WaitForHung(1, kBound));
    const std::string iniBefore = Ini();

    const auto closing = std::chrono::steady_clock::now();
    EXPECT_FALSE(manager.IsThreadUse(3000, "CloseApp1"));
    manager.TerminateAlbumWorker(0xFFFFFFFE);
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 10s);
    EXPECT_EQ(manager.AlbumWorkerExitCode(), 0xFFFFFFFEu);
    EXPECT_TRUE(manager.IsThreadUse(0, "CloseApp2"));
    EXPECT_TRUE(view.signInEnabled);

    standIn.ReleaseHung();
    standIn.Stop();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_FALSE(manager.IsLogon());
    EXPECT_EQ(manager.Albums().GetCount(), 0);
    EXPECT_EQ(Ini(), iniBefore);
    EXPECT_TRUE(view.messages.empty());
}

// Once the program closes nobody is left to click a message away: a failed
// album list that completes inside the close's wait is traced, not shown,
// and a sign-in that completes there fetches no albums.
TEST_F(AlbumLogicTest, WhileClosingFailuresAreTracedAndNoAlbumsAreFetched) {
    const std::string listPath = "/shequ/port/tonvik/get_useralbumlist.php";
    standIn.SetFault(listPath, standin::MakeFault(standin::FaultKind::MalformedXml, 300));
    view.user = "tester";
    view.password = "secret123";
    manager.OnButtonLongo();
    ASSERT_TRUE(WaitUntil([&] { return !standIn.RequestsFor(listPath).empty(); }));
    manager.SetClosing();
    EXPECT_TRUE(manager.IsThreadUse(3000, "CloseApp1"));
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(traces.Has("OnAlbulComplete===Closing, not shown : " + Cp936("获取专辑列表失败！")));

    standIn.ClearLogs();
    standIn.SetFault("/shequ/port/tonvik/login.php", standin::MakeFault(standin::FaultKind::None, 300));
    EXPECT_EQ(manager.StartLogon(), 1);
    EXPECT_TRUE(manager.IsThreadUse(3000, "CloseApp1"));
    EXPECT_TRUE(manager.IsLogon());
    EXPECT_TRUE(Sent("get_useralbumlist.php").empty());
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(AlbumLogicTest, SignOutAndForgettingTheSession) {
    view.rememberPass = false;
    SignIn();
    EXPECT_EQ(manager.OnLogoutAlbum(), 1);
    // The guard that sees the run end applies its completion; the message
    // that follows finds nothing left to apply.
    ASSERT_TRUE(manager.IsThreadUse(static_cast<int>(kBound.count()), "OnUnreg"));
    EXPECT_FALSE(manager.IsLogon());
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(traces.CountContaining("OnAlbulComplete===Logout OK."), 1);
    EXPECT_EQ(Sent("logout.php").size(), 1u);
    view.page = kPageAlbumTree;
    manager.ForgetSession();
    EXPECT_EQ(manager.Albums().GetCount(), 0);
    EXPECT_TRUE(view.items.empty());
    EXPECT_EQ(view.password, "");
    EXPECT_EQ(view.page, kPageSignIn);
    // Signed out, a sign-out sends nothing.
    EXPECT_EQ(manager.OnLogoutAlbum(), 1);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(Sent("logout.php").size(), 1u);
}

// ---- the album list ----

TEST_F(AlbumLogicTest, AnEmptyAlbumListOffersToCreateOne) {
    standIn.SetDocument("/shequ/port/tonvik/get_useralbumlist.php",
                        "<?xml version=\"1.0\" encoding=\"GBK\"?><Result></Result>");
    view.page = kPageSignIn;
    SignIn();
    EXPECT_TRUE(manager.AlbumsShown());
    EXPECT_TRUE(manager.NoAlbum());
    EXPECT_EQ(view.page, kPageNoAlbum);
}

TEST_F(AlbumLogicTest, AMalformedAlbumListShowsNoAlbums) {
    standIn.SetFault("/shequ/port/tonvik/get_useralbumlist.php", standin::MakeFault(standin::FaultKind::MalformedXml));
    view.page = kPageSignIn;
    SignIn();
    EXPECT_EQ(view.messages, std::vector<std::string>{Cp936("获取专辑列表失败！")});
    EXPECT_FALSE(manager.AlbumsShown());
    EXPECT_TRUE(manager.NoAlbum());
    EXPECT_EQ(manager.Albums().GetCount(), 0);
    EXPECT_TRUE(view.signInEnabled);
}

TEST_F(AlbumLogicTest, AnOddAlbumListIsShownAsFarAsItIsSound) {
    // 200 albums in one group, every identifier twice, every fifth without a
    // name (those are not read), and a "sign" album without a name.
    std::string albums = "<sign><USERALBUMID>7</USERALBUMID></sign><group>";
    for (int i = 0; i < 200; ++i) {
        const std::string name = i % 5 == 0 ? "" : "<NAME>a" + std::to_string(i) + "</NAME>";
        albums += "<album><USERALBUMID>" + std::to_string(10 + i / 2) + "</USERALBUMID>" + name + "</album>";
    }
    standIn.SetDocument("/shequ/port/tonvik/get_useralbumlist.php",
                        "<?xml version=\"1.0\" encoding=\"GBK\"?><Result>" + albums + "</group></Result>");
    SignIn();
    const CAlbumList& list = manager.Albums();
    ASSERT_GT(list.GetCount(), 1);
    EXPECT_LE(list.GetCount(), CAlbumList::kCapacity);
    for (int i = 0; i < list.GetCount(); ++i) EXPECT_EQ(list.FindById(list.GetAt(i).albumId), i);
    EXPECT_EQ(list.GetAt(0).albumName, "");
    EXPECT_EQ(view.items.size(), static_cast<size_t>(list.GetCount()));
}

TEST_F(AlbumLogicTest, TheRebuiltTreeMarksThePlayingAlbumAgain) {
    SignIn();
    const St_Album album = manager.Albums().GetAt(1);
    St_SongInfo second;
    album.songs.GetAt(1, second);
    manager.SetPlayingAlbum(album.albumId, second.id);
    EXPECT_EQ(manager.HasAulum(), 0);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(manager.PlayingAlbumItem(), view.AlbumItemAt(1));
    EXPECT_EQ(view.items.at(1).playingPosition, 2);
    EXPECT_TRUE(traces.Has("Find last play album. 1"));
}

}  // namespace
