// The library pane with the web engine, against the service stand-in's
// pages: song links, page addresses, the offline page, history, failures.

#include "common/Text.h"
#include "platform/Shell.h"
#include "tests/support/EngineView.h"
#include "tests/support/TraceCapture.h"
#include "tests/web/WebTestSupport.h"
#include "tools/standin/StandIn.h"
#include "web/MiniWebBrowserDlg.h"
#include "web/WebIds.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <iostream>
#include <optional>
#include <set>

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
        tonvik::platform::SetShellRecorder({});
        dialog.reset();
        standIn.Stop();
    }

    QWebEngineView* View() const { return EngineViewOf(dialog->PageView()); }
    QWebEnginePage* Page() const { return View() ? View()->page() : nullptr; }

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
        MouseClickAt(QPoint(20, 20));
    }

    // A click of the user's: real mouse events into the page view.
    void MouseClickAt(QPoint point) { QTest::mouseClick(View()->focusProxy(), Qt::LeftButton, {}, point); }

    // Clicks at `point` with the mouse until `seen` says the page had the
    // press: a page that has just loaded takes no input until it has drawn.
    bool MouseClickUntil(QPoint point, const std::function<bool()>& seen, int attempts = 10) {
        for (int attempt = 0; attempt < attempts; ++attempt) {
            MouseClickAt(point);
            if (RunUntil(seen, 3000)) return true;
        }
        return false;
    }

    // Clicks the middle of the first element of the page that `selector`
    // finds, with the mouse.
    void MouseClick(const QString& selector) {
        const QVariantList middle =
            RunScript(QStringLiteral("(() => { const e = document.querySelector('%1'); e.scrollIntoView({block: 'center'});"
                                     "sessionStorage.removeItem('pressed');"
                                     "addEventListener('mousedown', () => { sessionStorage.setItem('pressed', '1'); },"
                                     "{capture: true, once: true});"
                                     "const r = e.getBoundingClientRect(); return [r.left + r.width / 2, r.top + r.height / 2]; })()")
                          .arg(selector))
                .toList();
        ASSERT_EQ(middle.size(), 2) << selector.toStdString();
        const QPoint point(qRound(middle[0].toDouble()), qRound(middle[1].toDouble()));
        // (Kept in the tab's storage: a link the press follows takes the page away.)
        ASSERT_TRUE(MouseClickUntil(
            point, [&] { return RunScript(QStringLiteral("sessionStorage.getItem('pressed')")).toString() == QLatin1String("1"); }))
            << selector.toStdString();
    }

    // Shows one of the stand-in's test pages (served from the service host).
    bool ShowTestPage(const std::string& name) {
        dialog->ShowAddress(standIn.Url("/testpages/" + name));
        return Shows("/testpages/" + name);
    }

    // The page's own count of what its scripts tried, once it reached `count`.
    bool ScriptTried(const QString& variable, int count) {
        return RunUntil([&] { return RunScript(QStringLiteral("window.%1").arg(variable)).toInt() >= count; }, kLoadMs);
    }

    int Refusals() const { return traces.CountContaining("OnBeforeNavigate===Refused"); }
    std::string Dump() const {
        std::string all;
        for (const std::string& line : traces.Lines()) all += line + "\n";
        return all;
    }
    // Where the pane is, what it traced and what the stand-in was asked.
    std::string Diagnosis() const {
        std::string all = "pane: " + dialog->Browser().CurrentUrl() + ", page: " + Page()->url().toString().toStdString() +
                          "\n" + Dump();
        for (const auto& request : standIn.Requests()) all += "asked: " + request.target + "\n";
        return all;
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

TEST_F(LibraryPaneTest, SongLinksTheUserClicksGoToTheFrameAndThePageStays) {
    // "播放", "添加" ("#addlist"), "全部播放" and "全部添加", each clicked with the mouse.
    const std::u16string all = RunScript(QStringLiteral("document.querySelector('a.playall').href"))
                                   .toString()
                                   .section(QLatin1Char('/'), -1)
                                   .section(QLatin1Char('.'), 0, 0)
                                   .toStdU16String();
    ASSERT_GT(all.size(), 6u);
    int expected = 0;
    for (const char* selector : {"a.play", "a.add", "a.playall", "a.addall"}) {
        MouseClick(QString::fromLatin1(selector));
        ASSERT_TRUE(RunUntil([&] { return frame.received.size() > size_t(expected); }, kLoadMs)) << selector;
        ++expected;
    }
    // A song link that asks for a new window is handled in the pane too.
    MouseClickNewWindowLink(standIn.Url("/songhall/m/20002_20003.html"));
    ASSERT_TRUE(RunUntil([&] { return frame.received.size() >= 5; }, kLoadMs));

    ASSERT_EQ(frame.received.size(), 5u);
    EXPECT_EQ(frame.received[0].wParam, 1u);
    EXPECT_EQ(frame.received[0].ids, u"20001");
    EXPECT_EQ(frame.received[1].wParam, 0u);
    EXPECT_EQ(frame.received[1].ids, u"20001");
    EXPECT_EQ(frame.received[2].wParam, 1u);
    EXPECT_EQ(frame.received[2].ids, all);
    EXPECT_EQ(frame.received[3].wParam, 0u);
    EXPECT_EQ(frame.received[3].ids, all);
    EXPECT_EQ(frame.received[4].ids, u"20002_20003");
    EXPECT_EQ(Refusals(), 0);

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

    EXPECT_EQ(frame.received.size(), 5u);
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

// F5 shows the page afresh as the refresh button does, whether the
// keyboard is in the page or on the window.
TEST_F(LibraryPaneTest, F5ShowsThePageAfresh) {
    const std::string page = "/songhall/tonvik/newrecommand.shtml";
    dialog->activateWindow();
    for (QWidget* target : {View()->focusProxy(), static_cast<QWidget*>(dialog.get())}) {
        const size_t asked = standIn.RequestsFor(page).size();
        target->setFocus();
        QTest::keyClick(target, Qt::Key_F5);
        EXPECT_TRUE(RunUntil([&] { return standIn.RequestsFor(page).size() > asked; }, kLoadMs)) << Diagnosis();
        ASSERT_TRUE(Shows(page));
    }
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
    ASSERT_TRUE(Shows("/songhall/tonvik/search.php?key=Rain")) << Diagnosis();
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

// Pages that try to choose songs themselves (the service's pages come over
// plain HTTP: anyone on the way can send these). None of them hands a song
// to the frame, opens anything outside or stops the pane; each try that
// reaches the pane is traced once.
TEST_F(LibraryPaneTest, ScriptsFramesRedirectsAndFloodsChooseNoSong) {
    std::vector<std::string> opened;
    tonvik::platform::SetShellRecorder([&](const tonvik::platform::ShellRequest& request) {
        opened.push_back(request.target);
        return true;
    });

    // A script on a timer goes to song links and "clicks" them.
    ASSERT_TRUE(ShowTestPage("timer.html"));
    ASSERT_TRUE(ScriptTried("attempts", 4));
    EXPECT_TRUE(RunUntil([&] { return Refusals() >= 4; }, kLoadMs)) << Dump();
    EXPECT_EQ(traces.CountContaining("Refused song link (not the user's)"), 4) << Dump();

    // A frame of another site "clicks" the song links in it, for itself and
    // for the page; a click of the user's inside it counts no more.
    traces.Clear();
    ASSERT_TRUE(ShowTestPage("frames.html"));
    ASSERT_TRUE(ScriptTried("done", 1));
    EXPECT_TRUE(MouseClickUntil(QPoint(20, 10), [&] { return traces.CountContaining("Refused song link (in a frame)") == 2; }))
        << Dump();

    // The user follows a link that the service sends on to a song link.
    traces.Clear();
    ASSERT_TRUE(ShowTestPage("redirect.html"));
    MouseClick(QStringLiteral("#hop"));
    ASSERT_TRUE(RunUntil([&] { return standIn.RequestsFor("/testpages/hop").size() == 3; }, kLoadMs));
    EXPECT_TRUE(RunUntil([&] { return traces.CountContaining("Refused song link (no click)") == 1; }, kLoadMs)) << Dump();

    // 200 song links in a second.
    traces.Clear();
    ASSERT_TRUE(ShowTestPage("flood.html"));
    ASSERT_TRUE(ScriptTried("attempts", 200));
    RunUntil([&] { return false; }, 500);
    std::set<std::string> refused;
    for (const std::string& line : traces.Lines())
        if (line.find("OnBeforeNavigate===Refused") != std::string::npos) refused.insert(line);
    EXPECT_GE(refused.size(), 1u);
    EXPECT_EQ(static_cast<int>(refused.size()), Refusals()) << "each link traced once";

    EXPECT_TRUE(frame.received.empty());
    EXPECT_TRUE(opened.empty());
    // The pane is still the user's: a click of the user's still counts.
    EXPECT_EQ(dialog->Browser().CurrentUrl(), standIn.Url("/testpages/flood.html"));
    dialog->ShowPage("", "");
    ASSERT_TRUE(Shows("/songhall/tonvik/newrecommand.shtml"));
    // (The engine itself holds back the links of a page that went to 200
    // addresses for a few seconds.)
    const QVariantList middle = RunScript(QStringLiteral("(() => { const r = document.querySelector('a.play').getBoundingClientRect();"
                                                         "return [r.left + r.width / 2, r.top + r.height / 2]; })()"))
                                    .toList();
    ASSERT_EQ(middle.size(), 2);
    ASSERT_TRUE(MouseClickUntil(QPoint(qRound(middle[0].toDouble()), qRound(middle[1].toDouble())),
                                [&] { return !frame.received.empty(); }, 15));
    for (const St_HandedSongs& songs : frame.received) EXPECT_EQ(songs.ids, u"20001");
    EXPECT_TRUE(standIn.RequestsFor("/songhall/m/20001.html").empty());
}

TEST_F(LibraryPaneTest, NewWindowsAndLinksOutsideTheServiceOpenNothing) {
    std::vector<std::string> opened;
    tonvik::platform::SetShellRecorder([&](const tonvik::platform::ShellRequest& request) {
        opened.push_back(request.target);
        return true;
    });
    ASSERT_TRUE(ShowTestPage("windows.html"));
    const std::string page = standIn.Url("/testpages/windows.html");
    // Clicked by the user: a data: and a view-source: window, a file (here
    // and in a window of its own).
    const std::pair<const char*, const char*> links[] = {
        {"#data", "OnBeforeNavigate===Refused new window : data:text/html,"},
        {"#source", "OnBeforeNavigate===Refused address (by the engine) : view-source:http://"},
        {"#file", "OnBeforeNavigate===Refused address (by the engine) : file:///etc/passwd"},
        {"#fileblank", "OnBeforeNavigate===Refused address (by the engine) : file:///etc/passwd"},
    };
    for (const auto& [link, trace] : links) {
        traces.Clear();
        MouseClick(QString::fromLatin1(link));
        EXPECT_TRUE(RunUntil([&] { return traces.CountContaining(trace) == 1; }, kLoadMs)) << link << "\n" << Dump();
        EXPECT_EQ(Page()->url().toString().toStdString(), page) << link;
    }
    // A few more turns: nothing more comes of any of them.
    RunScript(QStringLiteral("1"));
    EXPECT_EQ(Refusals(), 1) << Dump();

    // A link with a password in its query: the trace of its failure keeps no password.
    MouseClick(QStringLiteral("#password"));
    ASSERT_TRUE(RunUntil([&] { return traces.CountContaining("OnNavigateError") == 1; }, kLoadMs));
    EXPECT_TRUE(traces.Has("CMiniWebBrowserDlg::OnNavigateError : " + standIn.Url("/testpages/missing.html") +
                           "?password=***&pwd=*** 404"))
        << Dump();
    EXPECT_EQ(traces.CountContaining("hunter22"), 0);

    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(frame.received.empty());
}

// A page of another site, with the service's song links in it: the user's
// click on one counts no more than a script's.
TEST_F(LibraryPaneTest, SongLinksOnAPageElsewhereChooseNothing) {
    const std::string elsewhere = "http://localhost:" + std::to_string(standIn.Port()) + "/testpages/clicker.html";
    dialog->ShowAddress(elsewhere);
    ASSERT_TRUE(RunUntil([&] { return dialog->Browser().CurrentUrl() == elsewhere; }, kLoadMs));
    ASSERT_TRUE(RunUntil([&] { return traces.CountContaining("Refused song link") >= 2; }, kLoadMs)) << Dump();
    traces.Clear();
    MouseClick(QStringLiteral("#self"));
    EXPECT_TRUE(RunUntil([&] { return traces.CountContaining("Refused song link (page not of the service)") == 1; }, kLoadMs))
        << Dump();
    EXPECT_TRUE(frame.received.empty());
}

TEST_F(LibraryPaneTest, ARendererKilledIsReplacedOnceThenTheOfflinePageShows) {
    const std::string start = "/songhall/tonvik/newrecommand.shtml";
    // Ends the process that draws the page as the system would: at once.
    auto killRenderer = [&] {
        const qint64 pid = Page()->renderProcessPid();
        ASSERT_GT(pid, 0);
        ASSERT_EQ(QProcess::execute(QStringLiteral("kill"), {QStringLiteral("-KILL"), QString::number(pid)}), 0);
    };
    const size_t asked = standIn.RequestsFor(start).size();
    killRenderer();
    ASSERT_TRUE(RunUntil([&] { return standIn.RequestsFor(start).size() > asked; }, kLoadMs)) << Dump();
    ASSERT_TRUE(RunUntil([&] { return PageText().contains(QString::fromUtf8("新歌推荐")); }, kLoadMs));
    EXPECT_EQ(traces.CountContaining("OnRendererGone===The page's process ended, loading the page again."), 1);

    killRenderer();
    const std::string offline = "file://" + program->Folder().Path().string() + "/html/disconnected.htm";
    ASSERT_TRUE(RunUntil([&] { return dialog->Browser().CurrentUrl() == offline; }, kLoadMs)) << Dump();
    EXPECT_TRUE(dialog->Browser().IsLocalPage());
    EXPECT_EQ(traces.CountContaining("OnRendererGone===The page's process ended again, the offline page shows."), 1);

    // Refresh brings the service's page back.
    ClickButton(IDC_LIB_REFRESH);
    ASSERT_TRUE(Shows(start));
}
