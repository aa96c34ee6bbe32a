// Access to the XML data files through the platform's MSXML DOM. One document per operation, nothing cached; a
// failing DOM call throws XmlError, which the operation's caller catches, so a save that fails half way never
// reaches the file on disk.
//
// Reading:
//     xmldata::XmlDocument doc;
//     if (doc.Load(path))
//         if (auto mode = doc.SelectText(L"./main/mode")) ...
// Writing in place (unknown elements survive) or from nothing (the file is replaced):
//     auto writer = xmldata::XmlWriter::Edit(path);        // or XmlWriter::Rewrite()
//     writer.SetText(writer.Root(), L"spectrum", L"true");
//     bool saved = writer.Save(path);
#pragma once
#include "win32/com.h"

#include <msxml2.h>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

// The MinGW headers give these interfaces no __uuidof.
__CRT_UUID_DECL(IXMLDOMNode, 0x2933BF80, 0x7B36, 0x11d2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)
__CRT_UUID_DECL(IXMLDOMDocument, 0x2933BF81, 0x7B36, 0x11d2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)
__CRT_UUID_DECL(IXMLDOMNodeList, 0x2933BF82, 0x7B36, 0x11d2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)
__CRT_UUID_DECL(IXMLDOMNamedNodeMap, 0x2933BF83, 0x7B36, 0x11d2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)
__CRT_UUID_DECL(IXMLDOMAttribute, 0x2933BF85, 0x7B36, 0x11d2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)
__CRT_UUID_DECL(IXMLDOMElement, 0x2933BF86, 0x7B36, 0x11d2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)
__CRT_UUID_DECL(IXMLDOMText, 0x2933BF87, 0x7B36, 0x11d2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)
__CRT_UUID_DECL(IXMLDOMDocument2, 0x2933BF95, 0x7B36, 0x11d2, 0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60)

namespace xmldata {

class XmlError : public std::runtime_error {
public:
    explicit XmlError(HRESULT hr) : std::runtime_error("XML DOM call failed"), result(hr) {}
    HRESULT result;
};

// The platform's XML parser cannot be created: no file is to blame.
class XmlUnavailable : public XmlError {
public:
    explicit XmlUnavailable(HRESULT hr) : XmlError(hr) {}
};

// Throws XmlError when hr is a failure code.
void Check(HRESULT hr);

using Node = win32::ComPtr<IXMLDOMNode>;
using Element = win32::ComPtr<IXMLDOMElement>;

// A borrowed node argument: a raw node pointer or any owned DOM pointer, so callers need no .get() or casts.
class NodeRef {
public:
    NodeRef(std::nullptr_t) noexcept {}
    NodeRef(IXMLDOMNode* node) noexcept : node_(node) {}
    template <typename T>
    requires std::is_base_of_v<IXMLDOMNode, T> NodeRef(const win32::ComPtr<T>& node)
    noexcept : node_(node.get()) {}
    IXMLDOMNode* get() const noexcept { return node_; }
    explicit operator bool() const noexcept { return node_ != nullptr; }

private:
    IXMLDOMNode* node_ = nullptr;
};

// Queries relative to `context`; an absolute query ("/conf_data/...") works from any node.
Node SelectNode(NodeRef context, const std::wstring& query);
// Every match, in document order (the DOM list walked once with nextNode).
std::vector<Node> SelectNodes(NodeRef context, const std::wstring& query);
// Text of the first match; nullopt when nothing matches.
std::optional<std::wstring> SelectText(NodeRef context, const std::wstring& query);

// The node's `text` (for an element, the text of all its descendants).
std::wstring Text(NodeRef node);
// The name without a namespace prefix; how element and attribute names are compared.
std::wstring BaseName(NodeRef node);
// The child nodes of a node in order, text nodes included, fetched one at a time as a loop walks them, sibling by
// sibling: Wine's MSXML walks a child list from its start for every item read by index, and holding every node of
// a long list at once costs more than the walk itself.
class ChildRange {
public:
    class iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Node;
        using difference_type = std::ptrdiff_t;
        using pointer = const Node*;
        using reference = const Node&;

        iterator() = default;
        explicit iterator(Node node) noexcept : node_(std::move(node)) {}
        const Node& operator*() const noexcept { return node_; }
        const Node* operator->() const noexcept { return &node_; }
        iterator& operator++();
        void operator++(int) { ++*this; }
        bool operator==(const iterator& other) const noexcept { return node_.get() == other.node_.get(); }

    private:
        Node node_;
    };

    explicit ChildRange(NodeRef parent);
    iterator begin() const;
    iterator end() const noexcept { return {}; }

private:
    Node parent_;
};
ChildRange ChildNodes(NodeRef parent);
// The first child element whose base name is `baseName` (case-sensitive), or null.
Node FindChild(NodeRef parent, const std::wstring& baseName);

// An attribute through IXMLDOMElement::getAttribute (full name as written); nullopt when absent or not an element.
std::optional<std::wstring> GetAttribute(NodeRef element, const std::wstring& name);
// An attribute through the node's attribute map (getNamedItem, then its text); nullopt when absent.
std::optional<std::wstring> NamedItemText(NodeRef node, const std::wstring& name);

struct Attribute {
    std::wstring baseName;
    std::wstring text;
};
// The attribute map walked once with nextNode, in the DOM's order.
std::vector<Attribute> Attributes(NodeRef node);

// What identifies one version of a file: its size and last write time.
struct FileStamp {
    uint64_t size = 0;
    uint64_t lastWrite = 0;
    bool operator==(const FileStamp&) const = default;
};

// While one exists, a document parked with XmlDocument::ParkForNextLoad is handed to the next Load of the same,
// unchanged file instead of parsing it again: start-up reads the Modules folder's data.xml for the language and
// then for the General page. At most one document is parked; the last scope releases it (before COM ends).
class ParseOnceScope {
public:
    ParseOnceScope();
    ~ParseOnceScope() { End(); }
    // Ends the scope early (before CoUninitialize); the destructor then does nothing.
    void End();
    ParseOnceScope(const ParseOnceScope&) = delete;
    ParseOnceScope& operator=(const ParseOnceScope&) = delete;

private:
    bool open_ = true;
};

class XmlDocument {
public:
    // A new, empty document (validateOnParse on, async off). Throws XmlUnavailable when MSXML cannot be created.
    XmlDocument();
    // A document that was handed over by ParkForNextLoad and only read is parked again for the next reader.
    ~XmlDocument();
    XmlDocument(XmlDocument&&) noexcept = default;
    XmlDocument& operator=(XmlDocument&&) noexcept = default;

    // True only when the DOM reports the file as loaded (VARIANT_TRUE); missing and damaged files give false.
    bool Load(const std::wstring& path);
    // Hands this loaded document to the next Load of the same unchanged file (only inside a ParseOnceScope);
    // this object is empty afterwards.
    void ParkForNextLoad(const std::wstring& path);

    IXMLDOMDocument2* dom() const { return doc_.get(); }
    // The document itself as a node, for queries asked of the document ("./conf_data/main").
    Node DocumentNode() const;
    // The document element, or null when there is none.
    Element Root() const;
    // The whole document as the DOM serialises it (CR LF kept as CR LF).
    std::wstring Xml() const;
    // The bytes a save writes: the DOM's own serialisation, encoded as the document's declaration says.
    std::string FileBytes() const;

    // Queries relative to `context`, the root when null; with no root they find nothing.
    Node SelectNode(const std::wstring& query, NodeRef context = nullptr) const;
    std::vector<Node> SelectNodes(const std::wstring& query, NodeRef context = nullptr) const;
    std::optional<std::wstring> SelectText(const std::wstring& query, NodeRef context = nullptr) const;

private:
    Node ContextOrRoot(NodeRef context) const;
    bool TakeParked(const std::wstring& path, const std::optional<FileStamp>& stamp);

    win32::ComPtr<IXMLDOMDocument2> doc_;
    std::optional<FileStamp> loadedStamp_;
    // Where a parked document came from, while this object may park it again (writers change it: never).
    std::optional<std::wstring> parkedFrom_;
    // The encoding the file declared when its bytes were converted to UTF-16 for the parser.
    std::optional<std::wstring> convertedFrom_;

    friend class XmlWriter;
};

// Whether the writer inserts whitespace text nodes around the elements it appends.
enum class Layout {
    Compact,  // elements follow each other with no line breaks
    Indented, // one element per line, a tab per level, CR LF line ends
};

// A document being written: either the loaded file changed in place (Edit) or a new one built from nothing
// (Rewrite). Every helper throws XmlError on a failing DOM call; nothing touches the disk before Save.
class XmlWriter : public XmlDocument {
public:
    // Loads `path`; when it does not load, starts an empty document with a `rootName` root so the file never
    // lacks it. loaded() tells which happened, for pages that write nothing without a loaded file.
    static XmlWriter Edit(const std::wstring& path, Layout layout = Layout::Compact,
                          const std::wstring& rootName = L"conf_data");
    // A new document holding only an empty `rootName` root; the old file is not read.
    static XmlWriter Rewrite(Layout layout = Layout::Compact, const std::wstring& rootName = L"conf_data");

    bool loaded() const { return loaded_; }

    // Creates `name` (with `text` unless empty) and appends it as the last child of `parent`. With the indented
    // layout a line break and indentation go before it, and the parent's closing line break is added by Save.
    Element AppendElement(NodeRef parent, const std::wstring& name, const std::wstring& text = {});
    // Sets the text of the child element `name` of `parent` in place, or appends it when there is none.
    Element SetText(NodeRef parent, const std::wstring& name, const std::wstring& text);
    // Replaces the text of `node` itself.
    void SetText(NodeRef node, const std::wstring& text);
    // Creates the attribute and puts it into the element's attribute map, replacing one of the same name.
    void SetAttribute(NodeRef element, const std::wstring& name, const std::wstring& value);
    void RemoveChild(NodeRef parent, NodeRef child);
    // Removes `node` from whichever element holds it.
    void RemoveNode(NodeRef node);
    // A text node of exactly `text`, for pages that lay out their whitespace themselves.
    void AppendText(NodeRef parent, const std::wstring& text);

    // Writes the document in its declared encoding and puts it in the file's place in one step (a read-only file
    // is replaced too). False when the file cannot be written; throws, before the file is touched, when the DOM
    // cannot serialise the document.
    bool Save(const std::wstring& path);

private:
    explicit XmlWriter(Layout layout) : layout_(layout) {}
    void CreateRoot(const std::wstring& name);
    void CloseIndentedParents();

    Layout layout_;
    bool loaded_ = false;
    // Parents given indented children, with their depth below the root; closed by Save.
    struct OpenParent {
        Node node;
        int depth;
    };
    std::vector<OpenParent> openParents_;
};

} // namespace xmldata
