#include "velour/velour_api.h"

namespace VelourAPI {
namespace {
bool g_lunaEnabled = true;
}

bool EnableLuna(bool enable) {
    bool previous = g_lunaEnabled;
    g_lunaEnabled = enable;
    return previous;
}

bool IsLunaEnabled() {
    return g_lunaEnabled;
}

} // namespace VelourAPI
