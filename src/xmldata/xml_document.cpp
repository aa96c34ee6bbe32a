#include "xmldata/xml_document.h"

namespace xmldata {
namespace {
// {F6D90F11-9C73-11D3-B32E-00C04F990BB4}, the version-independent Msxml2.DOMDocument class.
constexpr CLSID kDomDocumentClassId = {0xF6D90F11, 0x9C73, 0x11D3, {0xB3, 0x2E, 0x00, 0xC0, 0x4F, 0x99, 0x0B, 0xB4}};
} // namespace

void Check(HRESULT hr) {
    if (FAILED(hr))
        throw XmlError(hr);
}

XmlDocument::XmlDocument() {
    win32::ComPtr<IUnknown> unknown;
    Check(::CoCreateInstance(kDomDocumentClassId, nullptr,
                             CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                             IID_IUnknown, unknown.putVoid()));
    Check(::OleRun(unknown.get()));
    doc_ = unknown.As<IXMLDOMDocument2>();
    if (!doc_)
        throw XmlError(E_NOINTERFACE);
    Check(doc_->put_validateOnParse(VARIANT_TRUE));
    Check(doc_->put_async(VARIANT_FALSE));
}

bool XmlDocument::Load(const std::wstring& path) {
    win32::ComPtr<IXMLDOMParseError> parseError;
    Check(doc_->get_parseError(parseError.put()));
    win32::Variant source;
    source.get()->vt = VT_BSTR;
    source.get()->bstrVal = ::SysAllocString(path.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    Check(doc_->load(*source.get(), &loaded));
    return loaded == VARIANT_TRUE;
}

win32::ComPtr<IXMLDOMElement> XmlDocument::Root() const {
    win32::ComPtr<IXMLDOMElement> root;
    Check(doc_->get_documentElement(root.put()));
    return root;
}

std::optional<std::wstring> XmlDocument::SelectText(const std::wstring& query, IXMLDOMNode* context) const {
    win32::ComPtr<IXMLDOMNode> base;
    if (context) {
        context->AddRef();
        base = win32::ComPtr<IXMLDOMNode>::Attach(context);
    } else {
        base = Root().As<IXMLDOMNode>();
    }
    if (!base)
        return std::nullopt;
    win32::ComPtr<IXMLDOMNode> node;
    win32::Bstr bquery(query);
    Check(base->selectSingleNode(bquery.get(), node.put()));
    if (!node)
        return std::nullopt;
    win32::Bstr text;
    Check(node->get_text(text.put()));
    return text.str();
}

} // namespace xmldata
