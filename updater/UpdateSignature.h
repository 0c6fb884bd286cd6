#pragma once
// Detached Ed25519 signatures of update manifests. Beside each manifest the
// update host publishes, at the manifest's address with ".sig" appended, the
// Base64 text of the 64-byte signature of the manifest's exact bytes. The
// manifest carries the packages' digests, so a good signature vouches for
// the packages too.
//
// A client trusts a short list of public keys compiled into it (the current
// key and the next one, so the key can be replaced without a gap).

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace patchwell {

inline constexpr const char* kSignatureSuffix = ".sig";
inline constexpr size_t kUpdateKeyBytes = 32;
inline constexpr size_t kSignatureBytes = 64;
// A signature file is a line of 88 characters; anything this long is not one.
inline constexpr size_t kLargestSignatureFile = 1024;

using UpdateKey = std::array<unsigned char, kUpdateKeyBytes>;
using Signature = std::array<unsigned char, kSignatureBytes>;

enum class SignatureVerdict {
    Good,       // made by one of the trusted keys over exactly these bytes
    Missing,    // no signature was published
    Malformed,  // the signature file is no Base64 text of 64 bytes
    Mismatch,   // no trusted key made it over these bytes
};

struct SignatureCheck {
    SignatureVerdict verdict = SignatureVerdict::Missing;
    // With a good signature: which trusted key made it, counted from 1.
    int keyNumber = 0;
};

// Standard Base64 with padding, no line breaks.
std::string Base64Encode(const void* data, size_t size);
// Strict: the standard alphabet, padded to a multiple of four, nothing else.
std::optional<std::vector<unsigned char>> Base64Decode(std::string_view text);

// The signature in a signature file's text: Base64 of 64 bytes, blanks and
// line breaks around it allowed.
std::optional<Signature> ParseSignatureText(std::string_view text);
// A signature file's text: the Base64 line and a line break.
std::string SignatureText(const Signature& signature);

// Checks `signatureText` (nullopt when none was published) over `message`
// against each key of `keys` in turn.
SignatureCheck CheckSignature(std::string_view message, std::optional<std::string_view> signatureText,
                              std::span<const UpdateKey> keys);

}  // namespace patchwell
