#pragma once
// MD5 digests (RFC 1321) as the library writes them: 32 upper-case
// hexadecimal characters. The digest itself comes from libcrypto.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace patchwell {

// An incremental digest.
class Md5 {
public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    void Update(const void* data, size_t size);
    // The digest of everything added so far, "%.2X" per byte. Ends the digest.
    std::string FinishHex();

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

std::string Md5Hex(std::string_view data);

// The digest of a file's content; nullopt when it cannot be read.
std::optional<std::string> Md5FileHex(const std::filesystem::path& path);

// True when the file's digest equals `expected` byte for byte (a digest in
// lower case never matches).
bool FileMatchesDigest(const std::filesystem::path& path, std::string_view expected);

}  // namespace patchwell
