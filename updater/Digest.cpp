#include "updater/Digest.h"

#include <openssl/evp.h>

#include <array>
#include <fstream>
#include <memory>
#include <semaphore>
#include <stdexcept>
#include <system_error>
#include <thread>
#include <vector>

namespace patchwell {

struct HexDigest::Context {
    EVP_MD_CTX* ctx = nullptr;
    bool finished = false;
};

HexDigest::HexDigest(DigestKind kind) : m_context(std::make_unique<Context>()) {
    const EVP_MD* md = kind == DigestKind::Md5 ? EVP_md5() : EVP_sha256();
    m_context->ctx = EVP_MD_CTX_new();
    if (!m_context->ctx || !md || EVP_DigestInit_ex(m_context->ctx, md, nullptr) != 1) {
        EVP_MD_CTX_free(m_context->ctx);
        throw std::runtime_error(kind == DigestKind::Md5 ? "MD5 is not available" : "SHA-256 is not available");
    }
}

HexDigest::~HexDigest() { EVP_MD_CTX_free(m_context->ctx); }

void HexDigest::Update(const void* data, size_t size) {
    if (!m_context->finished && size > 0) EVP_DigestUpdate(m_context->ctx, data, size);
}

std::string HexDigest::FinishHex() {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (m_context->finished) return {};
    m_context->finished = true;
    if (EVP_DigestFinal_ex(m_context->ctx, digest.data(), &length) != 1) return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0F];
    }
    return text;
}

std::string Md5Hex(std::string_view data) {
    Md5 md5;
    md5.Update(data.data(), data.size());
    return md5.FinishHex();
}

std::string Sha256Hex(std::string_view data) {
    Sha256 sha256;
    sha256.Update(data.data(), data.size());
    return sha256.FinishHex();
}

std::optional<std::string> Md5FileHex(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // Large blocks: the digest does not depend on how the file is read.
    std::vector<char> block(256 * 1024);
    Md5 md5;
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = in.gcount();
        if (got > 0) md5.Update(block.data(), static_cast<size_t>(got));
    }
    if (in.bad()) return std::nullopt;
    return md5.FinishHex();
}

bool FileMatchesDigest(const std::filesystem::path& path, std::string_view expected) {
    const auto digest = Md5FileHex(path);
    return digest && *digest == expected;
}

namespace {

// The blocks read ahead of the slower digest; a block is reused once both
// digests are done with it. 16 MiB ahead lets the second thread lose the
// processor for a while (some 20 ms of MD5 work) without holding up the
// reading one.
constexpr size_t kPackageBlock = 1024 * 1024;
constexpr std::ptrdiff_t kPackageSlots = 16;

// Feeds the blocks of `in` to `md5` on this thread and to `sha256` on a
// second one. False when reading failed.
bool DigestSideBySide(std::ifstream& in, Md5& md5, Sha256& sha256) {
    std::vector<std::unique_ptr<char[]>> slots;
    for (std::ptrdiff_t i = 0; i < kPackageSlots; ++i) slots.push_back(std::make_unique_for_overwrite<char[]>(kPackageBlock));
    std::array<size_t, kPackageSlots> sizes{};
    std::counting_semaphore<kPackageSlots> free(kPackageSlots);
    std::counting_semaphore<kPackageSlots> filled(0);

    // The second thread ends at the first empty block, which the reader
    // always sends last.
    std::thread worker([&] {
        for (size_t i = 0;; ++i) {
            filled.acquire();
            const size_t slot = i % kPackageSlots;
            const size_t size = sizes[slot];
            if (size > 0) sha256.Update(slots[slot].get(), size);
            free.release();
            if (size == 0) return;
        }
    });
    bool ok = true;
    for (size_t i = 0;; ++i) {
        free.acquire();
        const size_t slot = i % kPackageSlots;
        size_t got = 0;
        if (ok && in) {
            in.read(slots[slot].get(), static_cast<std::streamsize>(kPackageBlock));
            got = static_cast<size_t>(in.gcount());
            if (in.bad()) {
                ok = false;
                got = 0;
            }
        }
        sizes[slot] = got;
        filled.release();
        if (got == 0) break;
        md5.Update(slots[slot].get(), got);
    }
    worker.join();
    return ok;
}

bool DigestOneAfterTheOther(std::ifstream& in, Md5& md5, Sha256& sha256) {
    std::vector<char> block(kPackageBlock);
    while (in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = static_cast<size_t>(in.gcount());
        md5.Update(block.data(), got);
        sha256.Update(block.data(), got);
    }
    return !in.bad();
}

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::optional<PackageDigests> DigestPackage(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    Md5 md5;
    Sha256 sha256;
    bool ok = false;
    try {
        ok = DigestSideBySide(in, md5, sha256);
    } catch (const std::system_error&) {
        // No second thread: both digests on this one, still in one reading.
        in.clear();
        in.seekg(0);
        ok = in && DigestOneAfterTheOther(in, md5, sha256);
    }
    if (!ok) return std::nullopt;
    return PackageDigests{md5.FinishHex(), sha256.FinishHex()};
}

bool SameHexDigest(std::string_view a, std::string_view b) {
    if (a.empty() || a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
}

}  // namespace patchwell
