#pragma once
// Signs update manifests with an Ed25519 private key read from a PEM file:
// the release tool and the stand-in's update host. The update library itself
// only verifies (UpdateSignature.h).

#include "updater/UpdateSignature.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace patchwell {

class UpdateSigner {
public:
    // The key in `file` (PKCS#8 PEM, as `openssl genpkey -algorithm ed25519`
    // writes it); nullopt, with the reason in `error`, when the file holds
    // no Ed25519 private key.
    static std::optional<UpdateSigner> FromKeyFile(const std::filesystem::path& file, std::string& error);

    Signature Sign(std::string_view message) const;
    UpdateKey PublicKey() const;

private:
    struct Key;
    explicit UpdateSigner(std::shared_ptr<Key> key) : m_key(std::move(key)) {}
    std::shared_ptr<Key> m_key;
};

}  // namespace patchwell
