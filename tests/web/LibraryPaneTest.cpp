// The library pane with the web engine, against the service stand-in's
// pages: song links, page addresses, the offline page, history, failures.

#include "common/Text.h"
#include "tests/support/TraceCapture.h"
#include "tests/web/WebTestSupport.h"
#include "tools/standin/StandIn.h"
#include "web/MiniWebBrowserDlg.h"
#include "web/WebIds.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Bounds for a loaded two-core machine; a healthy run needs a fraction.
constexpr int kLoadMs = 30000;

class LibraryPaneTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standIn.Start()) << standIn.Error();
        program.emplace(standIn.Host());
        dialog = std::make_unique<CMiniWebBrowserDlg>(frame.Handle(), "Skin2", nullptr, [this] { return connection; });
        dialog->ShowWindow(true);
        ASSERT_TRUE(Shows("/songhall/tonvik/newrecommand.shtml"));
    }

    void TearDown() override {
        dialog.reset();
        standIn.Stop();
    }

    QWebEnginePage* Page() const { return dialog->PageView() ? dialog->PageView()->page() : nullptr; }

    // Whether the pane finishes loading the service page at `pathAndQuery`.
    bool Shows(const std::string& pathAndQuery) {
        return RunUntil([&] { return dialog->Browser().CurrentUrl() == standIn.Url(pathAndQuery); }, kLoadMs);
    }

    QVariant RunScript(const QString& script) {
        std::optional<QVariant> result;
        Page()->runJavaScript(script, [&](const QVariant& value) { result = value; });
        return RunUntil([&] { return result.has_value(); }, kLoadMs) ? *result : QVariant(QStringLiteral("<no answer>"));
    }

    QString PageText() { return RunScript(QStringLiteral("document.body.innerText")).toString(); }

    // Adds a link to the page and runs its click.
    void ClickNewLink(const std::string& href) {
        RunScript(QStringLiteral("(() => { const a = document.createElement('a'); a.href = '%1';"
                                 "document.body.appendChild(a); a.click(); return 1; })()")
                      .arg(QString::fromStdString(href)));
    }

    // Adds a link that opens in a new window at the top of the page and
    // clicks it with the mouse, as a user does (a script may open no window).
    void MouseClickNewWindowLink(const std::string& href) {
        RunScript(QStringLiteral("(() => { const a = document.createElement('a'); a.href = '%1'; a.target = '_blank';"
                                 "a.textContent = 'link'; a.style = 'position:fixed;left:0;top:0;width:80px;height:40px;display:block';"
                                 "document.body.appendChild(a); return 1; })()")
                      .arg(QString::fromStdString(href)));
        QTest::mouseClick(dialog->PageView()->focusProxy(), Qt::LeftButton, {}, QPoint(20, 20));
    }

    void ClickButton(int controlId) { QTest::mouseClick(dialog->Control(controlId), Qt::LeftButton); }

    bool ButtonEnabled(int controlId) const { return dialog->Control(controlId)->isEnabled(); }

    TempDir state;
    standin::CStandIn standIn{standin::OptionsWithState(state.Path())};
    std::optional<CProgramFolder> program;
    TraceCapture traces;
    CSongRecorder frame;
    ConnectionState connection = ConnectionState::Connected;
    std::unique_ptr<CMiniWebBrowserDlg> dialog;
};

}  // namespace

TEST_F(LibraryPaneTest, SongLinksGoToTheFrameAndThePageStays) {
    RunScript(QStringLiteral("document.querySelector('a.play').click(); 1"));
    ASSERT_TRUE(RunUntil([&] { return frame.received.size() >= 1; }, kLoadMs));
    RunScript(QStringLiteral("document.querySelector('a.add').click(); 1"));
    ASSERT_TRUE(RunUntil([&] { return frame.received.size() >= 2; }, kLoadMs));
    // A song link that asks for a new window is handled in the pane too.
    MouseClickNewWindowLink(standIn.Url("/songhall/m/20002_20003.html"));
    ASSERT_TRUE(RunUntil([&] { return frame.received.size() >= 3; }, kLoadMs));

    ASSERT_EQ(frame.received.size(), 3u);
    EXPECT_EQ(frame.received[0].wParam, 1u);
    EXPECT_EQ(frame.received[0].ids, u"20001");
    EXPECT_EQ(frame.received[1].wParam, 0u);
    EXPECT_EQ(frame.received[1].ids, u"20001");
    EXPECT_EQ(frame.received[2].ids, u"20002_20003");

    // Bad song links: nothing is posted, nothing is followed.
    ClickNewLink(standIn.Url("/songhall/m/" + std::string(2000, '1') + ".html"));
    ClickNewLink(standIn.Url("/songhall/m/%E4%B8%AD.html#addlist"));
    ClickNewLink(standIn.Url("/songhall/m/123"));
    EXPECT_TRUE(RunUntil([&] { return traces.CountContaining("Bad song link") == 3; }, kLoadMs));
    // The engine refuses this one itself, and the pane goes back to its page.
    ClickNewLink(standIn.Url("/songhall/m/12%00.html"));
    EXPECT_TRUE(RunUntil([&] { return traces.CountContaining("Refused address") == 1; }, kLoadMs));
    // Scripts have nothing of the program's to talk to.
    EXPECT_EQ(RunScript(QStringLiteral("typeof qt")).toString(), QStringLiteral("undefined"));
    EXPECT_EQ(RunScript(QStringLiteral("window.open('about:blank') === null")).toBool(), true);

    EXPECT_EQ(frame.received.size(), 3u);
    EXPECT_TRUE(standIn.RequestsFor("/songhall/m/20001.html").empty());
    EXPECT_TRUE(RunUntil([&] { return Page()->url().toString().toStdString() == standIn.Url("/songhall/tonvik/newrecommand.shtml"); }, kLoadMs));
    // The address comes back before the page's text: the pane may still be
    // loading its page again after the refused link.
    EXPECT_TRUE(RunUntil([&] { return PageText().contains(QString::fromUtf8("新歌推荐")); }, kLoadMs));
}

TEST_F(LibraryPaneTest, PagesAreAskedForByTheirExactAddressAndOnlyOnce) {
    const std::string search = "/songhall/tonvik/search.php";
    dialog->ShowPage("search", Cp936("音 乐"));
    dialog->ShowPage("search", Cp936("音 乐"));
    ASSERT_TRUE(Shows(search + "?key=%D2%F4+%C0%D6"));
    dialog->ShowPage("search", Cp936("音 乐"));
    ASSERT_EQ(standIn.RequestsFor(search).size(), 1u);
    EXPECT_EQ(standIn.RequestsFor(search)[0].target, search + "?key=%D2%F4+%C0%D6");

    dialog->ShowPage("songinfo", "20005");
    ASSERT_TRUE(Shows("/songhall/tonvik/songinfo.php?song_id=20005"));
    EXPECT_TRUE(PageText().contains(QString::fromUtf8("旧城电车")));

    // The player's search shows the pane in front with the results.
    dialog->ShowWindow(false);
    dialog->Search("Copper");
    EXPECT_TRUE(dialog->IsShown());
    ASSERT_TRUE(Shows(search + "?key=Copper"));
}

TEST_F(LibraryPaneTest, OfflineTheLocalPageShowsAndRefreshAfterReconnectionShowsTheRecommendations) {
    connection = ConnectionState::None;
    dialog->ShowPage("search", "x");
    const std::string local = "file://" + program->Folder().Path().string() + "/html/noconnection.htm";
    ASSERT_TRUE(RunUntil([&] { return dialog->Browser().CurrentUrl() == local; }, kLoadMs));
    EXPECT_TRUE(dialog->Browser().IsLocalPage());
    EXPECT_TRUE(PageText().contains(QString::fromUtf8("无法连接到网络")));

    connection = ConnectionState::Connected;
    const size_t asked = standIn.RequestsFor("/songhall/tonvik/newrecommand.shtml").size();
    ClickButton(IDC_LIB_REFRESH);
    ASSERT_TRUE(RunUntil(
        [&] { return standIn.RequestsFor("/songhall/tonvik/newrecommand.shtml").size() > asked; }, kLoadMs));
    ASSERT_TRUE(Shows("/songhall/tonvik/newrecommand.shtml"));
    EXPECT_FALSE(dialog->Browser().IsLocalPage());
}

TEST_F(LibraryPaneTest, BackAndForwardFollowTheHistory) {
    EXPECT_FALSE(ButtonEnabled(IDC_LIB_BACK));
    EXPECT_FALSE(ButtonEnabled(IDC_LIB_FORWARD));
    dialog->ShowPage("songinfo", "20001");
    ASSERT_TRUE(Shows("/songhall/tonvik/songinfo.php?song_id=20001"));
    EXPECT_TRUE(RunUntil([&] { return ButtonEnabled(IDC_LIB_BACK); }, kLoadMs));
    EXPECT_FALSE(ButtonEnabled(IDC_LIB_FORWARD));

    ClickButton(IDC_LIB_BACK);
    ASSERT_TRUE(Shows("/songhall/tonvik/newrecommand.shtml"));
    EXPECT_TRUE(RunUntil([&] { return ButtonEnabled(IDC_LIB_FORWARD) && !ButtonEnabled(IDC_LIB_BACK); }, kLoadMs));

    ClickButton(IDC_LIB_FORWARD);
    ASSERT_TRUE(Shows("/songhall/tonvik/songinfo.php?song_id=20001"));
    EXPECT_TRUE(RunUntil([&] { return ButtonEnabled(IDC_LIB_BACK) && !ButtonEnabled(IDC_LIB_FORWARD); }, kLoadMs));
}

TEST_F(LibraryPaneTest, PagesThatFailOrNeverFinishLeaveThePaneUsable) {
    // The service's own answer to a missing page is shown, and traced.
    standIn.SetFault("/songhall/tonvik/hot.shtml", standin::MakeFault(standin::FaultKind::HtmlError404));
    dialog->ShowPage("hot", "");
    ASSERT_TRUE(RunUntil([&] { return traces.CountContaining("OnNavigateError") == 1; }, kLoadMs));
    EXPECT_EQ(traces.CountContaining("hot.shtml 404"), 1);
    ASSERT_TRUE(RunUntil([&] { return ButtonEnabled(IDC_LIB_BACK); }, kLoadMs));
    ClickButton(IDC_LIB_BACK);
    ASSERT_TRUE(RunUntil([&] { return Page()->url().toString().toStdString() == standIn.Url("/songhall/tonvik/newrecommand.shtml"); }, kLoadMs));

    // A page that never comes: the pane goes on to the next one asked for.
    standIn.SetFault("/songhall/tonvik/songinfo.php", standin::MakeFault(standin::FaultKind::Hang));
    dialog->ShowPage("songinfo", "20001");
    ASSERT_TRUE(RunUntil([&] { return standIn.HungCount() == 1; }, kLoadMs));
    dialog->ShowPage("search", "Rain");
    ASSERT_TRUE(Shows("/songhall/tonvik/search.php?key=Rain"));
    standIn.ReleaseHung();

    // The service gone: the pane keeps its page, and its buttons still work.
    standIn.Stop();
    dialog->ShowPage("search", "Neon");
    ASSERT_TRUE(RunUntil([&] { return traces.CountContaining("search.php?key=Neon -") == 1; }, kLoadMs));
    EXPECT_EQ(Page()->url().toString().toStdString(), standIn.Url("/songhall/tonvik/search.php?key=Rain"));
    EXPECT_TRUE(PageText().contains(QStringLiteral("Rain")));
    ClickButton(IDC_LIB_BACK);
    EXPECT_TRUE(RunUntil([&] { return Page()->url().toString().toStdString() == standIn.Url("/songhall/tonvik/newrecommand.shtml"); }, kLoadMs));
}
