// The update session's projects, its re-initialisation, the branches of
// CheckUpdate, and the faults of hosts, manifests, packages and disks.

#include "tests/updater/SessionFixture.h"
#include "updater/Gbk.h"
#include "updater/Digest.h"
#include "updater/ProjectTable.h"

#include <QTcpServer>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace patchwell::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOlderMain = "1.00.0100";
constexpr const char* kSameMain = "1.01.0100";

class UpdateSessionTest : public SessionFixture {
protected:
    int TraceCount(const std::string& text) const {
        int count = 0;
        for (const auto& line : Traces()) count += line == text ? 1 : 0;
        return count;
    }
};

// ---------------------------------------------------------------------------
// Projects

TEST_F(UpdateSessionTest, ProjectThreePairsTheGameModuleWithTheMessengerTexts) {
    UpdateSession& session = NewSession();
    session.SetPrjCode(3);
    EXPECT_EQ(session.Folder().Path().parent_path().filename().string().rfind("Ludora_", 0), 0u);
    EXPECT_EQ(Check(3, kOlderMain), 1);
    EXPECT_EQ(session.ManifestLocation(), "http://" + standIn.Host() + "/download/LUDORA/Update.xml");
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_EQ(Prompts().size(), 1u);
    EXPECT_EQ(Prompts()[0].caption, Gbk("VeloraQuillo Messenger在线升级"));
    EXPECT_EQ(Prompts()[0].header, Gbk("VeloraQuillo Messenger有最新升级"));
    EXPECT_EQ(Prompts()[0].projectCode, 3);
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].arguments, (std::vector<std::string>{"install", "3"}));
}

TEST_F(UpdateSessionTest, ProjectOneFetchesFromTheGamePatchHost) {
    // A second stand-in plays the game patch host.
    standin::CStandIn patchHost;
    ASSERT_TRUE(patchHost.Start()) << patchHost.Error();
    WriteHosts(standIn.Host(), patchHost.Host());
    UpdateSession& session = NewSession();
    session.SetPrjCode(1);
    Check(1, kOlderMain);
    EXPECT_EQ(session.ManifestLocation(), "http://" + patchHost.Host() + "/patch/update.xml");
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(patchHost.RequestsFor("/patch/update.xml").size(), 1u);
    EXPECT_TRUE(standIn.RequestsFor("/patch/update.xml").empty());
    patchHost.Stop();
}

TEST_F(UpdateSessionTest, ProjectSixKeepsTheLocationAndUsesTheDefaultRow) {
    UpdateSession& session = NewSession();
    session.SetPrjCode(4);
    Check(4, "9.0.0", 0);  // nothing to fetch: only the location is chosen
    ASSERT_TRUE(WaitUntilQuiet());
    const std::string location = session.ManifestLocation();
    ASSERT_FALSE(location.empty());

    session.SetPrjCode(6);
    EXPECT_EQ(session.Folder().Path().parent_path().filename().string().rfind("___", 0), 0u);
    Check(6, "9.0.0", 0);
    EXPECT_EQ(session.ManifestLocation(), location);
    EXPECT_EQ(session.ProjectCode(), 6);
}

// ---------------------------------------------------------------------------
// Re-initialisation

TEST_F(UpdateSessionTest, ReinitialisationRereadsBothManifestsEveryTime) {
    ManifestSpec local = WriteWorkManifests(5, "1");
    fs::permissions(WorkFolderOf(5) / "Update.xml", fs::perms::owner_write, fs::perm_options::remove);

    UpdateSession& session = NewSession();
    EXPECT_EQ(session.ProjectCode(), 0);  // the first initialisation is project 0's
    EXPECT_EQ(session.SetPrjCode(5), 47);
    EXPECT_EQ(session.CheckNewSetup(), 1);
    EXPECT_EQ(session.PendingRecord().mstrMainFileMd5, Product(5).mainMd5);
    EXPECT_TRUE((fs::status(WorkFolderOf(5) / "Update.xml").permissions() & fs::perms::owner_write) != fs::perms::none);

    // Changed on disk: the same code again reads the files again.
    local.status = "0";
    WriteWorkManifest(5, "Update.xml", local);
    EXPECT_EQ(session.SetPrjCode(5), 47);
    EXPECT_EQ(session.CheckNewSetup(), 0);
    EXPECT_TRUE(standIn.Requests().empty());
    EXPECT_TRUE(fs::is_directory(programFolder / "Update"));
}

TEST_F(UpdateSessionTest, ReinitialisationTracesWhatItFinds) {
    NewSession();  // project 0: an empty work folder
    EXPECT_EQ(TraceCount("No text files found.\n"), 2);
    EXPECT_EQ(TraceCount("Copied all text files.\n"), 0);

    WriteWorkManifest(5, "Update.xml", ManifestSpec::ForProduct(Product(5)));
    const size_t before = Traces().size();
    Session().SetPrjCode(5);
    const std::vector<std::string> all = Traces();
    const std::vector<std::string> after(all.begin() + static_cast<long>(before), all.end());
    EXPECT_EQ(after, (std::vector<std::string>{"Copied all text files.\n", "No text files found.\n"}));
}

TEST_F(UpdateSessionTest, ReinitialisationClearsTheHostCodeAndTheOtherProjectsRecords) {
    WriteWorkManifest(5, "Update.xml", ManifestSpec::ForProduct(Product(5)));
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    Check(5, "9.0.0", 0);
    ASSERT_EQ(session.LocalRecord().mstrModule, "5");
    int code = 7;
    session.CheckUpdate(&code, "9.0.0", 5);
    EXPECT_EQ(session.HostUpdateCode(), 7);
    ASSERT_TRUE(WaitUntilQuiet());

    session.SetPrjCode(4);
    EXPECT_EQ(session.HostUpdateCode(), 0);
    EXPECT_EQ(session.LocalRecord(), DownloadUpdateInfo());
    EXPECT_EQ(session.PendingRecord(), DownloadUpdateInfo());
}

// ---------------------------------------------------------------------------
// CheckUpdate branches

TEST_F(UpdateSessionTest, CheckUpdateWithAKnownUpdateCodeFetchesNothing) {
    ManifestSpec pending = ManifestSpec::ForProduct(Product(5));
    WriteWorkManifest(5, "Update.bk", pending);
    WriteWorkManifest(5, "Update.xml", pending);
    NewSession().SetPrjCode(5);
    EXPECT_EQ(Check(5, kOlderMain, 2), 1);  // status 0: the check ran and found nothing to do
    EXPECT_FALSE(Session().IsManifestPollActive());
    EXPECT_FALSE(Session().IsPackagePollActive());
    EXPECT_EQ(Check(5, kOlderMain, 1), 1);  // the pending code differs
    EXPECT_FALSE(Session().IsManifestPollActive());
    EXPECT_TRUE(standIn.Requests().empty());
}

TEST_F(UpdateSessionTest, CheckUpdateFailingInsideClearsTheWorkFolderAndReturnsZero) {
    // A download to resume whose local manifest cannot be written.
    WriteWorkManifests(5, "2");
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    fs::remove(WorkPath("Update.xml"));
    fs::create_directory(WorkPath("Update.xml"));

    EXPECT_EQ(Check(5, kOlderMain), 0);
    EXPECT_FALSE(fs::exists(WorkPath("Update.bk")));
    EXPECT_FALSE(session.IsPackagePollActive());
    EXPECT_TRUE(Messages().empty());  // only the polls show it
}

// ---------------------------------------------------------------------------
// Faults

TEST_F(UpdateSessionTest, UpdateHostDownEndsTheManifestPoll) {
    // A port that was free a moment ago and is closed now.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const std::string closed = "127.0.0.1:" + std::to_string(probe.serverPort());
    probe.close();
    WriteHosts(closed, closed);
    NewSession().SetPrjCode(5);
    EXPECT_EQ(Check(5, kOlderMain), 1);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_TRUE(HasTrace("ManifestPoll : download failed"));
    EXPECT_FALSE(fs::exists(WorkPath("Update.bk")));
    EXPECT_TRUE(Prompts().empty());
    EXPECT_TRUE(Started().empty());
}

TEST_F(UpdateSessionTest, ManifestForAnotherModuleIsDeleted) {
    ManifestSpec spec = ManifestSpec::ForProduct(Product(5));
    spec.module = "4";
    ServeManifest(5, spec);
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_FALSE(fs::exists(WorkPath("Update.bk")));
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
    EXPECT_TRUE(standIn.RequestsFor(Product(5).folder + Product(5).mainFile).empty());
    EXPECT_TRUE(Prompts().empty());
}

TEST_F(UpdateSessionTest, AManifestThatIsNoManifestStartsNothing) {
    standIn.SetFault(Product(5).manifestPath, standin::MakeFault(standin::FaultKind::HtmlError200));
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_FALSE(fs::exists(WorkPath("Update.bk")));
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
    // What was served is not what was signed: refused before it is read.
    EXPECT_TRUE(HasTrace("ManifestPoll : the manifest has a signature of no trusted key: update refused"));
    EXPECT_TRUE(standIn.RequestsFor(Product(5).folder + Product(5).mainFile).empty());
}

TEST_F(UpdateSessionTest, NothingNewerEmptiesTheWorkFolder) {
    NewSession().SetPrjCode(5);
    Check(5, "2.00.0000");  // the host is newer than the manifest
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_FALSE(fs::exists(WorkPath("Update.bk")));
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
    EXPECT_EQ(standIn.Requests().size(), 2u);  // the manifest and its signature only
}

TEST_F(UpdateSessionTest, DigestMismatchClearsTheWorkFolderAndStartsNothing) {
    ManifestSpec spec = ManifestSpec::ForProduct(Product(5));
    spec.mainMd5 = Md5Hex("something else");
    ServeManifest(5, spec);
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
    EXPECT_FALSE(fs::exists(WorkPath(Product(5).mainFile)));
    EXPECT_TRUE(Prompts().empty());
    EXPECT_TRUE(Started().empty());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(UpdateSessionTest, LowerCaseDigestNeverMatches) {
    ManifestSpec spec = ManifestSpec::ForProduct(Product(5));
    std::transform(spec.mainMd5.begin(), spec.mainMd5.end(), spec.mainMd5.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    ServeManifest(5, spec);
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_TRUE(Started().empty());
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
}

TEST_F(UpdateSessionTest, APartFromAnotherDayDiscardsTheDownloadAndBothManifests) {
    const auto& product = Product(5);
    creationTime = [&product](const fs::path& path) -> std::optional<tonvik::platform::LocalFileTime> {
        if (!fs::exists(path)) return std::nullopt;
        const bool second = path.filename().string() == product.patchBase + "02-03";
        return tonvik::platform::LocalFileTime{2026, 12, second ? 6 : 7, 10, 0};
    };
    NewSession().SetPrjCode(5);
    Check(5, kSameMain);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_FALSE(fs::exists(WorkPath(product.mainFile)));
    EXPECT_FALSE(fs::exists(WorkPath("Update.bk")));
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
    EXPECT_TRUE(Prompts().empty());
    EXPECT_TRUE(Started().empty());
    EXPECT_TRUE(HasTrace("JoinParts : part from another day"));
}

TEST_F(UpdateSessionTest, UnwritableLocalManifestIsReported) {
    fs::create_directories(WorkFolderOf(5) / "Update.xml");  // a folder where the file should be
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_EQ(Messages().size(), 1u);
    const std::string path = (WorkFolderOf(5) / "Update.xml").string();
    EXPECT_EQ(Messages()[0].text, Gbk("升级失败！请确保 " + path + " 文件有可写权限。"));
    EXPECT_EQ(Messages()[0].caption, Gbk("Tonvik Player"));
    EXPECT_TRUE(Messages()[0].errorIcon);
    EXPECT_FALSE(fs::exists(WorkPath("Update.bk")));
    EXPECT_TRUE(standIn.RequestsFor(Product(5).folder + Product(5).mainFile).empty());
}

TEST_F(UpdateSessionTest, UnwritableLocalManifestDuringThePackagePollIsReported) {
    const auto& product = Product(5);
    const std::string mainPath = product.folder + product.mainFile;
    standIn.SetFault(mainPath, standin::MakeFault(standin::FaultKind::Hang));
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    // The polls run on this thread: wait with its event loop running.
    ASSERT_TRUE(QTest::qWaitFor([&] { return standIn.HungCount(mainPath) >= 1; }, 20000));
    fs::remove(WorkPath("Update.xml"));
    fs::create_directory(WorkPath("Update.xml"));
    standIn.ClearFault(mainPath);
    standIn.ReleaseHung(mainPath);
    ASSERT_TRUE(WaitUntilQuiet());
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages()[0].text.rfind(Gbk("升级失败！请确保 "), 0), 0u);
    EXPECT_TRUE(Started().empty());
}

TEST_F(UpdateSessionTest, ADownloadPathTooLongForATaskEmptiesTheWorkFolder) {
    ManifestSpec spec = ManifestSpec::ForProduct(Product(5));
    spec.localFile = std::string(220, 'A') + ".exe";
    ServeManifest(5, spec);
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_TRUE(HasTrace("does not fit a download task"));
    EXPECT_FALSE(fs::exists(WorkPath("Update.xml")));
    EXPECT_EQ(standIn.Requests().size(), 2u);  // the manifest and its signature only
    EXPECT_TRUE(Messages().empty());
}

TEST_F(UpdateSessionTest, FailedPackageDownloadsRestartFourTimesAtMost) {
    const auto& product = Product(5);
    const std::string mainPath = product.folder + product.mainFile;
    standIn.SetFault(mainPath, standin::MakeFault(standin::FaultKind::HtmlError404));
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(Session().RestartCount(), 4);
    EXPECT_EQ(standIn.RequestsFor(mainPath).size(), 5u);
    EXPECT_TRUE(Prompts().empty());

    // The counter lives as long as the process: no more restarts.
    Session().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(standIn.RequestsFor(mainPath).size(), 6u);
}

TEST_F(UpdateSessionTest, ARestartResumesWhatWasReceived) {
    const auto& product = Product(5);
    const std::string mainPath = product.folder + product.mainFile;
    standIn.SetFault(mainPath, standin::MakeFault(standin::FaultKind::CutShort, 0, 100000, 1));
    NewSession().SetPrjCode(5);
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(Session().RestartCount(), 1);
    const auto requests = standIn.RequestsFor(mainPath);
    ASSERT_GE(requests.size(), 2u);
    // The restart asked only for the rest.
    EXPECT_EQ(requests.back().range, "bytes=100000-");
    EXPECT_EQ(Md5FileHex(WorkPath(product.mainFile)), product.mainMd5);
    EXPECT_EQ(Started().size(), 1u);
}

TEST_F(UpdateSessionTest, DiskTooFullEndsThePackagePoll) {
    NewSession().SetPrjCode(5);
    // Room for the manifest, not for the package.
    Session().Downloader().SetFreeSpaceQuery([](const fs::path& folder) -> std::optional<std::uint64_t> {
        if (folder.filename() == "Temp" || folder.parent_path().filename() == "Temp") return std::uint64_t{10} * 1024 * 1024;
        return std::uint64_t{1} << 40;
    });
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet(30000));
    EXPECT_TRUE(HasTrace("PackagePoll : the download ended without a file (disk full?)"));
    EXPECT_EQ(Session().RestartCount(), 0);
    EXPECT_FALSE(fs::exists(WorkPath(Product(5).mainFile)));
    EXPECT_TRUE(Prompts().empty());
    EXPECT_EQ(Session().CheckNewSetup(), 2);  // the next check resumes
}

TEST_F(UpdateSessionTest, DiskTooFullForTheManifestEndsTheManifestPoll) {
    NewSession().SetPrjCode(5);
    Session().Downloader().SetFreeSpaceQuery([](const fs::path&) -> std::optional<std::uint64_t> { return 0; });
    Check(5, kOlderMain);
    ASSERT_TRUE(WaitUntilQuiet(30000));
    EXPECT_TRUE(HasTrace("ManifestPoll : the download ended without a file (disk full?)"));
    EXPECT_FALSE(fs::exists(WorkPath("Update.bk")));
}

TEST_F(UpdateSessionTest, AReleaseThatIsNeverInstalledLeavesNothingPending) {
    const auto& product = Product(5);
    ManifestSpec spec = ManifestSpec::ForProduct(product);
    spec.type = "12";
    ServeManifest(5, spec);
    NewSession().SetPrjCode(5);
    EXPECT_EQ(Check(5, kOlderMain), 1);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_TRUE(standIn.RequestsFor(product.folder + product.mainFile).empty());
    EXPECT_EQ(Session().CheckNewSetup(), 0);
    EXPECT_TRUE(HasTrace("ManifestPoll : install type 12 is never installed"));
    EXPECT_TRUE(Prompts().empty());

    // One left waiting by an earlier process: the installation looks for
    // updates again.
    ManifestSpec local = spec;
    local.status = "1";
    WriteWorkManifest(5, "Update.xml", local);
    std::ofstream(WorkPath(product.mainFile)) << "package";
    NewSession().SetPrjCode(5);
    standIn.ClearLogs();
    EXPECT_EQ(Check(5, kOlderMain, 3), 1);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(standIn.RequestsFor(product.manifestPath).size(), 1u);
    EXPECT_FALSE(fs::exists(WorkPath(product.mainFile)));
    EXPECT_EQ(Session().CheckNewSetup(), 0);
}

TEST_F(UpdateSessionTest, ThePauseBeforeARedownloadLeavesTheThreadFree) {
    const auto& product = Product(5);
    const std::string mainPath = product.folder + product.mainFile;
    standIn.SetFault(mainPath, standin::MakeFault(standin::FaultKind::Hang));
    WriteWorkManifests(5, "2");
    settleWait = std::chrono::milliseconds(200);
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    const fs::path download = WorkPath("Temp") / product.mainFile;
    fs::create_directories(download.parent_path());
    std::ofstream(download) << "stale";

    EXPECT_EQ(session.DownloadSetupFile(1, 0), 0);
    // Deleted at once; the download waits for the pause on a timer.
    EXPECT_FALSE(fs::exists(download));
    EXPECT_TRUE(session.Downloader().WaitUntilIdle(std::chrono::milliseconds(0)));
    EXPECT_TRUE(session.IsPackagePollActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return standIn.HungCount(mainPath) >= 1; }, 30000));
    standIn.ClearFault(mainPath);
    standIn.ReleaseHung(mainPath);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(Md5FileHex(WorkPath(product.mainFile)), product.mainMd5);
}

TEST_F(UpdateSessionTest, DownloadSetupFileRecordsTheTargetInTheLocalManifest) {
    WriteWorkManifests(5, "2");
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);
    EXPECT_EQ(session.DownloadSetupFile(0, 1), 0);
    EXPECT_EQ(session.Range(), (PartRange{1, 3, "03"}));
    EXPECT_EQ(session.Parts().size(), 3u);
    EXPECT_TRUE(session.IsPackagePollActive());

    ManifestDocument document;
    ASSERT_EQ(document.Load(WorkPath("Update.xml")), kManifestLoaded);
    EXPECT_EQ(document.Record().mstrTargetFile,
              "http://" + standIn.Host() + Product(5).folder + Product(5).patchBase + "01-03");
    EXPECT_EQ(document.Record().mstrUpdateStatus, "2");
    EXPECT_TRUE(WaitUntilQuiet());
}

}  // namespace
}  // namespace patchwell::testing
