// Reads a dialog template (DIALOG or DIALOGEX, as the resource compiler writes them) into plain data. No platform
// calls, so it also serves tools and checks that only have the template's bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace win32 {

struct DialogItem {
    uint32_t id = 0;
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint16_t classAtom = 0; // 0x80 button, 0x81 edit, 0x82 static, ...; 0 when the class is named
    std::wstring className; // the named class, empty for an atom
    std::wstring text;      // empty when the title is a resource ordinal (an icon or bitmap)
};

struct DialogTemplate {
    uint32_t style = 0;
    uint32_t exStyle = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    std::wstring caption;
    uint16_t pointSize = 0; // the font, when the style has DS_SETFONT
    uint16_t weight = 0;
    bool italic = false;
    std::wstring face;
    std::vector<DialogItem> items;
};

// nullopt when the bytes end before the template does.
std::optional<DialogTemplate> ParseDialogTemplate(const void* data, size_t bytes);

} // namespace win32
