// Library-wide switches of the skinned-control library.
#pragma once

namespace VelourAPI {

// Switches the library's use of the system's visual style; returns the previous setting.
bool EnableLuna(bool enable);
bool IsLunaEnabled();

} // namespace VelourAPI
