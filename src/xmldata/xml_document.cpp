#include "xmldata/xml_document.h"

#include "win32/atomic_file.h"
#include "xmldata/memory_stream.h"
#include "xmldata/xml_encoding.h"
#include "win32/strings.h"

#include <atomic>
#include <cstring>

#include <algorithm>
#include <utility>

namespace xmldata {
namespace {

// {F6D90F11-9C73-11D3-B32E-00C04F990BB4}, the version-independent Msxml2.DOMDocument class.
constexpr CLSID kDomDocumentClassId = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};

Node Borrow(NodeRef ref) {
    if (ref.get())
        ref.get()->AddRef();
    return Node::Attach(ref.get());
}

void SetBstr(win32::Variant& variant, const std::wstring& text) {
    VARIANT* v = variant.put();
    v->vt = VT_BSTR;
    v->bstrVal = ::SysAllocStringLen(text.data(), UINT(text.size()));
    if (!v->bstrVal) {
        v->vt = VT_EMPTY;
        throw XmlError(E_OUTOFMEMORY);
    }
}

void SetBytes(win32::Variant& variant, const std::string& bytes) {
    SAFEARRAY* array = ::SafeArrayCreateVector(VT_UI1, 0, ULONG(bytes.size()));
    if (!array)
        throw XmlError(E_OUTOFMEMORY);
    void* data = nullptr;
    if (SUCCEEDED(::SafeArrayAccessData(array, &data))) {
        std::memcpy(data, bytes.data(), bytes.size());
        ::SafeArrayUnaccessData(array);
    }
    VARIANT* v = variant.put();
    v->vt = VT_ARRAY | VT_UI1;
    v->parray = array;
}

std::optional<FileStamp> StampOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return FileStamp{(uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime};
}

// The one document parked between two loads of the same file, and how many scopes allow parking.
struct Parked {
    std::wstring path;
    FileStamp stamp;
    win32::ComPtr<IXMLDOMDocument2> doc;
    std::optional<std::wstring> convertedFrom;
};
std::optional<Parked> g_parked;
int g_parseOnceScopes = 0;

// Inside a parse-once scope the thread that opened it keeps the DOM's class object: every CoCreateInstance looks
// the class up in the registry again. Other threads (and their apartments) create documents as before.
std::atomic<DWORD> g_scopeThread{0};
win32::ComPtr<IClassFactory> g_domClass;

constexpr DWORD kDomClassContext =
    CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

HRESULT CreateDomDocument(win32::ComPtr<IUnknown>& unknown) {
    if (g_scopeThread == ::GetCurrentThreadId()) {
        if (!g_domClass)
            ::CoGetClassObject(kDomDocumentClassId, kDomClassContext, nullptr, IID_IClassFactory, g_domClass.putVoid());
        if (g_domClass)
            return g_domClass->CreateInstance(nullptr, IID_IUnknown, unknown.putVoid());
    }
    return ::CoCreateInstance(kDomDocumentClassId, nullptr, kDomClassContext, IID_IUnknown, unknown.putVoid());
}

// A text node's exact data; `text` would trim the whitespace that the layout rules look at.
std::wstring NodeValue(IXMLDOMNode* node) {
    win32::Variant value;
    Check(node->get_nodeValue(value.put()));
    if (value.get()->vt != VT_BSTR || !value.get()->bstrVal)
        return {};
    return std::wstring(value.get()->bstrVal, ::SysStringLen(value.get()->bstrVal));
}

// Whether the parent's last child is a text node ending in a line break, so the next line needs only its tabs.
bool EndsWithLineBreak(IXMLDOMNode* parent) {
    Node last;
    Check(parent->get_lastChild(last.put()));
    if (!last)
        return false;
    DOMNodeType type = NODE_INVALID;
    Check(last->get_nodeType(&type));
    if (type != NODE_TEXT)
        return false;
    const std::wstring value = NodeValue(last.get());
    return !value.empty() && value.back() == L'\n';
}

// Levels below the document element: 0 for the root itself, 1 for its children.
int DepthBelowRoot(IXMLDOMNode* node) {
    int depth = 0;
    Node current = Borrow(node);
    for (;;) {
        Node parent;
        Check(current->get_parentNode(parent.put()));
        if (!parent)
            return depth;
        DOMNodeType type = NODE_INVALID;
        Check(parent->get_nodeType(&type));
        if (type == NODE_DOCUMENT)
            return depth;
        ++depth;
        current = std::move(parent);
    }
}

bool SameObject(IXMLDOMNode* a, IXMLDOMNode* b) {
    if (a == b)
        return true;
    win32::ComPtr<IUnknown> ua, ub;
    a->QueryInterface(IID_IUnknown, ua.putVoid());
    b->QueryInterface(IID_IUnknown, ub.putVoid());
    return ua && ua.get() == ub.get();
}

bool IsNameStart(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' || c == L':' || (c >= 0xC0 && c <= 0xD6) ||
           (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
           (c >= 0x37F && c <= 0x1FFF) || c == 0x200C || c == 0x200D || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
           (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0xD800 && c <= 0xDFFF); // surrogates: names beyond the BMP
}

bool IsNameChar(wchar_t c) {
    return IsNameStart(c) || (c >= L'0' && c <= L'9') || c == L'-' || c == L'.' || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || c == 0x203F || c == 0x2040;
}

// MSXML refuses a name that is not an XML name, but Wine's createElement and createAttribute accept it and
// save a file that no longer loads. Refusing here gives the same failure everywhere, before anything is written.
void CheckName(const std::wstring& name) {
    if (name.empty() || !IsNameStart(name.front()) ||
        !std::all_of(name.begin() + 1, name.end(), [](wchar_t c) { return IsNameChar(c); }))
        throw XmlError(E_INVALIDARG);
}

IXMLDOMNode* Required(NodeRef node) {
    if (!node)
        throw XmlError(E_POINTER);
    return node.get();
}

// Node lists and attribute maps are walked with nextNode: Wine's get_item walks a child list from its start on
// every call, which makes reading a list by index quadratic.
template <typename Collection> std::vector<Node> ItemsOf(Collection* collection) {
    std::vector<Node> items;
    if (!collection)
        return items;
    Check(collection->reset());
    for (;;) {
        Node item;
        const HRESULT hr = collection->nextNode(item.put());
        Check(hr);
        if (hr == S_FALSE || !item)
            return items;
        items.push_back(std::move(item));
    }
}
} // namespace

void Check(HRESULT hr) {
    if (FAILED(hr))
        throw XmlError(hr);
}

Node SelectNode(NodeRef context, const std::wstring& query) {
    Node node;
    if (!context)
        return node;
    win32::Bstr text(query);
    Check(context.get()->selectSingleNode(text.get(), node.put()));
    return node;
}

std::vector<Node> SelectNodes(NodeRef context, const std::wstring& query) {
    if (!context)
        return {};
    win32::Bstr text(query);
    win32::ComPtr<IXMLDOMNodeList> list;
    Check(context.get()->selectNodes(text.get(), list.put()));
    return ItemsOf(list.get());
}

std::optional<std::wstring> SelectText(NodeRef context, const std::wstring& query) {
    Node node = SelectNode(context, query);
    if (!node)
        return std::nullopt;
    return Text(node);
}

std::wstring Text(NodeRef node) {
    win32::Bstr text;
    Check(Required(node)->get_text(text.put()));
    return text.str();
}

std::wstring BaseName(NodeRef node) {
    win32::Bstr name;
    Check(Required(node)->get_baseName(name.put()));
    return name.str();
}

ChildRange::ChildRange(NodeRef parent) : parent_(Borrow(Required(parent))) {}

ChildRange::iterator ChildRange::begin() const {
    Node first;
    Check(parent_->get_firstChild(first.put()));
    return iterator(std::move(first));
}

ChildRange::iterator& ChildRange::iterator::operator++() {
    Node next;
    Check(node_->get_nextSibling(next.put()));
    node_ = std::move(next);
    return *this;
}

ChildRange ChildNodes(NodeRef parent) {
    return ChildRange(parent);
}

Node FindChild(NodeRef parent, const std::wstring& baseName) {
    for (const Node& child : ChildNodes(parent)) {
        DOMNodeType type = NODE_INVALID;
        Check(child->get_nodeType(&type));
        if (type == NODE_ELEMENT && BaseName(child) == baseName)
            return child;
    }
    return nullptr;
}

std::optional<std::wstring> GetAttribute(NodeRef element, const std::wstring& name) {
    // Called once or twice per item of a long list: no extra reference, and no conversion of a value that is
    // already a string (in place it copies the string).
    Element asElement;
    Required(element)->QueryInterface(__uuidof(IXMLDOMElement), asElement.putVoid());
    if (!asElement)
        return std::nullopt;
    win32::Bstr bname(name);
    win32::Variant value;
    Check(asElement->getAttribute(bname.get(), value.put()));
    if (value.get()->vt == VT_NULL || value.get()->vt == VT_EMPTY)
        return std::nullopt;
    if (value.get()->vt != VT_BSTR)
        Check(::VariantChangeType(value.get(), value.get(), 0, VT_BSTR));
    return std::wstring(value.get()->bstrVal, ::SysStringLen(value.get()->bstrVal));
}

std::optional<std::wstring> NamedItemText(NodeRef node, const std::wstring& name) {
    win32::ComPtr<IXMLDOMNamedNodeMap> map;
    Check(Required(node)->get_attributes(map.put()));
    if (!map)
        return std::nullopt;
    win32::Bstr bname(name);
    Node item;
    Check(map->getNamedItem(bname.get(), item.put()));
    if (!item)
        return std::nullopt;
    return Text(item);
}

std::vector<Attribute> Attributes(NodeRef node) {
    std::vector<Attribute> attributes;
    win32::ComPtr<IXMLDOMNamedNodeMap> map;
    Check(Required(node)->get_attributes(map.put()));
    for (const Node& item : ItemsOf(map.get()))
        attributes.push_back({BaseName(item), Text(item)});
    return attributes;
}

XmlDocument::XmlDocument() {
    win32::ComPtr<IUnknown> unknown;
    HRESULT hr = CreateDomDocument(unknown);
    if (SUCCEEDED(hr))
        hr = ::OleRun(unknown.get());
    if (FAILED(hr))
        throw XmlUnavailable(hr);
    doc_ = unknown.As<IXMLDOMDocument2>();
    if (!doc_)
        throw XmlUnavailable(E_NOINTERFACE);
    Check(doc_->put_validateOnParse(VARIANT_TRUE));
    Check(doc_->put_async(VARIANT_FALSE));
}

XmlDocument::~XmlDocument() {
    if (doc_ && parkedFrom_)
        ParkForNextLoad(*parkedFrom_);
}

bool XmlDocument::Load(const std::wstring& path) {
    parkedFrom_.reset();
    // Fetched as the load sequence asks; a file that does not load is handled by the caller's defaults.
    win32::ComPtr<IXMLDOMParseError> parseError;
    Check(doc_->get_parseError(parseError.put()));
    loadedStamp_ = StampOf(path);
    if (TakeParked(path, loadedStamp_))
        return true;
    // The DOM is given the file's bytes rather than its name: loading by name goes through a download buffer
    // that Wine grows by copying on every block, which makes a large file take minutes. The bytes parse the same
    // way (encoding from the byte-order mark or the declaration).
    convertedFrom_.reset();
    const std::optional<std::string> bytes = win32::ReadWholeFile(path);
    if (!bytes)
        return false;
    std::wstring declared;
    const std::optional<std::string> converted = Utf16ForParser(*bytes, declared);
    if (converted)
        convertedFrom_ = declared;
    win32::Variant source;
    SetBytes(source, converted ? *converted : *bytes);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    Check(doc_->load(*source.get(), &loaded));
    return loaded == VARIANT_TRUE;
}

void XmlDocument::ParkForNextLoad(const std::wstring& path) {
    if (g_parseOnceScopes == 0 || !doc_ || !loadedStamp_)
        return;
    g_parked = Parked{path, *loadedStamp_, std::move(doc_), std::move(convertedFrom_)};
}

bool XmlDocument::TakeParked(const std::wstring& path, const std::optional<FileStamp>& stamp) {
    if (!g_parked || !stamp || !win32::EqualsNoCase(g_parked->path, path) || !(g_parked->stamp == *stamp))
        return false;
    doc_ = std::move(g_parked->doc);
    convertedFrom_ = std::move(g_parked->convertedFrom);
    parkedFrom_ = std::move(g_parked->path);
    g_parked.reset();
    return true;
}

ParseOnceScope::ParseOnceScope() {
    if (g_parseOnceScopes++ == 0)
        g_scopeThread = ::GetCurrentThreadId();
}

void ParseOnceScope::End() {
    if (!open_)
        return;
    open_ = false;
    if (--g_parseOnceScopes == 0) {
        g_parked.reset();
        g_scopeThread = 0;
        g_domClass.reset();
    }
}

Node XmlDocument::DocumentNode() const {
    return doc_.As<IXMLDOMNode>();
}

Element XmlDocument::Root() const {
    Element root;
    Check(doc_->get_documentElement(root.put()));
    return root;
}

std::wstring XmlDocument::Xml() const {
    win32::Bstr xml;
    Check(doc_->get_xml(xml.put()));
    return xml.str();
}

std::string XmlDocument::FileBytes() const {
    // The declaration leaves the tree while the DOM writes, so every DOM writes the same thing: UTF-8 and no
    // declaration. EncodeDocument then writes what the declaration names.
    Node document = DocumentNode();
    Node declaration;
    Check(document->get_firstChild(declaration.put()));
    DOMNodeType type = NODE_INVALID;
    if (declaration)
        Check(declaration->get_nodeType(&type));
    std::optional<std::wstring> declarationData;
    if (type == NODE_PROCESSING_INSTRUCTION && BaseName(declaration) == L"xml") {
        declarationData = NodeValue(declaration.get());
        // A document the parser was given as UTF-16 goes back in the encoding its file declared.
        if (convertedFrom_)
            declarationData = WithEncoding(*declarationData, *convertedFrom_);
        Node removed;
        Check(document->removeChild(declaration.get(), removed.put()));
    } else {
        declaration.reset();
    }
    auto stream = win32::ComPtr<MemoryStream>::Attach(MemoryStream::Create());
    win32::Variant destination;
    VARIANT* target = destination.put();
    target->vt = VT_UNKNOWN;
    target->punkVal = static_cast<IStream*>(stream.get());
    stream.get()->AddRef();
    const HRESULT saved = doc_->save(*destination.get());
    if (declaration) {
        Node first, inserted;
        Check(document->get_firstChild(first.put()));
        win32::Variant before;
        if (first) {
            VARIANT* reference = before.put();
            reference->vt = VT_UNKNOWN;
            reference->punkVal = first.get();
            first.get()->AddRef();
        }
        Check(document->insertBefore(declaration.get(), *before.get(), inserted.put()));
    }
    Check(saved);
    const std::wstring body = DecodeSerialized(stream->bytes());
    return EncodeDocument(std::move(declarationData), body);
}

Node XmlDocument::ContextOrRoot(NodeRef context) const {
    return context ? Borrow(context) : Root().As<IXMLDOMNode>();
}

Node XmlDocument::SelectNode(const std::wstring& query, NodeRef context) const {
    return xmldata::SelectNode(ContextOrRoot(context), query);
}

std::vector<Node> XmlDocument::SelectNodes(const std::wstring& query, NodeRef context) const {
    return xmldata::SelectNodes(ContextOrRoot(context), query);
}

std::optional<std::wstring> XmlDocument::SelectText(const std::wstring& query, NodeRef context) const {
    return xmldata::SelectText(ContextOrRoot(context), query);
}

XmlWriter XmlWriter::Edit(const std::wstring& path, Layout layout, const std::wstring& rootName) {
    XmlWriter writer(layout);
    writer.loaded_ = writer.Load(path);
    writer.parkedFrom_.reset();
    if (!writer.loaded_)
        writer.CreateRoot(rootName);
    return writer;
}

XmlWriter XmlWriter::Rewrite(Layout layout, const std::wstring& rootName) {
    XmlWriter writer(layout);
    writer.CreateRoot(rootName);
    return writer;
}

void XmlWriter::CreateRoot(const std::wstring& name) {
    CheckName(name);
    win32::Bstr bname(name);
    Element root;
    Check(dom()->createElement(bname.get(), root.put()));
    Node appended;
    Check(dom()->appendChild(root.get(), appended.put()));
}

Element XmlWriter::AppendElement(NodeRef parent, const std::wstring& name, const std::wstring& text) {
    IXMLDOMNode* target = Required(parent);
    CheckName(name);
    win32::Bstr bname(name);
    Element element;
    Check(dom()->createElement(bname.get(), element.put()));
    if (!text.empty())
        Check(element->put_text(win32::Bstr(text).get()));
    if (layout_ == Layout::Indented) {
        const int depth = DepthBelowRoot(target);
        const std::wstring indent(size_t(depth + 1), L'\t');
        AppendText(target, EndsWithLineBreak(target) ? indent : L"\r\n" + indent);
        const bool known = std::any_of(openParents_.begin(), openParents_.end(),
                                       [&](const OpenParent& open) { return SameObject(open.node.get(), target); });
        if (!known)
            openParents_.push_back({Borrow(target), depth});
    }
    Node appended;
    Check(target->appendChild(element.get(), appended.put()));
    return element;
}

Element XmlWriter::SetText(NodeRef parent, const std::wstring& name, const std::wstring& text) {
    Node existing = FindChild(parent, name);
    if (!existing)
        return AppendElement(parent, name, text);
    SetText(existing, text);
    return existing.As<IXMLDOMElement>();
}

void XmlWriter::SetText(NodeRef node, const std::wstring& text) {
    win32::Bstr btext(text);
    Check(Required(node)->put_text(btext.get()));
}

void XmlWriter::SetAttribute(NodeRef element, const std::wstring& name, const std::wstring& value) {
    CheckName(name);
    win32::Bstr bname(name);
    win32::ComPtr<IXMLDOMAttribute> attribute;
    Check(dom()->createAttribute(bname.get(), attribute.put()));
    win32::Bstr bvalue(value);
    Check(attribute->put_text(bvalue.get()));
    win32::ComPtr<IXMLDOMNamedNodeMap> map;
    Check(Required(element)->get_attributes(map.put()));
    if (!map)
        throw XmlError(E_INVALIDARG);
    Node replaced;
    Check(map->setNamedItem(attribute.get(), replaced.put()));
}

void XmlWriter::RemoveChild(NodeRef parent, NodeRef child) {
    Node removed;
    Check(Required(parent)->removeChild(Required(child), removed.put()));
}

void XmlWriter::RemoveNode(NodeRef node) {
    Node parent;
    Check(Required(node)->get_parentNode(parent.put()));
    RemoveChild(parent, node);
}

void XmlWriter::AppendText(NodeRef parent, const std::wstring& text) {
    win32::Bstr btext(text);
    win32::ComPtr<IXMLDOMText> node;
    Check(dom()->createTextNode(btext.get(), node.put()));
    Node appended;
    Check(Required(parent)->appendChild(node.get(), appended.put()));
}

void XmlWriter::CloseIndentedParents() {
    for (const OpenParent& open : openParents_) {
        if (!EndsWithLineBreak(open.node.get()))
            AppendText(open.node, L"\r\n" + std::wstring(size_t(open.depth), L'\t'));
    }
    openParents_.clear();
}

bool XmlWriter::Save(const std::wstring& path) {
    CloseIndentedParents();
    // Serialised first, so a failing DOM call leaves the file as it was; then replaced in one step.
    return win32::WriteFileAtomically(path, FileBytes());
}

} // namespace xmldata
