#include "updater/UpdateSigner.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace patchwell {

struct UpdateSigner::Key {
    explicit Key(EVP_PKEY* k) : pkey(k) {}
    ~Key() { EVP_PKEY_free(pkey); }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    EVP_PKEY* pkey;
};

std::optional<UpdateSigner> UpdateSigner::FromKeyFile(const std::filesystem::path& file, std::string& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = "cannot read " + file.string();
        return std::nullopt;
    }
    const std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    EVP_PKEY* pkey = bio ? PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr) : nullptr;
    BIO_free(bio);
    if (!pkey) {
        error = file.string() + " holds no private key in PEM form";
        return std::nullopt;
    }
    auto key = std::make_shared<Key>(pkey);
    if (EVP_PKEY_get_id(pkey) != EVP_PKEY_ED25519) {
        error = file.string() + " is not an Ed25519 key";
        return std::nullopt;
    }
    return UpdateSigner(std::move(key));
}

Signature UpdateSigner::Sign(std::string_view message) const {
    Signature signature{};
    size_t length = signature.size();
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    const bool signed_ = ctx && EVP_DigestSignInit(ctx, nullptr, nullptr, nullptr, m_key->pkey) == 1 &&
                         EVP_DigestSign(ctx, signature.data(), &length,
                                        reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
    EVP_MD_CTX_free(ctx);
    if (!signed_ || length != signature.size()) throw std::runtime_error("Ed25519 signing failed");
    return signature;
}

UpdateKey UpdateSigner::PublicKey() const {
    UpdateKey key{};
    size_t length = key.size();
    if (EVP_PKEY_get_raw_public_key(m_key->pkey, key.data(), &length) != 1 || length != key.size()) {
        throw std::runtime_error("the Ed25519 public key cannot be read");
    }
    return key;
}

}  // namespace patchwell
