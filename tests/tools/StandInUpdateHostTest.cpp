// The update host side of the stand-in: manifests, packages with correct
// digests, multi-part packages and byte ranges.

#include "tests/tools/RawHttp.h"
#include "tools/standin/StandIn.h"
#include "updater/UpdateSignature.h"
#include "updater/UpdateSigner.h"

#include <QCryptographicHash>

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::string Digest(const std::string& bytes, QCryptographicHash::Algorithm algorithm) {
    return QCryptographicHash::hash(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())), algorithm)
        .toHex()
        .toUpper()
        .toStdString();
}

std::string Md5(const std::string& bytes) { return Digest(bytes, QCryptographicHash::Md5); }
std::string Sha256(const std::string& bytes) { return Digest(bytes, QCryptographicHash::Sha256); }

// The "sha256" attribute of the manifest's element `name`.
std::string Sha256Attribute(const std::string& manifest, const std::string& name) {
    const std::string open = "<" + name + " sha256=\"";
    const size_t at = manifest.find(open);
    if (at == std::string::npos) return {};
    const size_t begin = at + open.size();
    return manifest.substr(begin, manifest.find('"', begin) - begin);
}

patchwell::UpdateKey TestKey(standin::SigningKey key) {
    std::string error;
    const auto signer = patchwell::UpdateSigner::FromKeyFile(standin::TestSigningKeyFile(key), error);
    EXPECT_TRUE(signer) << error;
    return signer ? signer->PublicKey() : patchwell::UpdateKey{};
}

// The texts of the manifest's direct children of "update".
std::map<std::string, std::string> ManifestFields(const std::string& bytes, bool& ok) {
    std::map<std::string, std::string> fields;
    xmlDoc* doc = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "Update.xml", nullptr,
                                XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlNode* root = doc ? xmlDocGetRootElement(doc) : nullptr;
    ok = root && std::string(reinterpret_cast<const char*>(root->name)) == "update";
    for (xmlNode* node = root ? root->children : nullptr; node; node = node->next) {
        if (node->type != XML_ELEMENT_NODE) continue;
        xmlChar* text = xmlNodeGetContent(node);
        fields[reinterpret_cast<const char*>(node->name)] = text ? reinterpret_cast<const char*>(text) : "";
        xmlFree(text);
    }
    xmlFreeDoc(doc);
    return fields;
}

class StandInUpdateHostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(standIn.Start()) << standIn.Error(); }

    RawAnswer Get(const std::string& target, const std::string& headers = {}) {
        return RawGet(standIn.Port(), target, headers);
    }
    std::string PathOf(const std::string& url) { return url.substr(("http://" + standIn.Host()).size()); }

    standin::CStandIn standIn;
};

TEST_F(StandInUpdateHostTest, EveryProjectHasAManifestWithItsModule) {
    const std::map<std::string, std::string> paths = {
        {"/download/quillo/Update.xml", "0"},      {"/patch/update.xml", "1"},
        {"/download/QUILLOLIVE/Update.xml", "2"},  {"/download/LUDORA/Update.xml", "3"},
        {"/download/Tonvik/Update.xml", "4"},      {"/download/music/Update.xml", "5"}};
    for (const auto& [path, module] : paths) {
        const RawAnswer answer = Get(path);
        ASSERT_EQ(answer.status, 200) << path;
        EXPECT_EQ(answer.body.rfind("<?xml", 0), 0u);
        bool ok = false;
        auto fields = ManifestFields(answer.body, ok);
        ASSERT_TRUE(ok) << path;
        EXPECT_EQ(fields["module"], module) << path;
        for (const char* required : {"update_code", "type", "main_ver", "patch_ver", "update_status", "mainfile",
                                     "patchfile", "localfile", "down_retry"}) {
            EXPECT_TRUE(fields.count(required)) << path << " lacks " << required;
        }
    }
}

TEST_F(StandInUpdateHostTest, PackagesMatchTheirDigests) {
    const RawAnswer manifest = Get("/download/music/Update.xml");
    bool ok = false;
    auto fields = ManifestFields(manifest.body, ok);
    ASSERT_TRUE(ok);

    const RawAnswer main = Get(PathOf(fields["mainfile"]));
    ASSERT_EQ(main.status, 200);
    EXPECT_EQ(main.Header("content-length"), std::to_string(main.body.size()));
    EXPECT_EQ(Md5(main.body), fields["mainfile_md5"]);
    EXPECT_EQ(fields["localfile"], fields["mainfile"].substr(fields["mainfile"].rfind('/') + 1));

    // The patch comes in parts ...01-03 to ...03-03; joined they match.
    const std::string first = fields["patchfile"];
    ASSERT_GE(first.size(), 5u);
    ASSERT_EQ(first.substr(first.size() - 5), "01-03");
    const std::string stem = first.substr(0, first.size() - 5);
    std::string joined;
    for (const char* part : {"01-03", "02-03", "03-03"}) {
        const RawAnswer answer = Get(PathOf(stem + part));
        ASSERT_EQ(answer.status, 200) << part;
        joined += answer.body;
    }
    EXPECT_EQ(Md5(joined), fields["patchfile_md5"]);
    EXPECT_NE(Md5(joined), Md5(main.body));
}

TEST_F(StandInUpdateHostTest, RangesGivePartialContentUnlessRefused) {
    const RawAnswer whole = Get("/download/music/TonvikMusicSetup.exe");
    ASSERT_EQ(whole.status, 200);
    EXPECT_EQ(whole.Header("accept-ranges"), "bytes");
    const size_t size = whole.body.size();

    RawAnswer answer = Get("/download/music/TonvikMusicSetup.exe", "Range: bytes=1000-\r\n");
    EXPECT_EQ(answer.status, 206);
    EXPECT_EQ(answer.Header("content-range"), "bytes 1000-" + std::to_string(size - 1) + "/" + std::to_string(size));
    EXPECT_EQ(answer.Header("content-length"), std::to_string(size - 1000));
    EXPECT_EQ(answer.body, whole.body.substr(1000));

    answer = Get("/download/music/TonvikMusicSetup.exe", "Range: bytes=10-19\r\n");
    EXPECT_EQ(answer.status, 206);
    EXPECT_EQ(answer.body, whole.body.substr(10, 10));

    answer = Get("/download/music/TonvikMusicSetup.exe", "Range: bytes=-16\r\n");
    EXPECT_EQ(answer.status, 206);
    EXPECT_EQ(answer.body, whole.body.substr(size - 16));

    answer = Get("/download/music/TonvikMusicSetup.exe", "Range: bytes=" + std::to_string(size) + "-\r\n");
    EXPECT_EQ(answer.status, 416);
    EXPECT_EQ(answer.Header("content-range"), "bytes */" + std::to_string(size));

    standIn.SetRangesEnabled(false);
    answer = Get("/download/music/TonvikMusicSetup.exe", "Range: bytes=1000-\r\n");
    EXPECT_EQ(answer.status, 200);
    EXPECT_FALSE(answer.HasHeader("content-range"));
    EXPECT_FALSE(answer.HasHeader("accept-ranges"));
    EXPECT_EQ(answer.body, whole.body);

    ASSERT_EQ(standIn.RequestsFor("/download/music/TonvikMusicSetup.exe").back().range, "bytes=1000-");
}

TEST_F(StandInUpdateHostTest, ManifestsAreSignedAndNameTheirPackagesSha256) {
    const std::string path = "/download/music/Update.xml";
    const patchwell::UpdateKey current = TestKey(standin::SigningKey::Current);
    const patchwell::UpdateKey next = TestKey(standin::SigningKey::Next);
    const patchwell::UpdateKey both[] = {current, next};
    const RawAnswer manifest = Get(path);
    const RawAnswer signature = Get(path + ".sig");
    ASSERT_EQ(signature.status, 200);
    EXPECT_EQ(patchwell::CheckSignature(manifest.body, signature.body, both).keyNumber, 1);

    bool ok = false;
    auto fields = ManifestFields(manifest.body, ok);
    ASSERT_TRUE(ok);
    const RawAnswer main = Get(PathOf(fields["mainfile"]));
    EXPECT_EQ(Sha256Attribute(manifest.body, "mainfile"), Sha256(main.body));
    const std::string stem = PathOf(fields["patchfile"]).substr(0, PathOf(fields["patchfile"]).size() - 5);
    std::string joined;
    for (const char* part : {"01-03", "02-03", "03-03"}) joined += Get(stem + part).body;
    EXPECT_EQ(Sha256Attribute(manifest.body, "patchfile"), Sha256(joined));

    // A fixed document is signed as served, and by the next key when told.
    standIn.SetDocument(path, "<?xml version=\"1.0\"?><update><main_ver>1.1</main_ver></update>", "text/xml");
    standIn.SetSigningKey(standin::SigningKey::Next);
    const RawAnswer fixed = Get(path);
    const RawAnswer byNext = Get(path + ".sig");
    EXPECT_EQ(patchwell::CheckSignature(fixed.body, byNext.body, both).keyNumber, 2);
    EXPECT_EQ(patchwell::CheckSignature(fixed.body, byNext.body, std::span(&current, 1)).verdict,
              patchwell::SignatureVerdict::Mismatch);
    EXPECT_EQ(Get("/download/nothing/here.xml.sig").status, 404);
}

TEST_F(StandInUpdateHostTest, SignatureAndPackageFaults) {
    const std::string path = "/download/music/Update.xml";
    const std::string package = "/download/music/TonvikMusicSetup.exe";
    const patchwell::UpdateKey current = TestKey(standin::SigningKey::Current);
    const std::span keys(&current, 1);
    const std::string original = Get(path).body;
    const std::string bytes = Get(package).body;

    standIn.SetFault(path + ".sig", standin::MakeFault(standin::FaultKind::BadSignature, 0, 0, 1));
    EXPECT_EQ(patchwell::CheckSignature(original, Get(path + ".sig").body, keys).verdict,
              patchwell::SignatureVerdict::Mismatch);
    standIn.SetFault(path + ".sig", standin::MakeFault(standin::FaultKind::NoSignature, 0, 0, 1));
    EXPECT_EQ(Get(path + ".sig").status, 404);

    // An older version, signed as it is served.
    standIn.SetFault(path, standin::MakeFault(standin::FaultKind::OlderVersion));
    const RawAnswer older = Get(path);
    bool ok = false;
    EXPECT_EQ(ManifestFields(older.body, ok)["main_ver"], standin::CFaultTable::kOlderMainVersion);
    EXPECT_EQ(patchwell::CheckSignature(older.body, Get(path + ".sig").body, keys).verdict,
              patchwell::SignatureVerdict::Good);

    // A tampered package keeps its length and differs in one byte, in
    // whole and in ranges alike.
    standIn.SetFault(package, standin::MakeFault(standin::FaultKind::TamperedPackage));
    const std::string tampered = Get(package).body;
    ASSERT_EQ(tampered.size(), bytes.size());
    size_t differing = 0;
    for (size_t i = 0; i < bytes.size(); ++i) differing += bytes[i] != tampered[i] ? 1 : 0;
    EXPECT_EQ(differing, 1u);
    EXPECT_EQ(Get(package, "Range: bytes=1000-\r\n").body, tampered.substr(1000));
}

TEST_F(StandInUpdateHostTest, FixedDocumentReplacesAManifest) {
    standIn.SetDocument("/download/music/Update.xml",
                        "<?xml version=\"1.0\"?><update><module>5</module><mainfile>http://{HOST}/a.exe</mainfile></update>",
                        "text/xml");
    const RawAnswer answer = Get("/download/music/Update.xml");
    EXPECT_NE(answer.body.find("http://" + standIn.Host() + "/a.exe"), std::string::npos);
    standIn.Reset();
    EXPECT_EQ(Get("/download/music/Update.xml").body.find("/a.exe"), std::string::npos);
}

}  // namespace
