// Which modules the General page shows as checked, kept apart from the list window so it can be tested alone.
#pragma once
#include <string>
#include <vector>

class CConfWindowInf;

struct ModuleEntry {
    int checked = 0;
    std::wstring name;              // the page title, cut before " - "
    std::wstring moduleName;        // the module folder the page edits
    CConfWindowInf* page = nullptr; // the module's settings page
};

class ModuleSelection {
public:
    void Add(ModuleEntry entry) { entries_.push_back(std::move(entry)); }
    std::vector<ModuleEntry>& entries() { return entries_; }
    const std::vector<ModuleEntry>& entries() const { return entries_; }

    // Unchecks everything and forgets what the file said.
    void ForgetLoaded();
    // Checks the first still-unchecked entry for the module a `sub` element names; false when none is left
    // (a module that is not installed, or one named twice), so that element should go.
    bool CheckFromFile(const std::wstring& moduleName);
    bool IsModified() const;

    // For a save: the modules to append (checked, not yet listed) and whether a listed module stays.
    std::vector<std::wstring> ModulesToAppend(const std::vector<std::wstring>& listed) const;
    bool KeepsListed(const std::wstring& moduleName) const;

private:
    std::vector<ModuleEntry> entries_;
    std::vector<size_t> loadedChecked_; // entries checked by the file, in the file's order
};
