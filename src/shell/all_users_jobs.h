// The installer's and uninstaller's jobs.
#pragma once
#include <string>

namespace shell {

// Prepares the all-users default data.
void RunInitDataJob();
// Undoes what RunInitDataJob added; per-user data are not touched.
void RunRemoveSettingJob();

} // namespace shell
