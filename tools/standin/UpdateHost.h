#pragma once
// The update host: one manifest per product of the update library's project
// table and the packages the manifests point at. Every product has a full
// package in one file and a patch published in three numbered parts
// ("...Patch.exe01-03" to "...Patch.exe03-03"). Package bytes are made up
// at start; the manifests carry their MD5 and SHA-256 digests (upper-case
// hex; the patch digests are those of the joined parts), the SHA-256 ones as
// "sha256" attributes of "mainfile" and "patchfile".

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace standin {

struct St_Package {
    std::string path;  // request path on the update host
    std::string md5;   // of this file alone
    size_t size = 0;
};

struct St_Product {
    int code = 0;
    std::string manifestPath;   // e.g. "/download/music/Update.xml"
    std::string folder;         // e.g. "/download/music/"
    std::string mainFile;       // file name of the full package
    std::string patchBase;      // patch name up to the part numbers, e.g. "TonvikMusicPatch.exe"
    std::string mainMd5;
    std::string patchMd5;       // of the joined parts
    std::string mainSha256;
    std::string patchSha256;    // of the joined parts
};

class CUpdateHost {
public:
    static constexpr int kPatchParts = 3;
    static constexpr const char* kUpdateCode = "2";

    CUpdateHost();

    // The manifest of the product at `path` for clients that asked `host`;
    // false when the path is no manifest.
    bool Manifest(const std::string& path, const std::string& host, std::string& out) const;
    // The package at `path`, or nullptr.
    std::shared_ptr<const std::string> Package(const std::string& path) const;

    const std::vector<St_Product>& Products() const { return m_products; }
    std::vector<St_Package> Packages() const;

private:
    void AddProduct(int code, std::string manifestPath, std::string folder, std::string name, size_t mainSize);

    std::vector<St_Product> m_products;
    std::map<std::string, std::shared_ptr<const std::string>> m_files;
};

}  // namespace standin
