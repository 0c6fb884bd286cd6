// tools/sign-update as a publisher runs it.

#include "tests/support/TempDir.h"
#include "updater/UpdateSignature.h"
#include "updater/UpdateSigner.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kKeys = UPDATE_TEST_KEYS;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

ToolRun SignUpdate(const QStringList& arguments) {
    QProcess process;
    process.start(QString::fromUtf8(SIGN_UPDATE_PROGRAM), arguments);
    ToolRun run;
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished(5000);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput().toStdString();
    run.err = process.readAllStandardError().toStdString();
    return run;
}

QString Q(const fs::path& path) { return QString::fromStdString(path.string()); }

TEST(SignUpdate, SignsTheManifestsBytesWithTheKeyItIsGiven) {
    TempDir dir;
    const std::string manifest = "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<update>\r\n"
                                 "  <mainfile sha256=\"AB\">http://h/Setup.exe</mainfile>\r\n</update>\r\n";
    const fs::path file = dir.Write("Update.xml", manifest);
    const fs::path privateKey = kKeys / "standin-TEST-update-key.private.pem";

    const ToolRun run = SignUpdate({Q(privateKey), Q(file)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::string error;
    const auto signer = patchwell::UpdateSigner::FromKeyFile(privateKey, error);
    ASSERT_TRUE(signer) << error;
    const patchwell::UpdateKey key = signer->PublicKey();
    const std::string signature = TempDir::Read(dir / "Update.xml.sig");
    EXPECT_EQ(patchwell::CheckSignature(manifest, signature, std::span(&key, 1)).verdict,
              patchwell::SignatureVerdict::Good);
    EXPECT_EQ(TempDir::Read(file), manifest) << "the manifest stays as it was";
    // It shows the public key as the build takes it.
    EXPECT_NE(run.out.find(TempDir::Read(kKeys / "standin-TEST-update-key.public.pem")), std::string::npos) << run.out;
    EXPECT_TRUE(run.err.empty()) << run.err;

    // Elsewhere when told; a warning for a manifest without SHA-256 digests.
    dir.Write("Old.xml", "<?xml version=\"1.0\"?><update/>");
    const ToolRun old = SignUpdate({Q(privateKey), Q(dir / "Old.xml"), Q(dir / "elsewhere.sig")});
    EXPECT_EQ(old.exitCode, 0);
    EXPECT_TRUE(fs::exists(dir / "elsewhere.sig"));
    EXPECT_NE(old.err.find("gives no SHA-256 digest"), std::string::npos) << old.err;
}

TEST(SignUpdate, RefusesWhatIsNoPrivateKeyAndAWrongCommandLine) {
    TempDir dir;
    const fs::path file = dir.Write("Update.xml", "<?xml version=\"1.0\"?><update/>");
    const ToolRun publicKey = SignUpdate({Q(kKeys / "standin-TEST-update-key.public.pem"), Q(file)});
    EXPECT_EQ(publicKey.exitCode, 1);
    EXPECT_NE(publicKey.err.find("holds no private key"), std::string::npos) << publicKey.err;
    EXPECT_EQ(SignUpdate({Q(dir / "missing.pem"), Q(file)}).exitCode, 1);
    EXPECT_FALSE(fs::exists(dir / "Update.xml.sig"));
    EXPECT_EQ(SignUpdate({Q(file)}).exitCode, 2);
}

}  // namespace
