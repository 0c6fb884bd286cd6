// The update session against the stand-in's update host: the manifest, the
// single-file and the multi-part package, verification, the prompt, the
// installer, and the next start.

#include "tests/updater/SessionFixture.h"
#include "updater/Gbk.h"
#include "updater/Digest.h"
#include "updater/ProjectTable.h"

#include <QThread>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <ostream>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace patchwell::testing {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

// Host versions against the stand-in's main version 1.01.0120.
constexpr const char* kOlderMain = "1.00.0100";
constexpr const char* kSameMain = "1.01.0100";

class UpdateSessionFlowTest : public SessionFixture {};

TEST_F(UpdateSessionFlowTest, FullPackageIsFetchedVerifiedAndHandedToTheInstaller) {
    UpdateSession& session = NewSession();
    ASSERT_EQ(session.SetPrjCode(5), 47);
    EXPECT_EQ(Check(5, kOlderMain), 1);
    EXPECT_EQ(session.ManifestLocation(), "http://" + standIn.Host() + "/download/music/Update.xml");
    ASSERT_TRUE(WaitUntilQuiet());

    const auto& product = Product(5);
    EXPECT_EQ(Md5FileHex(WorkPath(product.mainFile)), product.mainMd5);
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_EQ(Prompts()[0].text, Gbk("主版本升级"));
    EXPECT_EQ(Prompts()[0].caption, Gbk("Tonvik Player"));
    EXPECT_EQ(Prompts()[0].header, Gbk("Tonvik Player有最新升级"));
    EXPECT_EQ(Prompts()[0].installType, 2);
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].target, InstallerPath().string());
    EXPECT_EQ(Started()[0].arguments, (Arguments{"install", "5"}));
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(session.CheckNewSetup(), 1);
    EXPECT_EQ(session.LocalRecord().mstrType, "10");
    EXPECT_EQ(standIn.RequestsFor(product.folder + product.mainFile).size(), 1u);
    // The manifest came with its signature, by the current key.
    EXPECT_EQ(standIn.RequestsFor(product.manifestPath + ".sig").size(), 1u);
    EXPECT_TRUE(HasTrace("ManifestPoll : the manifest is signed by update key 1"));

    // The next start: a verified package waits.
    UpdateSession& next = NewSession();
    next.SetPrjCode(5);
    EXPECT_EQ(next.CheckNewSetup(), 1);
    EXPECT_EQ(next.SetupNewVersion(), 1);
    // The installer records the new release as installed.
    EXPECT_EQ(next.CompleteSetup(0), 1);
    EXPECT_EQ(next.CheckNewSetup(), 0);

    UpdateSession& after = NewSession();
    after.SetPrjCode(5);
    EXPECT_EQ(after.CheckNewSetup(), 0);
    EXPECT_EQ(after.SetupNewVersion(), 0);
    EXPECT_FALSE(fs::exists(WorkPath(product.mainFile)));  // leftover installers are deleted
    // The same update code again: nothing is fetched.
    standIn.ClearLogs();
    EXPECT_EQ(Check(5, "1.01.0120"), 1);
    EXPECT_TRUE(WaitUntilQuiet());
    EXPECT_TRUE(standIn.RequestsFor(product.manifestPath).empty());
}

TEST_F(UpdateSessionFlowTest, MultiPartPatchIsFetchedPartByPartAndJoined) {
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    EXPECT_EQ(Check(5, kSameMain), 1);
    ASSERT_TRUE(WaitUntilQuiet());

    const auto& product = Product(5);
    std::vector<std::string> parts;
    for (const auto& request : standIn.Requests()) {
        if (request.path.rfind(product.folder + product.patchBase, 0) == 0) parts.push_back(request.path);
    }
    EXPECT_EQ(parts, (std::vector<std::string>{product.folder + product.patchBase + "01-03",
                                                product.folder + product.patchBase + "02-03",
                                                product.folder + product.patchBase + "03-03"}));
    EXPECT_EQ(session.UpdateKind(), kUpdatePatch);
    // The joined patch is stored under the manifest's local file name.
    EXPECT_EQ(Md5FileHex(WorkPath(product.mainFile)), product.patchMd5);
    for (int part = 1; part <= 3; ++part) {
        EXPECT_FALSE(fs::exists(WorkPath("Temp") / (product.patchBase + "0" + std::to_string(part) + "-03")));
    }
    // The installed patch level counts as 0; the stand-in's notes are for 1 and 2.
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_EQ(Prompts()[0].text, Gbk("未找到合适的升级补丁信息"));
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].arguments, (Arguments{"install", "5"}));
}

TEST_F(UpdateSessionFlowTest, TwoMatchingNotesShowTwoPromptsAndTheSecondDecides) {
    ManifestSpec spec = ManifestSpec::ForProduct(Product(5));
    spec.notes = {{"0", "第一条\\n说明"}, {"1", "不相干"}, {"0", "第二条"}};
    ServeManifest(5, spec);
    answers = {kPromptInstallNow, kPromptNextStart};
    NewSession().SetPrjCode(5);
    Check(5, kSameMain);
    ASSERT_TRUE(WaitUntilQuiet());

    ASSERT_EQ(Prompts().size(), 2u);
    EXPECT_EQ(Prompts()[0].text, Gbk("第一条\r\n说明"));
    EXPECT_EQ(Prompts()[1].text, Gbk("第二条"));
    EXPECT_EQ(Prompts()[1].previousResult, kPromptInstallNow);
    EXPECT_TRUE(Started().empty());
    EXPECT_EQ(Session().LocalRecord().mstrType, "10");
    EXPECT_EQ(Session().CheckNewSetup(), 1);
}

struct TypeCase {
    const char* type;
    int answer;
    int prompts;
    Arguments started;  // empty: nothing started
    const char* typeAfter;
};

// A readable, stable case name (the default prints the record's bytes,
// pointers included, so the name changed from run to run).
void PrintTo(const TypeCase& c, std::ostream* out) {
    *out << "type " << c.type << ", answer " << c.answer;
}

class InstallTypeTest : public SessionFixture, public ::testing::WithParamInterface<TypeCase> {};

TEST_P(InstallTypeTest, TypeDecidesPromptAndInstaller) {
    const TypeCase& c = GetParam();
    ManifestSpec spec = ManifestSpec::ForProduct(Product(5));
    spec.type = c.type;
    ServeManifest(5, spec);
    answers = {c.answer};
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());

    EXPECT_EQ(static_cast<int>(Prompts().size()), c.prompts);
    if (c.prompts > 0) {
        EXPECT_EQ(Prompts()[0].installType, std::atoi(c.type));
    }
    if (c.started.empty()) {
        EXPECT_TRUE(Started().empty());
    } else {
        ASSERT_EQ(Started().size(), 1u);
        EXPECT_EQ(Started()[0].arguments, c.started);
    }
    EXPECT_EQ(Session().LocalRecord().mstrType, c.typeAfter);
    EXPECT_EQ(Session().CheckNewSetup(), 1);

    // Whatever was decided, the next start finds the package waiting.
    UpdateSession& next = NewSession();
    next.SetPrjCode(5);
    EXPECT_EQ(next.SetupNewVersion(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Types, InstallTypeTest,
    ::testing::Values(
        // Forced: the prompt's result is 1 whatever the buttons say.
        TypeCase{"1", kPromptForced, 1, {"install", "5"}, "10"},
        TypeCase{"2", kPromptInstallNow, 1, {"install", "5"}, "10"},
        TypeCase{"2", kPromptNextStart, 1, {}, "10"},
        // Installs at once, keeping the host running, even after "at next start".
        TypeCase{"4", kPromptNextStart, 1, {"installnoexit", "5"}, "4"},
        TypeCase{"4", kPromptInstallNow, 1, {"installnoexit", "5"}, "4"},
        TypeCase{"10", kPromptInstallNow, 0, {}, "10"},
        TypeCase{"11", kPromptInstallNow, 0, {}, "11"}));

TEST_F(UpdateSessionFlowTest, AStaleInstallNowNeverStartsTheInstallerForTypeTen) {
    // A first package the user chose to install now...
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_EQ(Session().PromptResult(), kPromptInstallNow);
    ASSERT_EQ(Started().size(), 1u);

    // ...then, in the same process, a type 10 release.
    ManifestSpec spec = ManifestSpec::ForProduct(Product(5));
    spec.type = "10";
    spec.updateCode = "3";
    ServeManifest(5, spec);
    fs::remove(WorkPath("Update.xml"));
    fs::remove(WorkPath("Update.bk"));
    Session().SetPrjCode(5);
    Check(5, kOlderMain, 3);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(Started().size(), 1u);
    EXPECT_EQ(Session().LocalRecord().mstrType, "10");
}

TEST_F(UpdateSessionFlowTest, ANewerReleaseInTheSameProcessDownloadsItsOwnPackage) {
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_EQ(Started().size(), 1u);
    ASSERT_EQ(Session().CompleteSetup(0), 1);  // the installer's side

    // The next release, published under another name.
    const std::string body = "the next release";
    ManifestSpec spec = ManifestSpec::ForProduct(Product(5));
    spec.updateCode = "3";
    spec.mainFile = Product(5).folder + "TonvikMusicNext.exe";
    spec.mainMd5 = Md5Hex(body);
    spec.mainSha256 = Sha256Hex(body);
    standIn.SetDocument(spec.mainFile, body, "application/octet-stream");
    ServeManifest(5, spec);
    Check(5, kOlderMain, 3);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(standIn.RequestsFor(spec.mainFile).size(), 1u);
    EXPECT_EQ(Md5FileHex(WorkPath(Product(5).mainFile)), spec.mainMd5);
    EXPECT_EQ(Started().size(), 2u);
}

TEST_F(UpdateSessionFlowTest, InstallerThatCannotStartIsReportedAndTheLocalManifestDeleted) {
    startSucceeds = false;
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, Gbk("升级失败，升级文件损毁，请重新安装TonvikMusic安装包！"));
    EXPECT_EQ(Messages()[0].caption, Gbk("Tonvik Player"));
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
}

TEST_F(UpdateSessionFlowTest, InstallNoExitThatCannotStartIsReported) {
    startSucceeds = false;
    ManifestSpec spec = ManifestSpec::ForProduct(Product(5));
    spec.type = "4";
    ServeManifest(5, spec);
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, Gbk("不退出安装，运行Up_date.exe失败！"));
    EXPECT_FALSE(Messages()[0].errorIcon);
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
}

TEST_F(UpdateSessionFlowTest, PackageGoneBeforeInstallingNowIsReported) {
    onPrompt = [this](const PromptRequest&) { fs::remove(WorkPath(Product(5).mainFile)); };
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, Gbk("升级失败，请重启TonvikMusic进行升级！"));
    EXPECT_TRUE(Messages()[0].errorIcon);
    EXPECT_TRUE(Started().empty());
    EXPECT_TRUE(fs::exists(WorkPath("Update.xml")));  // unchanged
}

TEST_F(UpdateSessionFlowTest, AProgramFolderTooLongForThePackageArgumentsIsReported) {
    programFolder = root / std::string(150, 'p') / std::string(120, 'q');
    fs::create_directories(programFolder);
    WriteHosts(standIn.Host(), standIn.Host());
    answers = {kPromptNextStart};
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());

    EXPECT_EQ(Session().InstallFile(1), 1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, Gbk("路径过长！"));
    EXPECT_EQ(Messages()[0].caption, Gbk("Tonvik Player"));
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].arguments, (Arguments{"fullpath="}));
}

TEST_F(UpdateSessionFlowTest, ThePollsRunOnTheThreadThatAskedForTheCheck) {
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    std::atomic<QThread*> promptThread{nullptr};
    onPrompt = [&promptThread](const PromptRequest&) { promptThread = QThread::currentThread(); };

    QThread worker;
    QObject context;
    context.moveToThread(&worker);
    worker.start();
    std::atomic<int> result{-1};
    QMetaObject::invokeMethod(&context, [this, &result] { result = Check(5, kOlderMain); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return promptThread.load() != nullptr; }, 30000));
    EXPECT_EQ(result.load(), 1);
    EXPECT_EQ(promptThread.load(), &worker);
    ASSERT_TRUE(QTest::qWaitFor([this] { return Started().size() == 1; }, 30000));
    QMetaObject::invokeMethod(&context, [&context] { context.moveToThread(QCoreApplication::instance()->thread()); },
                              Qt::BlockingQueuedConnection);
    worker.quit();
    ASSERT_TRUE(worker.wait(10000));
}

TEST_F(UpdateSessionFlowTest, InterruptedDownloadResumesWithoutFetchingTheManifest) {
    const auto& product = Product(5);
    // A download left half done by an earlier process.
    ManifestSpec pending = ManifestSpec::ForProduct(product);
    WriteWorkManifest(5, "Update.bk", pending);
    ManifestSpec local = pending;
    local.status = "2";
    local.patchVer = "0";
    local.targetFile = product.folder + product.mainFile;
    WriteWorkManifest(5, "Update.xml", local);

    NewSession().SetPrjCode(5);
    EXPECT_EQ(Check(5, kOlderMain), 1);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_TRUE(standIn.RequestsFor(product.manifestPath).empty());
    EXPECT_EQ(standIn.RequestsFor(product.folder + product.mainFile).size(), 1u);
    EXPECT_EQ(Md5FileHex(WorkPath(product.mainFile)), product.mainMd5);
    EXPECT_EQ(Session().RestartCount(), 0);
    EXPECT_EQ(Started().size(), 1u);
}

TEST_F(UpdateSessionFlowTest, InterruptedMultiPartDownloadResumesAtItsPartInTheNextProcess) {
    const auto& product = Product(5);
    const std::string second = product.folder + product.patchBase + "02-03";
    standIn.SetFault(second, standin::MakeFault(standin::FaultKind::Hang));
    NewSession().SetPrjCode(5);
    Check(5, kSameMain);
    ASSERT_TRUE(QTest::qWaitFor([&] { return standIn.HungCount(second) >= 1; }, 30000));

    // The process ends while the second part is under way.
    NewSession();
    standIn.ClearFault(second);
    standIn.ReleaseHung(second);
    standIn.ClearLogs();
    Session().SetPrjCode(5);
    ASSERT_EQ(Session().CheckNewSetup(), 2);
    EXPECT_EQ(Check(5, kSameMain), 1);
    ASSERT_TRUE(WaitUntilQuiet());

    EXPECT_TRUE(standIn.RequestsFor(product.manifestPath).empty());
    EXPECT_TRUE(standIn.RequestsFor(product.folder + product.patchBase + "01-03").empty());
    EXPECT_EQ(standIn.RequestsFor(second).size(), 1u);
    EXPECT_EQ(Md5FileHex(WorkPath(product.mainFile)), product.patchMd5);
    EXPECT_EQ(Started().size(), 1u);
}

TEST_F(UpdateSessionFlowTest, InterruptedDownloadOfAnOlderReleaseChecksAgain) {
    const auto& product = Product(5);
    ManifestSpec pending = ManifestSpec::ForProduct(product);
    pending.updateCode = "1";
    WriteWorkManifest(5, "Update.bk", pending);
    ManifestSpec local = pending;
    local.status = "2";
    WriteWorkManifest(5, "Update.xml", local);

    NewSession().SetPrjCode(5);
    EXPECT_EQ(Check(5, kOlderMain), 1);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(standIn.RequestsFor(product.manifestPath).size(), 1u);
}

TEST_F(UpdateSessionFlowTest, AWaitingPackageMeansNoCheckAndNoDownload) {
    ManifestSpec local = ManifestSpec::ForProduct(Product(5));
    local.status = "1";
    WriteWorkManifest(5, "Update.xml", local);
    NewSession().SetPrjCode(5);
    EXPECT_EQ(Check(5, kOlderMain), 0);
    EXPECT_FALSE(Session().IsManifestPollActive());
    EXPECT_FALSE(Session().IsPackagePollActive());
    EXPECT_TRUE(standIn.Requests().empty());
}

TEST_F(UpdateSessionFlowTest, AWaitingPatchFailsVerificationAtStartUp) {
    answers = {kPromptNextStart};
    NewSession().SetPrjCode(5);
    Check(5, kSameMain);
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_EQ(Session().CheckNewSetup(), 1);
    ASSERT_TRUE(fs::exists(WorkPath(Product(5).mainFile)));

    // Before any check the host version counts as 0: the full package's
    // digest is expected, which a patch never has.
    UpdateSession& next = NewSession();
    next.SetPrjCode(5);
    EXPECT_EQ(next.SetupNewVersion(), 0);
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
    EXPECT_FALSE(fs::exists(WorkPath(Product(5).mainFile)));
}

TEST_F(UpdateSessionFlowTest, AnEmptyWaitingPackageClearsTheWorkFolder) {
    ManifestSpec local = ManifestSpec::ForProduct(Product(5));
    local.status = "1";
    local.type = "10";
    WriteWorkManifest(5, "Update.xml", local);
    std::ofstream(WorkFolderOf(5) / Product(5).mainFile).close();
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    EXPECT_EQ(session.SetupNewVersion(), 0);
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
}

TEST_F(UpdateSessionFlowTest, CompleteSetupWithoutManifestsCopiesTheSeed) {
    ManifestSpec seed = ManifestSpec::ForProduct(Product(5));
    seed.status = "1";
    fs::create_directories(programFolder / "Update");
    {
        std::ofstream file(programFolder / "Update" / "Update.xml", std::ios::binary);
        file << seed.Document(standIn.Host());
    }
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    EXPECT_EQ(session.CompleteSetup(0), 1);
    ASSERT_TRUE(fs::exists(WorkPath("Update.xml")));
    EXPECT_EQ(session.CheckNewSetup(), 0);
    UpdateSession& next = NewSession();
    next.SetPrjCode(5);
    EXPECT_EQ(next.CheckNewSetup(), 0);
    EXPECT_EQ(next.LocalRecord().mstrMainVer, "1.01.0120");
}

TEST_F(UpdateSessionFlowTest, CompleteSetupWithOnlyALocalManifestChangesNothing) {
    ManifestSpec local = ManifestSpec::ForProduct(Product(5));
    local.status = "1";
    WriteWorkManifest(5, "Update.xml", local);
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    EXPECT_EQ(session.CompleteSetup(0), 0);
    EXPECT_EQ(session.CheckNewSetup(), 1);
}

TEST_F(UpdateSessionFlowTest, InstallFileWithTypeElevenCompletesAndStartsNothing) {
    ManifestSpec pending = ManifestSpec::ForProduct(Product(5));
    WriteWorkManifest(5, "Update.bk", pending);
    ManifestSpec local = pending;
    local.status = "1";
    local.type = "11";
    WriteWorkManifest(5, "Update.xml", local);
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    EXPECT_EQ(session.InstallFile(0), 1);
    EXPECT_TRUE(Started().empty());
    EXPECT_EQ(session.CheckNewSetup(), 0);
    UpdateSession& next = NewSession();
    next.SetPrjCode(5);
    EXPECT_EQ(next.CheckNewSetup(), 0);
}

TEST_F(UpdateSessionFlowTest, InstallFileStartsTheVerifiedPackageWithTheProgramFolder) {
    const auto& product = Product(5);
    NewSession().SetPrjCode(5);
    answers = {kPromptNextStart};
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_TRUE(Started().empty());

    EXPECT_EQ(Session().InstallFile(1), 1);
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].target, WorkPath(product.mainFile).string());
    EXPECT_EQ(Started()[0].arguments, (Arguments{"fullpath=" + programFolder.string()}));
    EXPECT_EQ(Session().LocalRecord().mstrDownRetry, "1");
}

TEST_F(UpdateSessionFlowTest, InstallFileGivesUpOnTheThirdCall) {
    settleWait = std::chrono::milliseconds(200);
    NewSession().SetPrjCode(5);
    answers = {kPromptNextStart};
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());

    EXPECT_EQ(Session().InstallFile(0), 1);
    EXPECT_EQ(Session().InstallFile(0), 1);
    EXPECT_TRUE(fs::exists(WorkPath("Update.xml")));
    // Launching now finds nothing to verify. The rest follows the pause, on
    // a timer of this thread.
    EXPECT_EQ(Session().InstallFile(1), 0);
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
    EXPECT_FALSE(fs::exists(WorkPath(Product(5).mainFile)));
    EXPECT_TRUE(fs::exists(WorkPath("Update.bk")));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !fs::exists(WorkPath("Update.bk")); }, 30000));
    EXPECT_TRUE(Started().empty());
}

TEST_F(UpdateSessionFlowTest, ASessionEndedOnAnotherThreadLeavesItsTimerToThatThread) {
    standIn.SetFault(Product(5).manifestPath, standin::MakeFault(standin::FaultKind::Hang));
    NewSession().SetPrjCode(5);
    QThread worker;
    QObject context;
    context.moveToThread(&worker);
    worker.start();
    QMetaObject::invokeMethod(&context, [this] { Check(5, kOlderMain); }, Qt::BlockingQueuedConnection);
    ASSERT_TRUE(Session().IsManifestPollActive());

    static std::atomic<int> timerWarnings{0};
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (text.contains(QLatin1String("Timers cannot"))) ++timerWarnings;
        });
    NewSession();
    // The old poll's timer is deleted on its own thread.
    QMetaObject::invokeMethod(&context, [] {}, Qt::BlockingQueuedConnection);
    qInstallMessageHandler(previous);
    EXPECT_EQ(timerWarnings.load(), 0);

    QMetaObject::invokeMethod(&context, [&context] { context.moveToThread(QCoreApplication::instance()->thread()); },
                              Qt::BlockingQueuedConnection);
    worker.quit();
    ASSERT_TRUE(worker.wait(10000));
}

}  // namespace
}  // namespace patchwell::testing
