// Manifest signatures: the Base64 text, the check against the trusted keys,
// the keys this build trusts, and what a fetched manifest must pass.

#include "updater/SignedManifest.h"
#include "updater/UpdateKeys.h"
#include "updater/UpdateSignature.h"
#include "updater/UpdateSigner.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using namespace patchwell;
namespace fs = std::filesystem;

namespace {

const fs::path kKeys = UPDATER_TEST_KEYS;

UpdateSigner Signer(const char* name) {
    std::string error;
    auto signer = UpdateSigner::FromKeyFile(kKeys / name, error);
    if (!signer) throw std::runtime_error(error);
    return *signer;
}

UpdateSigner Current() { return Signer("standin-TEST-update-key.private.pem"); }
UpdateSigner Next() { return Signer("standin-TEST-update-key-next.private.pem"); }

}  // namespace

TEST(UpdateSignature, Base64IsStrict) {
    const std::pair<std::string, std::string> vectors[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(Base64Encode(plain.data(), plain.size()), encoded);
        const auto decoded = Base64Decode(encoded);
        ASSERT_TRUE(decoded) << encoded;
        EXPECT_EQ(std::string(decoded->begin(), decoded->end()), plain);
    }
    for (const char* bad : {"Zg=", "Zg==Zg==", "Z===", "Zh==", "Zm9", "Zm9v\n", "Zm-v", "Zm=v", "=m9v"}) {
        EXPECT_FALSE(Base64Decode(bad)) << bad;
    }
}

TEST(UpdateSignature, ASignatureIsCheckedAgainstEachTrustedKeyInTurn) {
    const UpdateSigner current = Current();
    const UpdateSigner next = Next();
    const UpdateKey both[] = {current.PublicKey(), next.PublicKey()};
    const std::string manifest = "<?xml version=\"1.0\"?>\r\n<update><main_ver>1.01.0120</main_ver></update>\r\n";
    const std::string byCurrent = SignatureText(current.Sign(manifest));
    const std::string byNext = SignatureText(next.Sign(manifest));
    ASSERT_EQ(byCurrent.size(), 89u) << "88 characters and a line break";

    EXPECT_EQ(CheckSignature(manifest, byCurrent, both).keyNumber, 1);
    EXPECT_EQ(CheckSignature(manifest, byNext, both).keyNumber, 2);
    EXPECT_EQ(CheckSignature(manifest, "  " + byCurrent + "\r\n", both).verdict, SignatureVerdict::Good);
    EXPECT_EQ(CheckSignature(manifest, byNext, std::span(both, 1)).verdict, SignatureVerdict::Mismatch);
    EXPECT_EQ(CheckSignature(manifest, byCurrent, {}).verdict, SignatureVerdict::Mismatch);
    // One byte more or changed, anywhere, is another manifest.
    for (const std::string& other : {manifest + " ", "<?xml version=\"1.0\"?>\n" + manifest.substr(23),
                                     std::string(manifest).replace(48, 1, "3")}) {
        EXPECT_EQ(CheckSignature(other, byCurrent, both).verdict, SignatureVerdict::Mismatch) << other;
    }
    EXPECT_EQ(CheckSignature(manifest, std::nullopt, both).verdict, SignatureVerdict::Missing);
    const Signature signature = current.Sign(manifest);
    for (const std::string& malformed :
         {std::string(), std::string("<html>404</html>"), Base64Encode(signature.data(), 63),
          Base64Encode(signature.data(), 64) + Base64Encode(signature.data(), 3), std::string(1100, ' ') + byCurrent}) {
        EXPECT_EQ(CheckSignature(manifest, malformed, both).verdict, SignatureVerdict::Malformed) << malformed;
    }
}

TEST(UpdateSignature, ThisBuildTrustsTheStandInsTwoTestKeys) {
    // The test build is configured with the stand-in's keys, current first.
    const auto keys = CompiledInUpdateKeys();
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], Current().PublicKey());
    EXPECT_EQ(keys[1], Next().PublicKey());

    std::string error;
    EXPECT_FALSE(UpdateSigner::FromKeyFile(kKeys / "standin-TEST-update-key.public.pem", error));
    EXPECT_NE(error.find("no private key"), std::string::npos) << error;
}

TEST(SignedManifest, TheFilesAreCheckedAsFetched) {
    TempDir dir;
    const UpdateSigner current = Current();
    const UpdateKey key = current.PublicKey();
    const std::span keys(&key, 1);
    const std::string manifest = "<?xml version=\"1.0\"?><update/>";
    const fs::path file = dir.Write("Update.bk", manifest);
    const fs::path signature = dir / "Update.bk.sig";

    EXPECT_EQ(CheckManifestFiles(file, signature, keys).verdict, SignatureVerdict::Missing);
    dir.Write("Update.bk.sig", SignatureText(current.Sign(manifest)));
    EXPECT_EQ(CheckManifestFiles(file, signature, keys).verdict, SignatureVerdict::Good);
    EXPECT_EQ(CheckManifestFiles(dir / "gone.bk", signature, keys).verdict, SignatureVerdict::Mismatch);
    dir.Write("Update.bk.sig", std::string(kLargestSignatureFile + 1, 'A'));
    EXPECT_EQ(CheckManifestFiles(file, signature, keys).verdict, SignatureVerdict::Malformed);
}

TEST(SignedManifest, AReleaseThatGoesBackwardsIsRefused) {
    DownloadUpdateInfo fetched;
    fetched.mstrMainVer = "1.01.0120";
    fetched.mstrUpdateCode = "5";
    DownloadUpdateInfo known;
    known.mstrUpdateCode = "5";
    EXPECT_FALSE(DowngradeReason(fetched, known, "1.00.0100"));
    EXPECT_FALSE(DowngradeReason(fetched, known, "1.01.0999")) << "the build number is not compared";
    EXPECT_FALSE(DowngradeReason(fetched, known, "")) << "a host without a version";
    EXPECT_EQ(DowngradeReason(fetched, known, "1.02"), "version 1.01.0120 is older than the running 1.02");
    known.mstrUpdateCode = "6";
    EXPECT_EQ(DowngradeReason(fetched, known, "1.00.0100"), "update code 5 is older than the known 6");
}
