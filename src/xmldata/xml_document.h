// Access to the XML data files through the platform's MSXML DOM. One document per operation; a failing DOM call
// throws XmlError, which the operation's caller catches so the file on disk stays as it was.
#pragma once
#include "win32/com.h"

#include <msxml2.h>
#include <optional>
#include <stdexcept>
#include <string>

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

// Throws XmlError when hr is a failure code.
void Check(HRESULT hr);

class XmlDocument {
public:
    // A new, empty document (validateOnParse on, async off). Throws when MSXML cannot be created.
    XmlDocument();

    // True only when the DOM reports the file as loaded and well-formed.
    bool Load(const std::wstring& path);

    IXMLDOMDocument2* dom() const { return doc_.get(); }
    // The document element, or null when there is none.
    win32::ComPtr<IXMLDOMElement> Root() const;

    // Text of the first node the query finds below `context` (the root when null); nullopt when none matches.
    std::optional<std::wstring> SelectText(const std::wstring& query, IXMLDOMNode* context = nullptr) const;

private:
    win32::ComPtr<IXMLDOMDocument2> doc_;
};

} // namespace xmldata
