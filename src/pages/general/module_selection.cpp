#include "pages/general/module_selection.h"

#include <algorithm>

void ModuleSelection::ForgetLoaded() {
    loadedChecked_.clear();
    for (ModuleEntry& entry : entries_)
        entry.checked = 0;
}

bool ModuleSelection::CheckFromFile(const std::wstring& moduleName) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].checked == 0 && entries_[i].moduleName == moduleName) {
            entries_[i].checked = 1;
            loadedChecked_.push_back(i);
            return true;
        }
    }
    return false;
}

bool ModuleSelection::IsModified() const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const bool wasChecked = std::find(loadedChecked_.begin(), loadedChecked_.end(), i) != loadedChecked_.end();
        if (wasChecked != (entries_[i].checked == 1))
            return true;
    }
    return false;
}

std::vector<std::wstring> ModuleSelection::ModulesToAppend(const std::vector<std::wstring>& listed) const {
    std::vector<std::wstring> append;
    for (const ModuleEntry& entry : entries_) {
        if (entry.checked != 1)
            continue;
        if (std::find(listed.begin(), listed.end(), entry.moduleName) == listed.end() &&
            std::find(append.begin(), append.end(), entry.moduleName) == append.end())
            append.push_back(entry.moduleName);
    }
    return append;
}

bool ModuleSelection::KeepsListed(const std::wstring& moduleName) const {
    for (const ModuleEntry& entry : entries_)
        if (entry.moduleName == moduleName && entry.checked != 1)
            return false;
    return true;
}
