// The bytes of the changed-modules file "cmf.dat": timer flag, count, then each module name length-prefixed.
// Pure byte handling, so it also builds natively for fuzzing.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shell {

struct ChangedModules {
    int timerChanged = 0;
    std::vector<std::wstring> modules;
};

std::string BuildChangedModulesFile(const std::vector<std::wstring>& modules, int timerChanged);
// The display program's reading of the file: nullopt when a field runs past the end or bytes are left over.
// The list grows with the names the bytes really hold, never with the count the file claims.
std::optional<ChangedModules> ParseChangedModulesFile(std::string_view bytes);

} // namespace shell
