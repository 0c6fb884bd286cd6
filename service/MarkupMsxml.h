#pragma once
// A small navigator over a parsed XML document. It keeps three positions
// (the level searched by FindSibling, the current element, the last child
// found under it) and reads names and texts, which come out in the system
// code page (CP936) whatever the document's own encoding.

#include <string>
#include <string_view>
#include <vector>

struct _xmlDoc;
struct _xmlNode;

// Node type codes of GetNodeType.
enum MarkupNodeType {
    kMarkupNone = 0,
    kMarkupElement = 1,
    kMarkupText = 2,
    kMarkupWhitespace = 4,
    kMarkupCdata = 8,
    kMarkupProcessingInstruction = 16,
    kMarkupComment = 32,
};

// One node as it is read: its type code and its text.
struct MarkupNode {
    int type = kMarkupNone;
    std::string text;
};

class CMarkupMSXML {
public:
    CMarkupMSXML();
    virtual ~CMarkupMSXML();
    CMarkupMSXML(const CMarkupMSXML&) = delete;
    CMarkupMSXML& operator=(const CMarkupMSXML&) = delete;

    // Loads and parses a file; false (with the reason in GetError) when it
    // is missing or not well-formed. Every load resets the positions.
    bool LoadFile(const std::string& path);
    // The same for a document already in memory.
    bool LoadDocument(std::string_view bytes);

    // Moves the current position to the next element under the parent
    // position whose name matches (null or empty: any element).
    bool FindSibling(const char* name = nullptr);
    // Moves the child position to the next matching child element of the
    // current position.
    bool FindChild(const char* name = nullptr);
    bool EnterChild();
    bool LeaveToParent();

    std::string GetName() const;
    std::string GetText() const;
    // The type code of the current position.
    int GetNodeType() const;
    // Every child node of the current position (elements, texts, comments,
    // processing instructions alike), read as GetText reads a node.
    std::vector<MarkupNode> ChildNodes() const;

    // Takes the reason of the last failed load into the error text.
    void x_ParseError();
    const std::string& GetError() const { return m_strError; }

    // The type code of a node and the text read from it.
    static int NodeTypeCode(const _xmlNode* node);
    static std::string NodeText(const _xmlNode* node);

private:
    void FreeDocument();
    void ResetPositions();
    const _xmlNode* NextElement(const _xmlNode* from, const char* name) const;

    _xmlDoc* m_pDoc = nullptr;
    const _xmlNode* m_pParent = nullptr;
    const _xmlNode* m_pCurrent = nullptr;
    const _xmlNode* m_pChild = nullptr;
    std::string m_strError;
    std::string m_strLoadReason;  // the parser's reason of the last failed load
};

// UTF-8 text of the parser to the system code page; characters the code
// page cannot hold become "?".
std::string XmlTextToAnsi(std::string_view utf8);
