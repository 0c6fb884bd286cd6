// The player as a real process: single instance, the setup marker, locks
// left by a killed instance, the installer hand-over, and both ways out.

#include "app/TonvikMusicApp.h"
#include "common/MessageIds.h"
#include "common/WindowChannel.h"
#include "platform/NamedLock.h"
#include "platform/PrivateFile.h"
#include "tests/app/startup/StartupTestSupport.h"
#include "tools/standin/StandIn.h"

#include <QFile>

#include <gtest/gtest.h>

using tonvik::platform::NamedLock;
using tonvik::platform::NamedLockPath;

namespace {

const std::string kCreated = "OnCreate MainFrame... --->Leave";
const std::string kCreating = "OnCreate MainFrame... --->Enter";

class StartupProcessTest : public ::testing::Test {
protected:
    // Starts the player and waits until its frame can be found.
    std::unique_ptr<QProcess> StartRunningPlayer() {
        auto player = m_folder.StartPlayer();
        if (!player) return nullptr;
        const bool up = WaitUntil([&] {
            return player->state() == QProcess::NotRunning ||
                   (m_folder.TraceCount(kCreated) > 0 && FindWindowByTitle(kMainFrameTitle, 200ms));
        }, 30s);
        if (!up || player->state() == QProcess::NotRunning) {
            ADD_FAILURE() << "the player did not come up; traces:\n" << m_folder.Trace();
            WaitForExit(*player, 5s);
            return nullptr;
        }
        return player;
    }

    bool NoLockFilesLeft() const {
        return !std::filesystem::exists(NamedLockPath(kInstanceMutexName)) &&
               !std::filesystem::exists(NamedLockPath(kSetupEventName)) &&
               !std::filesystem::exists(WindowChannelPath(kMainFrameTitle).toStdString());
    }

    IsolatedRuntime m_runtime;
    PlayerFolder m_folder{m_runtime};
};

}  // namespace

TEST_F(StartupProcessTest, ThePlayerStaysUpHiddenUntilTheCloseToolEndsItWithExitCodeZero) {
    auto player = StartRunningPlayer();
    ASSERT_TRUE(player);
    EXPECT_NE(m_folder.Trace().find("InitInstance===App date path : " +
                                    (m_runtime.DataHome() / "Velora" / "TonvikMusic").string()),
              std::string::npos);
    EXPECT_NE(m_folder.Trace().find("===========Call SetupNewVersionDll===="), std::string::npos);
    EXPECT_TRUE(NamedLock::IsHeldByAnyone(kInstanceMutexName));
    EXPECT_TRUE(NamedLock::IsHeldByAnyone(kSetupEventName));
    EXPECT_EQ(player->state(), QProcess::Running);

    EXPECT_EQ(m_folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*player), 0);
    EXPECT_EQ(m_folder.TraceCount("====OnCloseWnd==="), 1);
    EXPECT_TRUE(NoLockFilesLeft());

    // Nothing left to close.
    EXPECT_EQ(m_folder.RunCloseTool(), 1);
}

TEST_F(StartupProcessTest, ASecondStartActivatesTheFirstAndEndsWithoutAWindow) {
    auto first = StartRunningPlayer();
    ASSERT_TRUE(first);

    auto second = m_folder.StartPlayer();
    ASSERT_TRUE(second);
    EXPECT_EQ(WaitForExit(*second), 0);
    EXPECT_TRUE(WaitUntil([&] { return m_folder.TraceCount("OnActivatePlayer===Show the player.") == 1; }));
    EXPECT_EQ(m_folder.TraceCount(kCreating), 1) << "the second start created a frame";
    EXPECT_EQ(m_folder.TraceCount("Already Exist One Instance!"), 0);
    EXPECT_EQ(first->state(), QProcess::Running);

    EXPECT_EQ(m_folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*first), 0);
    EXPECT_TRUE(NoLockFilesLeft());
}

// As a launcher starts it from the menu: the launch's token reaches the
// running player, which raises itself with it.
TEST_F(StartupProcessTest, ASecondLaunchFromTheMenuHandsItsTokenToTheFirst) {
    auto first = StartRunningPlayer();
    ASSERT_TRUE(first);
    m_folder.SetEnvironment("XDG_ACTIVATION_TOKEN", "menu-token-9");
    m_folder.SetEnvironment("DESKTOP_STARTUP_ID", "launcher-3_TIME777");
    auto second = m_folder.StartPlayer();
    ASSERT_TRUE(second);
    EXPECT_EQ(WaitForExit(*second), 0);
    EXPECT_TRUE(WaitUntil(
        [&] { return m_folder.TraceCount("OnActivatePlayer===Launch token: menu-token-9 launcher-3_TIME777") == 1; }))
        << m_folder.Trace();
    EXPECT_EQ(m_folder.TraceCount(kCreating), 1);
    EXPECT_EQ(m_folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*first), 0);
}

// The desktop entry's actions and the installed command's requests: each a
// second start that hands its request to the running player and ends.
TEST_F(StartupProcessTest, TheCommandsRequestsReachTheRunningPlayer) {
    const auto run = [this](const QString& argument, std::string* output = nullptr) {
        QProcess process;
        process.setProcessEnvironment(m_folder.Environment());
        process.start(QString::fromStdString(m_folder.Program().string()), {argument});
        if (!process.waitForStarted(10000)) return -1;
        const int code = WaitForExit(process);
        if (output) *output = process.readAllStandardOutput().toStdString();
        return code;
    };
    std::string version;
    EXPECT_EQ(run("--version", &version), 0);
    EXPECT_EQ(version, std::string("TonvikMusic ") + TONVIK_PROJECT_VERSION + "\n");
    QFile metainfo(TONVIK_METAINFO_FILE);
    ASSERT_TRUE(metainfo.open(QIODevice::ReadOnly));
    EXPECT_TRUE(metainfo.readAll().contains(QByteArray("<release version=\"") + TONVIK_PROJECT_VERSION + "\""))
        << "the desktop metadata names this version";
    EXPECT_EQ(m_folder.TraceCount(kCreating), 0) << "--version starts no player";

    auto first = StartRunningPlayer();
    ASSERT_TRUE(first);
    EXPECT_EQ(run("--play-pause"), 0);
    EXPECT_TRUE(WaitUntil([&] { return m_folder.TraceCount("OnDesktopAction===Play/Pause") == 1; }));
    EXPECT_EQ(run("--next"), 0);
    EXPECT_TRUE(WaitUntil([&] { return m_folder.TraceCount("OnDesktopAction===Next") == 1; }));
    EXPECT_EQ(m_folder.TraceCount(kCreating), 1) << "no second player";
    EXPECT_EQ(m_folder.TraceCount("OnActivatePlayer===Show the player."), 0) << "an action does not raise it";
    EXPECT_EQ(run("--close"), 0);
    EXPECT_EQ(WaitForExit(*first), 0);
    EXPECT_EQ(run("--close"), 1) << "nothing left to close";
}

TEST_F(StartupProcessTest, AStartWhileTheFirstHoldsTheLockButHasNoFrameEndsWithoutHanging) {
    NamedLock starting(kInstanceMutexName);
    ASSERT_EQ(starting.Acquire(), NamedLock::Result::Acquired);

    auto player = m_folder.StartPlayer();
    ASSERT_TRUE(player);
    EXPECT_EQ(WaitForExit(*player), 0);
    EXPECT_EQ(m_folder.TraceCount("Already Exist One Instance!"), 1);
    EXPECT_EQ(m_folder.TraceCount("===========Call SetupNewVersionDll===="), 0);
    EXPECT_EQ(m_folder.TraceCount(kCreating), 0);
    EXPECT_TRUE(starting.IsHeld());
    EXPECT_FALSE(std::filesystem::exists(NamedLockPath(kSetupEventName)));
}

TEST_F(StartupProcessTest, AHeldSetupMarkerStopsTheStart) {
    NamedLock setup(kSetupEventName);
    ASSERT_EQ(setup.Acquire(), NamedLock::Result::Acquired);

    auto player = m_folder.StartPlayer();
    ASSERT_TRUE(player);
    EXPECT_EQ(WaitForExit(*player), 0);
    EXPECT_EQ(m_folder.TraceCount("Setup is running!"), 1);
    EXPECT_EQ(m_folder.TraceCount(kCreating), 0);
    EXPECT_EQ(m_folder.TraceCount("~ExitInstance..."), 2);
    // The refused start gave its instance lock back.
    EXPECT_FALSE(std::filesystem::exists(NamedLockPath(kInstanceMutexName)));
    EXPECT_TRUE(setup.IsHeld());
}

TEST_F(StartupProcessTest, LocksLeftByAKilledInstanceDoNotCount) {
    auto killed = StartRunningPlayer();
    ASSERT_TRUE(killed);
    killed->kill();  // SIGKILL: nothing is cleaned up
    ASSERT_TRUE(killed->waitForFinished(10000));
    ASSERT_TRUE(std::filesystem::exists(NamedLockPath(kInstanceMutexName)));
    ASSERT_TRUE(std::filesystem::exists(NamedLockPath(kSetupEventName)));
    ASSERT_TRUE(std::filesystem::exists(WindowChannelPath(kMainFrameTitle).toStdString()));

    auto next = StartRunningPlayer();
    ASSERT_TRUE(next);
    EXPECT_EQ(m_folder.TraceCount(kCreated), 2);
    EXPECT_EQ(m_folder.TraceCount("Already Exist One Instance!"), 0);
    EXPECT_EQ(m_folder.TraceCount("Setup is running!"), 0);

    EXPECT_EQ(m_folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*next), 0);
    EXPECT_TRUE(NoLockFilesLeft());
}

TEST_F(StartupProcessTest, AFrameThatCannotBeFoundEndsTheStart) {
    const std::filesystem::path place = WindowChannelPath(kMainFrameTitle).toStdString();
    std::filesystem::create_directories(place / "inside");

    auto player = m_folder.StartPlayer();
    ASSERT_TRUE(player);
    EXPECT_EQ(WaitForExit(*player), 0);
    EXPECT_EQ(m_folder.TraceCount("InitInstance===Failed to create the main frame."), 1) << m_folder.Trace();
    EXPECT_FALSE(std::filesystem::exists(NamedLockPath(kInstanceMutexName)));
    EXPECT_FALSE(std::filesystem::exists(NamedLockPath(kSetupEventName)));
}

TEST_F(StartupProcessTest, ANewVersionStartsTheInstallerWithInstall5AndEndsWithoutAWindow) {
    m_folder.AddLibrary(TONVIK_STANDIN_LIBRARY);
    m_folder.AddInstaller();
    m_folder.SetEnvironment("PATCHWELL_STANDIN_ANSWER", "1");

    auto player = m_folder.StartPlayer();
    ASSERT_TRUE(player);
    EXPECT_EQ(WaitForExit(*player), 0);
    ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(m_folder.InstallerRecord()); }));
    EXPECT_EQ(TempDir::Read(m_folder.InstallerRecord()), "install 5\n");
    EXPECT_EQ(TempDir::Read(m_folder.LibraryLog()), "SetPrjCode 5\nSetupNewVersion\n");
    EXPECT_EQ(m_folder.TraceCount("SetupNewVersionDll===Return : 1"), 1);
    EXPECT_EQ(m_folder.TraceCount(kCreating), 0);
    EXPECT_TRUE(NoLockFilesLeft());
}

TEST_F(StartupProcessTest, ALibraryWithoutExportsDoesNotStopTheStart) {
    m_folder.AddLibrary(TONVIK_STANDIN_EMPTY_LIBRARY);
    m_folder.AddInstaller();
    auto player = StartRunningPlayer();
    ASSERT_TRUE(player);
    EXPECT_FALSE(std::filesystem::exists(m_folder.InstallerRecord()));
    EXPECT_EQ(m_folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*player), 0);
}

TEST_F(StartupProcessTest, NoNewVersionStartsNormallyWithTheLibraryBound) {
    m_folder.AddLibrary(TONVIK_STANDIN_LIBRARY);
    m_folder.AddInstaller();
    auto player = StartRunningPlayer();
    ASSERT_TRUE(player);
    EXPECT_EQ(TempDir::Read(m_folder.LibraryLog()), "SetPrjCode 5\nSetupNewVersion\n");
    EXPECT_FALSE(std::filesystem::exists(m_folder.InstallerRecord()));
    EXPECT_EQ(m_folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*player), 0);
}

TEST_F(StartupProcessTest, ATerminationSignalEndsItAsTheSystemMenuCloseDoes) {
    auto player = StartRunningPlayer();
    ASSERT_TRUE(player);
    player->terminate();  // SIGTERM
    EXPECT_EQ(WaitForExit(*player), 255);
    EXPECT_EQ(m_folder.TraceCount("OnSysCommand==Terminate my life."), 1);
    EXPECT_TRUE(NoLockFilesLeft());
}

TEST_F(StartupProcessTest, ArgumentsAreIgnored) {
    auto player = std::make_unique<QProcess>();
    player->setProcessEnvironment(m_folder.Environment());
    player->setProcessChannelMode(QProcess::ForwardedChannels);
    player->start(QString::fromStdString(m_folder.Program().string()), {"-platform", "nonexistent", "song.mp3"});
    ASSERT_TRUE(player->waitForStarted(10000));
    ASSERT_TRUE(WaitUntil([&] { return m_folder.TraceCount(kCreated) == 1; }, 30s)) << m_folder.Trace();
    EXPECT_EQ(m_folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*player), 0);
}

// The page strip of the panel keeps a cookie of the service's; the orderly
// close writes it out before the process ends (the engine would otherwise
// write it some time later), and the stores stay the user's alone.
TEST_F(StartupProcessTest, TheOrderlyCloseWritesOutThePagesCookiesAndTheirFolderIsPrivate) {
    TempDir state;
    standin::CStandIn standIn(standin::OptionsWithState(state.Path()));
    ASSERT_TRUE(standIn.Start()) << standIn.Error();
    const std::string host = standIn.Host();
    m_folder.SetOptions("[Hosts]\r\nService=" + host + "\r\nLogin=" + host + "\r\nComment=" + host +
                        "\r\nLyricSearch=" + host + "\r\n");
    // The advertisement the strip shows sets a cookie, then asks for a
    // picture, which carries the cookie once the store has it.
    standIn.SetDocument("/iframe/songhall/tonvik/ad.html",
                        "<html><body><script>document.cookie = 'tonvikkept=1; max-age=86400; path=/';"
                        "new Image().src = '/testpages/kept.png';</script></body></html>",
                        "text/html");
    auto player = StartRunningPlayer();
    ASSERT_TRUE(player);
    const auto carriesCookie = [&] {
        for (const auto& request : standIn.RequestsFor("/testpages/kept.png")) {
            for (const auto& [name, value] : request.headers)
                if (name == "Cookie" && value.find("tonvikkept=1") != std::string::npos) return true;
        }
        return false;
    };
    ASSERT_TRUE(WaitUntil(carriesCookie, 60s)) << m_folder.Trace();

    EXPECT_EQ(m_folder.RunCloseTool(), 0);
    EXPECT_EQ(WaitForExit(*player), 0);
    const std::filesystem::path profile = m_runtime.DataHome() / "Velora" / "TonvikMusic" / "WebEngine";
    EXPECT_NE(TempDir::Read(profile / "Cookies").find("tonvikkept"), std::string::npos);
    EXPECT_EQ(tonvik::platform::PermissionBits(profile), 0700);
    EXPECT_EQ(tonvik::platform::PermissionBits(m_folder.Path() / "trace.log"), 0600);
    standIn.Stop();
}
