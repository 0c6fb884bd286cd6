#include "updater/ManifestDocument.h"

#include "platform/AtomicFile.h"
#include "updater/DownloadTask.h"
#include "updater/Gbk.h"
#include "updater/WorkFolder.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstring>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

namespace patchwell {

namespace fs = std::filesystem;

struct ManifestDocument::Document {
    explicit Document(xmlDocPtr d) : doc(d) {}
    ~Document() { xmlFreeDoc(doc); }
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;
    xmlDocPtr doc;
};

namespace {

constexpr std::uintmax_t kLargestManifest = 16 * 1024 * 1024;

const xmlChar* X(const char* text) { return reinterpret_cast<const xmlChar*>(text); }

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The first whitespace-delimited word of a text.
std::string_view FirstWord(std::string_view text) {
    size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin])) ++begin;
    size_t end = begin;
    while (end < text.size() && !IsBlank(text[end])) ++end;
    return text.substr(begin, end - begin);
}

bool NameIs(xmlNodePtr node, const char* name) {
    return node->type == XML_ELEMENT_NODE && node->name && std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

// update/<name>: the first such child of the document element "update".
xmlNodePtr FindUpdateChild(xmlDocPtr doc, const char* name) {
    xmlNodePtr root = xmlDocGetRootElement(doc);
    if (!root || !NameIs(root, "update")) return nullptr;
    for (xmlNodePtr child = root->children; child; child = child->next) {
        if (NameIs(child, name)) return child;
    }
    return nullptr;
}

// The element's descendant text and CDATA, without leading and trailing
// blanks, in CP936. Entity references are not expanded.
void CollectText(xmlNodePtr node, std::string& out) {
    for (xmlNodePtr child = node->children; child; child = child->next) {
        if ((child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) && child->content) {
            out += reinterpret_cast<const char*>(child->content);
        } else if (child->type == XML_ELEMENT_NODE) {
            CollectText(child, out);
        }
    }
}

std::string Trimmed(std::string_view utf8) {
    size_t begin = 0, end = utf8.size();
    while (begin < end && IsBlank(utf8[begin])) ++begin;
    while (end > begin && IsBlank(utf8[end - 1])) --end;
    return Gbk(utf8.substr(begin, end - begin));
}

std::string ElementText(xmlNodePtr node) {
    std::string utf8;
    CollectText(node, utf8);
    return Trimmed(utf8);
}

// The value of an attribute of the element, without surrounding blanks;
// empty when absent.
std::string AttributeText(xmlNodePtr node, const char* name) {
    xmlChar* value = xmlGetNoNsProp(node, X(name));
    if (!value) return {};
    std::string text = Trimmed(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text;
}

void SetElementText(xmlDocPtr doc, xmlNodePtr node, const std::string& gbk) {
    while (node->children) {
        xmlNodePtr child = node->children;
        xmlUnlinkNode(child);
        xmlFreeNode(child);
    }
    const std::string utf8 = GbkToUtf8(gbk);
    xmlAddChild(node, xmlNewDocText(doc, X(utf8.c_str())));
}

// Every element of the document in document order, by name. The walk is
// iterative so a deeply nested document cannot exhaust the stack.
std::vector<xmlNodePtr> ElementsNamed(xmlDocPtr doc, const char* name) {
    std::vector<xmlNodePtr> found;
    xmlNodePtr node = xmlDocGetRootElement(doc);
    while (node) {
        if (NameIs(node, name)) found.push_back(node);
        if (node->type == XML_ELEMENT_NODE && node->children) {
            node = node->children;
            continue;
        }
        while (node && !node->next) {
            node = node->parent;
            if (node && node->type == XML_DOCUMENT_NODE) node = nullptr;
        }
        if (node) node = node->next;
    }
    return found;
}

struct Parsed {
    DownloadUpdateInfo record;
    bool localFileGiven = false;
};

// Reads the record the way the manifest is laid out: a missing required
// element ends the reading, so the record keeps its defaults from it on.
Parsed ParseRecord(xmlDocPtr doc) {
    Parsed parsed;
    DownloadUpdateInfo& r = parsed.record;
    auto read = [doc](const char* name, std::string& field) {
        xmlNodePtr node = FindUpdateChild(doc, name);
        if (!node) return false;
        field = ElementText(node);
        return true;
    };
    const std::pair<const char*, std::string*> required[] = {
        {"update_code", &r.mstrUpdateCode}, {"module", &r.mstrModule},
        {"type", &r.mstrType},              {"main_ver", &r.mstrMainVer},
        {"patch_ver", &r.mstrPatchVer},     {"update_status", &r.mstrUpdateStatus},
        {"mainfile", &r.mstrMainFile},      {"patchfile", &r.mstrPatchFile}};
    for (const auto& [name, field] : required) {
        if (!read(name, *field)) return parsed;
    }
    r.mstrMainFileSha256 = AttributeText(FindUpdateChild(doc, "mainfile"), "sha256");
    r.mstrPatchFileSha256 = AttributeText(FindUpdateChild(doc, "patchfile"), "sha256");
    read("mainfile_md5", r.mstrMainFileMd5);
    read("patchfile_md5", r.mstrPatchFileMd5);
    if (!read("localfile", r.mstrLocalFile)) return parsed;
    parsed.localFileGiven = true;
    if (!read("down_retry", r.mstrDownRetry)) return parsed;

    const size_t hints = ElementsNamed(doc, "hint").size();
    const auto from = ElementsNamed(doc, "patchfrom");
    const auto to = ElementsNamed(doc, "patchto");
    const auto content = ElementsNamed(doc, "content");
    for (size_t i = 0; i < hints; ++i) {
        if (i < from.size()) r.mlstPatchFrom.push_back(ElementText(from[i]));
        if (i < to.size()) r.mlstPatchTo.push_back(ElementText(to[i]));
        if (i < content.size()) r.mlstContent.push_back(ElementText(content[i]));
    }

    read("filetime", r.mstrFileTime);
    read("targetfile", r.mstrTargetFile);
    return parsed;
}

std::string Serialize(xmlDocPtr doc) {
    xmlChar* memory = nullptr;
    int size = 0;
    const char* encoding = doc->encoding ? reinterpret_cast<const char*>(doc->encoding) : "UTF-8";
    xmlDocDumpMemoryEnc(doc, &memory, &size, encoding);
    if (!memory) return {};
    std::string text(reinterpret_cast<const char*>(memory), static_cast<size_t>(size));
    xmlFree(memory);
    return text;
}

}  // namespace

bool IsManifestSafe(const DownloadUpdateInfo& record) {
    if (!record.mstrLocalFile.empty() && !IsPlainFileName(record.mstrLocalFile)) return false;
    for (const std::string* address : {&record.mstrMainFile, &record.mstrPatchFile, &record.mstrTargetFile}) {
        if (!address->empty() && !IsPlainFileName(AddressFileName(*address))) return false;
    }
    return true;
}

ManifestDocument::ManifestDocument() { xmlInitParser(); }

ManifestDocument::~ManifestDocument() = default;

int ManifestDocument::Load(const fs::path& path) {
    m_path = path;
    m_document.reset();
    std::string text;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return kManifestNotLoaded;
    // A manifest is a few kilobytes; anything this large is not one.
    const auto size = fs::file_size(path, ec);
    if (ec || size > kLargestManifest || !tonvik::platform::ReadWholeFile(path, text)) {
        if (!ec && size > kLargestManifest) fs::remove(path, ec);
        return kManifestNotLoaded;
    }

    xmlDocPtr doc = nullptr;
    if (FirstWord(text) == "<?xml") {
        doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                            XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    }
    if (!doc) {
        fs::remove(path, ec);
        return kManifestNotLoaded;
    }
    auto document = std::make_unique<Document>(doc);
    Parsed parsed = ParseRecord(doc);
    if (!IsManifestSafe(parsed.record) || (parsed.localFileGiven && parsed.record.mstrLocalFile.empty())) {
        fs::remove(path, ec);
        return kManifestUnsafe;
    }
    m_record = std::move(parsed.record);
    m_document = std::move(document);
    return kManifestLoaded;
}

int ManifestDocument::Save(int option) {
    if (!m_document) return 0;
    xmlDocPtr doc = m_document->doc;
    const std::pair<const char*, const std::string*> fields[] = {
        {"type", &m_record.mstrType},
        {"update_status", &m_record.mstrUpdateStatus},
        {"patch_ver", &m_record.mstrPatchVer},
        {"down_retry", &m_record.mstrDownRetry}};
    for (const auto& [name, value] : fields) {
        xmlNodePtr node = FindUpdateChild(doc, name);
        if (!node) return 0;
        SetElementText(doc, node, *value);
    }
    const char* extraName = nullptr;
    const std::string* extraValue = nullptr;
    if (option == kSaveWithFileTime) {
        extraName = "filetime";
        extraValue = &m_record.mstrFileTime;
    } else if (option == kSaveWithTargetFile) {
        extraName = "targetfile";
        extraValue = &m_record.mstrTargetFile;
    }
    if (extraName) {
        xmlNodePtr node = FindUpdateChild(doc, extraName);
        if (!node) node = xmlNewChild(xmlDocGetRootElement(doc), nullptr, X(extraName), nullptr);
        if (!node) return kSaveFailed;
        SetElementText(doc, node, *extraValue);
    }

    if (m_path.empty()) return kSaveFailed;
    const std::string text = Serialize(doc);
    if (text.empty()) return kSaveFailed;
    std::error_code ec;
    if (fs::exists(m_path, ec)) {
        fs::permissions(m_path, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    }
    return tonvik::platform::WriteFileAtomically(m_path, text) ? 0 : kSaveFailed;
}

std::string ManifestDocument::DocumentText() const {
    return m_document ? Serialize(m_document->doc) : std::string();
}

int LoadManifestIn(ManifestDocument& document, const WorkFolder& folder, const fs::path& file) {
    const int result = document.Load(file);
    if (result == kManifestUnsafe) folder.Clear();
    return result;
}

}  // namespace patchwell
