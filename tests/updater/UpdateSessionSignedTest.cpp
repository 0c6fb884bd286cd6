// Updates a man in the middle cannot forge: the update session against the
// stand-in's signed update host, with each way a manifest or a package is
// refused, key rotation, and builds that do not update themselves.

#include "tests/updater/SessionFixture.h"
#include "updater/Digest.h"
#include "updater/UpdateKeys.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace patchwell::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kOlderMain = "1.00.0100";

enum class Refusal {
    BadSignature,
    NoSignature,
    UntrustedKey,     // signed by a key the client does not hold
    TamperedPackage,  // the package differs from both its digests
    WrongSha256,      // the package matches its MD5 but not its SHA-256
    NoSha256,         // the manifest gives no SHA-256 for the package
    OlderVersion,
    OlderUpdateCode,  // older than the release the installation knows
};

struct RefusalCase {
    Refusal refusal;
    const char* name;
    const char* trace;
    int hostCode = 2;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.name; }

class SignedUpdateTest : public SessionFixture {
protected:
    const standin::St_Product& Music() const { return Product(5); }
    std::string MainPath() const { return Music().folder + Music().mainFile; }
};

class RefusedUpdateTest : public SignedUpdateTest, public ::testing::WithParamInterface<RefusalCase> {
protected:
    // Sets up the fault before the session is made.
    void Arrange(Refusal refusal) {
        ManifestSpec spec = ManifestSpec::ForProduct(Music());
        const std::string signature = Music().manifestPath + ".sig";
        switch (refusal) {
        case Refusal::BadSignature:
            standIn.SetFault(signature, standin::MakeFault(standin::FaultKind::BadSignature));
            break;
        case Refusal::NoSignature:
            standIn.SetFault(signature, standin::MakeFault(standin::FaultKind::NoSignature));
            break;
        case Refusal::UntrustedKey:
            standIn.SetSigningKey(standin::SigningKey::Next);
            trustedKeys = std::vector<UpdateKey>{CompiledInUpdateKeys().front()};
            break;
        case Refusal::TamperedPackage:
            standIn.SetFault(MainPath(), standin::MakeFault(standin::FaultKind::TamperedPackage));
            break;
        case Refusal::WrongSha256:
            spec.mainSha256 = Sha256Hex("another package");
            ServeManifest(5, spec);
            break;
        case Refusal::NoSha256:
            spec.mainSha256.clear();
            ServeManifest(5, spec);
            break;
        case Refusal::OlderVersion:
            standIn.SetFault(Music().manifestPath, standin::MakeFault(standin::FaultKind::OlderVersion));
            break;
        case Refusal::OlderUpdateCode:
            spec.updateCode = "3";
            WriteWorkManifest(5, "Update.xml", spec);
            break;
        }
    }
};

TEST_P(RefusedUpdateTest, NothingIsWrittenStartedOrShownAndTheNextCheckStartsClean) {
    const RefusalCase& c = GetParam();
    // A part of an earlier download waits in the work folder.
    const fs::path stalePart = WorkFolderOf(5) / "Temp" / (Music().patchBase + "01-03.qud");
    fs::create_directories(stalePart.parent_path());
    std::ofstream(stalePart) << "an earlier part";
    Arrange(c.refusal);
    NewSession().SetPrjCode(5);
    const auto programBefore = TempDir::Snapshot(programFolder);

    EXPECT_EQ(Check(5, kOlderMain, c.hostCode), 1);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_TRUE(HasTrace(c.trace)) << c.trace;
    EXPECT_EQ(TempDir::Snapshot(programFolder), programBefore);
    EXPECT_TRUE(Started().empty());
    EXPECT_TRUE(Prompts().empty());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Session().CheckNewSetup(), 0);
    for (const auto& [name, content] : TempDir::Snapshot(WorkFolderOf(5))) {
        EXPECT_EQ(content, "<folder>") << name << " is left in the work folder";
    }

    // With the host answering as it should, the next check in the same
    // process fetches the manifest anew and the package from its first byte.
    standIn.Reset();
    EXPECT_EQ(Check(5, kOlderMain, c.hostCode), 1);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_EQ(standIn.RequestsFor(Music().manifestPath).size(), 1u);
    const auto packageRequests = standIn.RequestsFor(MainPath());
    ASSERT_EQ(packageRequests.size(), 1u);
    EXPECT_EQ(packageRequests[0].range, "");
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].arguments, (std::vector<std::string>{"install", "5"}));
    EXPECT_EQ(Session().CheckNewSetup(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RefusedUpdateTest,
    ::testing::Values(
        RefusalCase{Refusal::BadSignature, "bad signature",
                    "ManifestPoll : the manifest has a signature of no trusted key: update refused"},
        RefusalCase{Refusal::NoSignature, "no signature", "ManifestPoll : the manifest has no signature: update refused"},
        RefusalCase{Refusal::UntrustedKey, "untrusted key",
                    "ManifestPoll : the manifest has a signature of no trusted key: update refused"},
        RefusalCase{Refusal::TamperedPackage, "tampered package", "VerifyPackage : the package does not match its digest"},
        RefusalCase{Refusal::WrongSha256, "SHA-256 mismatch",
                    "VerifyPackage : the package does not match its SHA-256 digest"},
        RefusalCase{Refusal::NoSha256, "no SHA-256", "VerifyPackage : the manifest gives no SHA-256 digest"},
        RefusalCase{Refusal::OlderVersion, "older version",
                    "ManifestPoll : the manifest's version 0.90.0000 is older than the running 1.00.0100, no "
                    "downgrade: update refused"},
        RefusalCase{Refusal::OlderUpdateCode, "older update code",
                    "ManifestPoll : the manifest's update code 2 is older than the known 3, no downgrade: update "
                    "refused",
                    4}));

TEST_F(SignedUpdateTest, AManifestSignedByTheNextKeyIsInstalledAsAnyOther) {
    // The key was rotated: the host signs with the key the library holds as
    // the next one.
    standIn.SetSigningKey(standin::SigningKey::Next);
    NewSession().SetPrjCode(5);
    EXPECT_EQ(Check(5, kOlderMain), 1);
    ASSERT_TRUE(WaitUntilQuiet());
    EXPECT_TRUE(HasTrace("ManifestPoll : the manifest is signed by update key 2"));
    EXPECT_EQ(Md5FileHex(WorkPath(Music().mainFile)), Music().mainMd5);
    ASSERT_EQ(Started().size(), 1u);
    EXPECT_EQ(Started()[0].arguments, (std::vector<std::string>{"install", "5"}));
    EXPECT_EQ(Session().CheckNewSetup(), 1);
}

TEST_F(SignedUpdateTest, WithSelfUpdateOffNothingIsFetchedOrInstalled) {
    selfUpdate = false;
    WriteWorkManifests(5, "1");
    std::ofstream(WorkFolderOf(5) / Music().mainFile) << "a package left from before";
    UpdateSession& session = NewSession();
    session.SetPrjCode(5);

    EXPECT_EQ(Check(5, kOlderMain, 3), 0);
    EXPECT_EQ(session.SetupNewVersion(), 0);
    EXPECT_EQ(session.DownloadSetupFile(0, 0), 0);
    EXPECT_EQ(session.InstallFile(1), 0);
    EXPECT_FALSE(session.IsManifestPollActive());
    EXPECT_FALSE(session.IsPackagePollActive());
    EXPECT_TRUE(HasTrace("CheckUpdate : self-update is off in this build: no update"));
    EXPECT_TRUE(HasTrace("SetupNewVersion : self-update is off in this build: no update"));
    EXPECT_TRUE(standIn.Requests().empty());
    EXPECT_TRUE(Started().empty());
}

}  // namespace
}  // namespace patchwell::testing
