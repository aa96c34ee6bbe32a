#include "modules/additional/checker/parse_failure.h"

#include "win32/com.h"
#include "win32/handle.h"
#include "win32/atomic_file.h"
#include "xmldata/xml_document.h"

#include <shlwapi.h>
#include <xmllite.h>

#include <cstdio>

namespace {

std::wstring Trimmed(std::wstring text) {
    while (!text.empty() &&
           (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    return text;
}

// XmlLite's own error codes, in words.
std::wstring XmlLiteReason(HRESULT error) {
    switch (static_cast<unsigned long>(error)) {
    case MX_E_INPUTEND:
        return L"unexpected end of the file";
    case MX_E_ENCODING:
    case MX_E_ENCODINGSWITCH:
    case MX_E_ENCODINGSIGNATURE:
        return L"the encoding is not recognised or does not match the declaration";
    case WC_E_WHITESPACE:
        return L"white space expected";
    case WC_E_SEMICOLON:
        return L"';' expected";
    case WC_E_GREATERTHAN:
        return L"'>' expected";
    case WC_E_QUOTE:
        return L"a quote expected";
    case WC_E_EQUAL:
        return L"'=' expected";
    case WC_E_LESSTHAN:
        return L"'<' is not allowed here (an attribute value not closed?)";
    case WC_E_XMLCHARACTER:
        return L"a character that XML does not allow";
    case WC_E_NAMECHARACTER:
    case WC_E_NAME:
        return L"a name expected";
    case WC_E_SYNTAX:
        return L"incorrect syntax (text after the document element?)";
    case WC_E_COMMENT:
        return L"incorrect comment";
    case WC_E_CDSECT:
    case WC_E_CDSECTEND:
        return L"incorrect CDATA section";
    case WC_E_ROOTELEMENT:
        return L"a document has exactly one document element";
    case WC_E_ELEMENTMATCH:
        return L"the end tag does not match the start tag";
    case WC_E_UNIQUEATTRIBUTE:
        return L"an attribute appears twice in one element";
    case WC_E_UNDECLAREDENTITY:
        return L"reference to an undeclared entity";
    case WC_E_XMLDECL:
    case WC_E_LEADINGXML:
        return L"incorrect XML declaration (it must start the file)";
    default: {
        wchar_t code[32];
        swprintf(code, 32, L"XmlLite error 0x%08lX", static_cast<unsigned long>(error));
        return code;
    }
    }
}

using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// The first error XmlLite reports for the bytes, with its position; false when it reads them to the end.
bool FindWithXmlLite(const std::string& bytes, ParseFailure& failure) {
    // Declared first, so the library outlives the reader.
    win32::Module library(::LoadLibraryW(L"xmllite.dll"));
    auto create = library ? reinterpret_cast<CreateReader>(
                                reinterpret_cast<void*>(::GetProcAddress(library.get(), "CreateXmlReader")))
                          : nullptr;
    if (!create)
        return false;
    auto stream = win32::ComPtr<IStream>::Attach(
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), UINT(bytes.size())));
    win32::ComPtr<IXmlReader> reader;
    if (!stream || FAILED(create(__uuidof(IXmlReader), reader.putVoid(), nullptr)))
        return false;
    reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Parse);
    if (FAILED(reader->SetInput(stream.get())))
        return false;
    XmlNodeType type;
    HRESULT result = S_OK;
    while ((result = reader->Read(&type)) == S_OK) {
    }
    if (SUCCEEDED(result))
        return false;
    UINT line = 0, position = 0;
    reader->GetLineNumber(&line);
    reader->GetLinePosition(&position);
    failure = {XmlLiteReason(result), long(line), long(position)};
    return true;
}

} // namespace

ParseFailure LocateParseFailure(const std::wstring& path) {
    ParseFailure failure;
    try {
        xmldata::XmlDocument document;
        document.Load(path);
        win32::ComPtr<IXMLDOMParseError> error;
        if (SUCCEEDED(document.dom()->get_parseError(error.put())) && error) {
            win32::Bstr reason;
            error->get_reason(reason.put());
            failure.reason = Trimmed(reason.str());
            error->get_line(&failure.line);
            error->get_linepos(&failure.column);
        }
    } catch (const xmldata::XmlError&) {
    }
    if (failure.line > 0)
        return failure;
    ParseFailure found;
    if (auto bytes = win32::ReadWholeFile(path); bytes && FindWithXmlLite(*bytes, found))
        return found;
    // Wine's DOM says only "error".
    if (failure.reason.empty() || failure.reason == L"error")
        failure.reason = L"the XML parser gives no reason";
    failure.line = failure.column = 0;
    return failure;
}
