#include "service/MarkupMsxml.h"

#include "common/Trace.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>

namespace {

constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOWARNING | XML_PARSE_NOERROR;

void InitParserOnce() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

// The parser reports through these. The reason of a failed load is the
// first error, as later ones are only its consequences.
void SilentGeneric(void*, const char*, ...) {}
void SilentStructured(void*, xmlErrorPtr) {}
void KeepFirstError(void* context, xmlErrorPtr error) {
    auto* first = static_cast<std::string*>(context);
    if (first == nullptr || error == nullptr || !first->empty() || error->level < XML_ERR_ERROR) return;
    *first = error->message ? error->message : "";
    if (first->empty()) *first = "error " + std::to_string(error->code);
}

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
}

bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        size_t extra;
        if (byte < 0x80) extra = 0;
        else if ((byte & 0xE0) == 0xC0 && byte >= 0xC2) extra = 1;
        else if ((byte & 0xF0) == 0xE0) extra = 2;
        else if ((byte & 0xF8) == 0xF0 && byte <= 0xF4) extra = 3;
        else return false;
        if (i + extra >= text.size()) return false;
        for (size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& ch : out)
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    return out;
}

// The encoding named in the XML declaration; empty when there is none.
std::string DeclaredEncoding(std::string_view bytes) {
    size_t start = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") start = 3;
    if (bytes.substr(start, 5) != "<?xml") return {};
    const size_t end = bytes.find("?>", start);
    const std::string_view declaration = bytes.substr(start, end == std::string_view::npos ? 200 : end - start);
    const size_t key = declaration.find("encoding");
    if (key == std::string_view::npos) return {};
    size_t i = declaration.find_first_of("\"'", key);
    if (i == std::string_view::npos) return {};
    const char quote = declaration[i];
    const size_t close = declaration.find(quote, i + 1);
    if (close == std::string_view::npos) return {};
    return std::string(declaration.substr(i + 1, close - i - 1));
}

// The decoder to force for a document: GB2312 and GBK are read as the system
// code page, and a document without a declaration that is not UTF-8 is taken
// to be in it. The system code page is read through GB18030, its superset:
// the plain GBK decoder refuses the user-defined areas, which the code page
// maps to private-use characters (and back, when the texts leave the XML
// layer), so one such character in a song name would fail the whole answer.
const char* ForcedEncoding(std::string_view bytes) {
    constexpr const char* kSystemCodePage = "GB18030";
    const std::string declared = Lower(DeclaredEncoding(bytes));
    if (declared == "gb2312" || declared == "gbk" || declared == "cp936") return kSystemCodePage;
    if (declared.empty() && bytes.substr(0, 2) != "\xFF\xFE" && bytes.substr(0, 2) != "\xFE\xFF" &&
        !IsValidUtf8(bytes))
        return kSystemCodePage;
    return nullptr;
}

bool NameMatches(const _xmlNode* node, const char* name) {
    if (name == nullptr || *name == '\0') return true;
    const char* own = reinterpret_cast<const char*>(node->name);
    if (own == nullptr) return false;
    if (IsAscii(own)) return std::strcmp(own, name) == 0;
    return XmlTextToAnsi(own) == name;
}

std::string FromXmlChars(xmlChar* text) {
    if (text == nullptr) return {};
    std::string out = XmlTextToAnsi(reinterpret_cast<const char*>(text));
    xmlFree(text);
    return out;
}

}  // namespace

std::string XmlTextToAnsi(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    using tonvik::platform::ConvertCharset;
    if (auto whole = ConvertCharset(utf8, "UTF-8", "CP936")) return *whole;
    // Some character has no place in the code page: convert character by
    // character, each one that does not fit becoming one "?".
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
        length = std::min(length, utf8.size() - i);
        if (length == 1 && lead < 0x80) {
            out += static_cast<char>(lead);
        } else {
            auto one = ConvertCharset(utf8.substr(i, length), "UTF-8", "CP936");
            out += one ? *one : std::string("?");
        }
        i += length;
    }
    return out;
}

CMarkupMSXML::CMarkupMSXML() { InitParserOnce(); }

CMarkupMSXML::~CMarkupMSXML() { FreeDocument(); }

void CMarkupMSXML::FreeDocument() {
    ResetPositions();
    m_pParent = nullptr;
    if (m_pDoc) xmlFreeDoc(m_pDoc);
    m_pDoc = nullptr;
}

void CMarkupMSXML::ResetPositions() {
    m_pCurrent = nullptr;
    m_pChild = nullptr;
    m_pParent = reinterpret_cast<const _xmlNode*>(m_pDoc);
}

bool CMarkupMSXML::LoadFile(const std::string& path) {
    std::string bytes;
    if (!tonvik::platform::ReadWholeFile(path, bytes)) {
        FreeDocument();
        m_strLoadReason = "The system cannot locate the object specified.";
        x_ParseError();
        return false;
    }
    return LoadDocument(bytes);
}

bool CMarkupMSXML::LoadDocument(std::string_view bytes) {
    FreeDocument();
    m_strLoadReason.clear();
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int>::max())) {
        m_strLoadReason = "The document is too large.";
        x_ParseError();
        return false;
    }

    xmlSetGenericErrorFunc(nullptr, &SilentGeneric);
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (context == nullptr) {
        m_strLoadReason = "Out of memory.";
        x_ParseError();
        return false;
    }
    std::string firstError;
    xmlSetStructuredErrorFunc(&firstError, &KeepFirstError);
    xmlDocPtr doc = xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                                      ForcedEncoding(bytes), kParseOptions);
    xmlSetStructuredErrorFunc(nullptr, &SilentStructured);
    if (doc == nullptr || !context->wellFormed) {
        const xmlError* last = xmlCtxtGetLastError(context);
        if (firstError.empty() && last && last->message) firstError = last->message;
        m_strLoadReason = XmlTextToAnsi(firstError);
        if (m_strLoadReason.empty()) m_strLoadReason = "The document is not well-formed.";
        if (doc) xmlFreeDoc(doc);
        xmlFreeParserCtxt(context);
        x_ParseError();
        return false;
    }
    xmlFreeParserCtxt(context);
    m_pDoc = doc;
    ResetPositions();
    return true;
}

void CMarkupMSXML::x_ParseError() {
    std::string reason = m_strLoadReason;
    while (!reason.empty() && (reason.back() == '\r' || reason.back() == '\n')) reason.pop_back();
    m_strError = reason;
    Trace("x_ParseError : %s", m_strError.c_str());
}

const _xmlNode* CMarkupMSXML::NextElement(const _xmlNode* from, const char* name) const {
    for (const _xmlNode* node = from; node != nullptr; node = node->next)
        if (node->type == XML_ELEMENT_NODE && NameMatches(node, name)) return node;
    return nullptr;
}

bool CMarkupMSXML::FindSibling(const char* name) {
    if (m_pDoc == nullptr) return false;
    const _xmlNode* start = m_pCurrent ? m_pCurrent->next : (m_pParent ? m_pParent->children : nullptr);
    const _xmlNode* found = NextElement(start, name);
    if (found == nullptr) return false;
    m_pCurrent = found;
    m_pChild = nullptr;
    return true;
}

bool CMarkupMSXML::FindChild(const char* name) {
    if (m_pCurrent == nullptr && !FindSibling(nullptr)) return false;
    const _xmlNode* start = m_pChild ? m_pChild->next : m_pCurrent->children;
    const _xmlNode* found = NextElement(start, name);
    if (found == nullptr) return false;
    m_pChild = found;
    return true;
}

bool CMarkupMSXML::EnterChild() {
    if (m_pCurrent == nullptr) return false;
    m_pParent = m_pCurrent;
    m_pCurrent = m_pChild;
    m_pChild = nullptr;
    return true;
}

bool CMarkupMSXML::LeaveToParent() {
    if (m_pParent == nullptr || m_pParent->parent == nullptr) return false;
    m_pChild = m_pCurrent;
    m_pCurrent = m_pParent;
    m_pParent = m_pParent->parent;
    return true;
}

std::string CMarkupMSXML::GetName() const {
    if (m_pCurrent == nullptr || m_pCurrent->type != XML_ELEMENT_NODE || m_pCurrent->name == nullptr) return {};
    return XmlTextToAnsi(reinterpret_cast<const char*>(m_pCurrent->name));
}

std::string CMarkupMSXML::GetText() const { return NodeText(m_pCurrent); }

int CMarkupMSXML::GetNodeType() const { return NodeTypeCode(m_pCurrent); }

std::vector<MarkupNode> CMarkupMSXML::ChildNodes() const {
    std::vector<MarkupNode> nodes;
    if (m_pCurrent == nullptr) return nodes;
    for (const _xmlNode* node = m_pCurrent->children; node != nullptr; node = node->next)
        nodes.push_back({NodeTypeCode(node), NodeText(node)});
    return nodes;
}

int CMarkupMSXML::NodeTypeCode(const _xmlNode* node) {
    if (node == nullptr) return kMarkupNone;
    switch (node->type) {
    case XML_ELEMENT_NODE:
        return kMarkupElement;
    case XML_TEXT_NODE: {
        const char* text = reinterpret_cast<const char*>(node->content);
        const bool blank = text == nullptr || std::strspn(text, " \t\r\n") == std::strlen(text);
        return blank ? kMarkupWhitespace : kMarkupText;
    }
    case XML_CDATA_SECTION_NODE:
        return kMarkupCdata;
    case XML_PI_NODE:
        return kMarkupProcessingInstruction;
    case XML_COMMENT_NODE:
        return kMarkupComment;
    default:
        return kMarkupNone;
    }
}

std::string CMarkupMSXML::NodeText(const _xmlNode* node) {
    switch (NodeTypeCode(node)) {
    case kMarkupElement:
        if (node->children == nullptr) return {};
        return FromXmlChars(xmlNodeGetContent(node));
    case kMarkupText:
    case kMarkupWhitespace:
    case kMarkupCdata:
    case kMarkupComment:
        return node->content ? XmlTextToAnsi(reinterpret_cast<const char*>(node->content)) : std::string();
    case kMarkupProcessingInstruction: {
        const std::string target = node->name ? XmlTextToAnsi(reinterpret_cast<const char*>(node->name)) : "";
        const std::string data = node->content ? XmlTextToAnsi(reinterpret_cast<const char*>(node->content)) : "";
        return target + " " + data;
    }
    default:
        return {};
    }
}
