#include "updater/Md5.h"

#include <openssl/evp.h>

#include <array>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace patchwell {

struct Md5::Context {
    EVP_MD_CTX* ctx = nullptr;
    bool finished = false;
};

Md5::Md5() : m_context(std::make_unique<Context>()) {
    m_context->ctx = EVP_MD_CTX_new();
    if (!m_context->ctx || EVP_DigestInit_ex(m_context->ctx, EVP_md5(), nullptr) != 1) {
        EVP_MD_CTX_free(m_context->ctx);
        throw std::runtime_error("MD5 is not available");
    }
}

Md5::~Md5() { EVP_MD_CTX_free(m_context->ctx); }

void Md5::Update(const void* data, size_t size) {
    if (!m_context->finished && size > 0) EVP_DigestUpdate(m_context->ctx, data, size);
}

std::string Md5::FinishHex() {
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

}  // namespace patchwell
