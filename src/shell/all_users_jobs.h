// The installer's and uninstaller's jobs.
#pragma once
#include <string>

namespace shell {

// The program folder's folder of per-language all-users defaults.
inline constexpr wchar_t kLanguageDefaultsFolder[] = L"Defaults";

// Prepares the all-users default data: the defaults of the all-users language, the background list, the
// photo folders and background paths made absolute, the browser menu entry.
void RunInitDataJob();
// Undoes what RunInitDataJob added; per-user data are not touched.
void RunRemoveSettingJob();

} // namespace shell
