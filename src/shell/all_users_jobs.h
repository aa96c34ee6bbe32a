// The installer's and uninstaller's jobs, and the browser's add-site run.
#pragma once
#include <string>

namespace shell {

// Prepares the all-users default data.
void RunInitDataJob();
// Undoes what RunInitDataJob added; per-user data are not touched.
void RunRemoveSettingJob();
// Checks an address from the browser and adds it to the news list.
void RunAddSiteCommand(const std::wstring& url);

} // namespace shell
