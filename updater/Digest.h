#pragma once
// Digests as the library writes them: upper-case hexadecimal ("%.2X" per
// byte). MD5 (RFC 1321) names the work folders and checks packages as it
// always did; SHA-256 checks packages against the signed manifest. The
// digests themselves come from libcrypto.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace patchwell {

enum class DigestKind { Md5, Sha256 };

// An incremental digest.
class HexDigest {
public:
    explicit HexDigest(DigestKind kind);
    ~HexDigest();
    HexDigest(const HexDigest&) = delete;
    HexDigest& operator=(const HexDigest&) = delete;

    void Update(const void* data, size_t size);
    // The digest of everything added so far. Ends the digest: a second call
    // gives an empty text.
    std::string FinishHex();

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

class Md5 : public HexDigest {
public:
    Md5() : HexDigest(DigestKind::Md5) {}
};

class Sha256 : public HexDigest {
public:
    Sha256() : HexDigest(DigestKind::Sha256) {}
};

std::string Md5Hex(std::string_view data);
std::string Sha256Hex(std::string_view data);

// The MD5 digest of a file's content; nullopt when it cannot be read.
std::optional<std::string> Md5FileHex(const std::filesystem::path& path);

// True when the file's MD5 digest equals `expected` byte for byte (a digest
// in lower case never matches).
bool FileMatchesDigest(const std::filesystem::path& path, std::string_view expected);

// Both digests of a package.
struct PackageDigests {
    std::string md5;
    std::string sha256;
};

// Reads the file once and feeds every block to both digests: MD5 on the
// calling thread, SHA-256 side by side on a second one, so checking both
// costs little more than MD5 alone. nullopt when the file cannot be read.
std::optional<PackageDigests> DigestPackage(const std::filesystem::path& path);

// True when two hexadecimal digests are the same, whatever their letter
// case. An empty digest matches nothing.
bool SameHexDigest(std::string_view a, std::string_view b);

}  // namespace patchwell
