#include "updater/UpdateSignature.h"

#include <openssl/evp.h>

#include <memory>

namespace patchwell {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Sextet(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct PkeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

bool Verifies(std::string_view message, const Signature& signature, const UpdateKey& key) {
    std::unique_ptr<EVP_PKEY, PkeyFree> pkey(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key.data(), key.size()));
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
    if (!pkey || !ctx) return false;
    // Ed25519 hashes the message itself: no digest is named.
    if (EVP_DigestVerifyInit(ctx.get(), nullptr, nullptr, nullptr, pkey.get()) != 1) return false;
    return EVP_DigestVerify(ctx.get(), signature.data(), signature.size(),
                            reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
}

}  // namespace

std::string Base64Encode(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::string text;
    text.reserve((size + 2) / 3 * 4);
    for (size_t i = 0; i < size; i += 3) {
        const size_t left = size - i;
        const unsigned value = (bytes[i] << 16) | (left > 1 ? bytes[i + 1] << 8 : 0) | (left > 2 ? bytes[i + 2] : 0);
        text += kAlphabet[(value >> 18) & 63];
        text += kAlphabet[(value >> 12) & 63];
        text += left > 1 ? kAlphabet[(value >> 6) & 63] : '=';
        text += left > 2 ? kAlphabet[value & 63] : '=';
    }
    return text;
}

std::optional<std::vector<unsigned char>> Base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::vector<unsigned char> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        int padding = 0;
        unsigned value = 0;
        for (size_t k = 0; k < 4; ++k) {
            const char c = text[i + k];
            if (c == '=' && last && k >= 2) {
                ++padding;
                value <<= 6;
                continue;
            }
            const int sextet = Sextet(c);
            if (sextet < 0 || padding > 0) return std::nullopt;
            value = (value << 6) | static_cast<unsigned>(sextet);
        }
        bytes.push_back(static_cast<unsigned char>(value >> 16));
        if (padding < 2) bytes.push_back(static_cast<unsigned char>(value >> 8));
        if (padding < 1) bytes.push_back(static_cast<unsigned char>(value));
        // The bits a padded group leaves unused are zero in a canonical text.
        if ((padding == 1 && (value & 0xFF) != 0) || (padding == 2 && (value & 0xFFFF) != 0)) return std::nullopt;
    }
    return bytes;
}

std::optional<Signature> ParseSignatureText(std::string_view text) {
    if (text.size() > kLargestSignatureFile) return std::nullopt;
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    const auto bytes = Base64Decode(text.substr(begin, end - begin));
    if (!bytes || bytes->size() != kSignatureBytes) return std::nullopt;
    Signature signature{};
    std::copy(bytes->begin(), bytes->end(), signature.begin());
    return signature;
}

std::string SignatureText(const Signature& signature) {
    return Base64Encode(signature.data(), signature.size()) + "\n";
}

SignatureCheck CheckSignature(std::string_view message, std::optional<std::string_view> signatureText,
                              std::span<const UpdateKey> keys) {
    if (!signatureText) return {SignatureVerdict::Missing, 0};
    const auto signature = ParseSignatureText(*signatureText);
    if (!signature) return {SignatureVerdict::Malformed, 0};
    for (size_t i = 0; i < keys.size(); ++i) {
        if (Verifies(message, *signature, keys[i])) return {SignatureVerdict::Good, static_cast<int>(i) + 1};
    }
    return {SignatureVerdict::Mismatch, 0};
}

}  // namespace patchwell
