// Why and where the XML parser refuses a description file, for the module authors' checker.
#pragma once
#include <string>

struct ParseFailure {
    std::wstring reason;
    long line = 0; // 1-based; 0 when no parser gave a position
    long column = 0;
};

// The platform DOM's own parse error when it gives a position; otherwise the error and position that XmlLite's
// reader finds in the same bytes (Wine's DOM reports neither), with the DOM's reason if XmlLite finds none.
ParseFailure LocateParseFailure(const std::wstring& path);
