// sign-update: signs an update manifest with the release's private key.
//
//   sign-update <private key file> <manifest> [<signature file>]
//
// The private key is an Ed25519 key in PEM form (openssl genpkey -algorithm
// ed25519). The signature goes to <manifest>.sig unless another file is
// named: one line, the Base64 text of the 64-byte signature of the
// manifest's exact bytes. Publish it beside the manifest, at the manifest's
// address with ".sig" appended, and change nothing in the manifest after
// signing it.
//
// Prints the public key that checks the signature, in the PEM form the
// update library's build takes, to compare with the key file it was built
// with.
// Exit codes: 0 signed, 1 failed, 2 wrong usage.

#include "updater/UpdateSignature.h"
#include "updater/UpdateSigner.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>

namespace {

namespace fs = std::filesystem;

// An Ed25519 SubjectPublicKeyInfo is these 12 bytes (16 Base64 characters)
// and the key's 32.
constexpr const char* kPublicKeyPrefix = "MCowBQYDK2VwAyEA";

int Fail(const std::string& text) {
    std::fprintf(stderr, "sign-update: %s\n", text.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: sign-update <private key file> <manifest> [<signature file>]\n");
        return 2;
    }
    const fs::path keyFile = argv[1];
    const fs::path manifest = argv[2];
    const fs::path output = argc == 4 ? fs::path(argv[3]) : fs::path(manifest.string() + patchwell::kSignatureSuffix);

    std::string error;
    const auto signer = patchwell::UpdateSigner::FromKeyFile(keyFile, error);
    if (!signer) return Fail(error);

    std::ifstream in(manifest, std::ios::binary);
    if (!in) return Fail("cannot read " + manifest.string());
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.find("sha256=") == std::string::npos) {
        std::fprintf(stderr, "sign-update: warning: %s gives no SHA-256 digest; clients refuse its packages\n",
                     manifest.string().c_str());
    }

    try {
        const patchwell::Signature signature = signer->Sign(bytes);
        const patchwell::UpdateKey key = signer->PublicKey();
        // What a client will do with it, before anything is written.
        const std::string text = patchwell::SignatureText(signature);
        const auto check = patchwell::CheckSignature(bytes, text, std::span<const patchwell::UpdateKey>(&key, 1));
        if (check.verdict != patchwell::SignatureVerdict::Good) return Fail("the signature does not check");

        const fs::path temporary = output.string() + ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out << text;
            if (!out.flush()) return Fail("cannot write " + temporary.string());
        }
        std::error_code ec;
        fs::rename(temporary, output, ec);
        if (ec) return Fail("cannot write " + output.string() + ": " + ec.message());
        std::printf("signed %s -> %s\nchecked by the public key\n-----BEGIN PUBLIC KEY-----\n%s%s\n"
                    "-----END PUBLIC KEY-----\n",
                    manifest.string().c_str(), output.string().c_str(), kPublicKeyPrefix,
                    patchwell::Base64Encode(key.data(), key.size()).c_str());
    } catch (const std::exception& failure) {
        return Fail(failure.what());
    }
    return 0;
}
