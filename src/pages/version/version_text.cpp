#include "pages/version/version_text.h"

VersionFileLine FirstLineOfVersionFile(std::string_view fileStart) {
    std::string_view line = fileStart.substr(0, kVersionFileReadLimit);
    line = line.substr(0, line.find_first_of("\r\n"));
    VersionFileLine result;
    if (line.substr(0, 3) == "\xEF\xBB\xBF") {
        result.utf8 = true;
        line.remove_prefix(3);
    }
    result.bytes = std::string(line);
    return result;
}
