#include "tools/standin/UpdateHost.h"

#include "tools/standin/TextUtil.h"

#include <QCryptographicHash>

namespace standin {
namespace {

std::string HexDigest(std::string_view bytes, QCryptographicHash::Algorithm algorithm) {
    const QByteArray digest =
        QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())), algorithm);
    return digest.toHex().toUpper().toStdString();
}

std::string Md5Hex(std::string_view bytes) { return HexDigest(bytes, QCryptographicHash::Md5); }
std::string Sha256Hex(std::string_view bytes) { return HexDigest(bytes, QCryptographicHash::Sha256); }

// Made-up package bytes: an installer-like header, then a fixed
// pseudo-random stream chosen by the name.
std::string PackageBytes(const std::string& name, size_t size) {
    std::string bytes = "TONVIK-PACKAGE " + name + "\n";
    uint32_t state = 2166136261u;
    for (char c : name) state = (state ^ static_cast<unsigned char>(c)) * 16777619u;
    if (state == 0) state = 1;
    bytes.reserve(size);
    while (bytes.size() < size) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes.push_back(static_cast<char>(state & 0xFF));
    }
    bytes.resize(size);
    return bytes;
}

std::string PartName(const std::string& base, int part) {
    char number[16];
    std::snprintf(number, sizeof number, "%02d-%02d", part, CUpdateHost::kPatchParts);
    return base + number;
}

}  // namespace

CUpdateHost::CUpdateHost() {
    AddProduct(0, "/download/quillo/Update.xml", "/download/quillo/", "Quillo", 180'013);
    AddProduct(1, "/patch/update.xml", "/patch/", "Ludora", 150'007);
    AddProduct(2, "/download/QUILLOLIVE/Update.xml", "/download/QUILLOLIVE/", "QuilloLive", 160'009);
    AddProduct(3, "/download/LUDORA/Update.xml", "/download/LUDORA/", "LudoraMessenger", 170'011);
    AddProduct(4, "/download/Tonvik/Update.xml", "/download/Tonvik/", "Tonvik", 190'019);
    AddProduct(5, "/download/music/Update.xml", "/download/music/", "TonvikMusic", 300'017);
}

void CUpdateHost::AddProduct(int code, std::string manifestPath, std::string folder, std::string name,
                             size_t mainSize) {
    St_Product product;
    product.code = code;
    product.manifestPath = std::move(manifestPath);
    product.folder = std::move(folder);
    product.mainFile = name + "Setup.exe";
    product.patchBase = name + "Patch.exe";

    std::string main = PackageBytes(product.mainFile, mainSize);
    product.mainMd5 = Md5Hex(main);
    product.mainSha256 = Sha256Hex(main);
    m_files[product.folder + product.mainFile] = std::make_shared<const std::string>(std::move(main));

    std::string joined;
    for (int part = 1; part <= kPatchParts; ++part) {
        const std::string partName = PartName(product.patchBase, part);
        std::string bytes = PackageBytes(partName, 40'000 + static_cast<size_t>(part) * 777);
        joined += bytes;
        m_files[product.folder + partName] = std::make_shared<const std::string>(std::move(bytes));
    }
    product.patchMd5 = Md5Hex(joined);
    product.patchSha256 = Sha256Hex(joined);
    m_products.push_back(std::move(product));
}

bool CUpdateHost::Manifest(const std::string& path, const std::string& host, std::string& out) const {
    for (const auto& product : m_products) {
        if (product.manifestPath != path) continue;
        const std::string base = "http://" + host + product.folder;
        std::string xml = "<update>\r\n";
        xml += "  <update_code>" + std::string(kUpdateCode) + "</update_code>\r\n";
        xml += "  <module>" + std::to_string(product.code) + "</module>\r\n";
        xml += "  <type>2</type>\r\n";
        xml += "  <main_ver>1.01.0120</main_ver>\r\n";
        xml += "  <patch_ver>3</patch_ver>\r\n";
        xml += "  <update_status>0</update_status>\r\n";
        xml += "  <mainfile sha256=\"" + product.mainSha256 + "\">" + XmlEscape(base + product.mainFile) +
               "</mainfile>\r\n";
        xml += "  <patchfile sha256=\"" + product.patchSha256 + "\">" +
               XmlEscape(base + PartName(product.patchBase, 1)) + "</patchfile>\r\n";
        xml += "  <mainfile_md5>" + product.mainMd5 + "</mainfile_md5>\r\n";
        xml += "  <patchfile_md5>" + product.patchMd5 + "</patchfile_md5>\r\n";
        xml += "  <localfile>" + product.mainFile + "</localfile>\r\n";
        xml += "  <down_retry>0</down_retry>\r\n";
        xml += "  <hint><patchfrom>2</patchfrom><patchto>3</patchto>"
               "<content>歌词窗口滚动更平稳\\n专辑列表读取更快</content></hint>\r\n";
        xml += "  <hint><patchfrom>1</patchfrom><patchto>3</patchto>"
               "<content>修正了播放列表保存的问题\\n歌词窗口滚动更平稳</content></hint>\r\n";
        xml += "</update>\r\n";
        out = "<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n" + ToGbk(xml);
        return true;
    }
    return false;
}

std::shared_ptr<const std::string> CUpdateHost::Package(const std::string& path) const {
    auto it = m_files.find(path);
    return it == m_files.end() ? nullptr : it->second;
}

std::vector<St_Package> CUpdateHost::Packages() const {
    std::vector<St_Package> packages;
    for (const auto& [path, bytes] : m_files) packages.push_back({path, Md5Hex(*bytes), bytes->size()});
    return packages;
}

}  // namespace standin
