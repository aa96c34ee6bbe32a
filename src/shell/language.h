// The eight user-interface languages: which one is active, and the resource library that supplies its texts.
#pragma once
#include "win32/handle.h"

#include <string>

namespace shell {

inline constexpr int kLanguageCount = 8;
inline constexpr int kFallbackLanguage = 5; // "usa"

// Index from the system default locale.
int GetSystemLanguageIndex();
// Index from the system locale unless a data.xml names a language in ./locale; computed once per run.
int GetLanguageIndex();
// The language of a user who names none: the all-users data.xml's ./locale, else the system locale's.
int GetAllUsersLanguageIndex();
// Forgets the cached index (for in-process tests that change the data files between cases).
void ResetLanguageIndexCache();
// Three-letter code; indexes outside 0-7 give the code of index 5.
std::wstring GetLanguageCode(int index);
// Full path of the language's resource library in the program folder.
std::wstring GetLanguageLibraryName(int index);
// The language index that a ./locale text names, or -1. Only the exact lower-case codes count.
int LanguageIndexFromCode(const std::wstring& code);

// Owns the loaded resource library of the active language.
class LanguageResources {
public:
    // Loads the library of GetLanguageIndex() and makes it the source of every resource; false on failure.
    bool LoadLanguageResources();
    void Release();
    HMODULE handle() const { return library_.get(); }

private:
    win32::Module library_;
};

// Loads a string from the library of the system-locale language (not the active one).
bool LoadStringFromSystemLanguage(std::wstring& text, unsigned id);

// The text shown when the active language's library is missing, held in the program itself.
std::wstring MissingResourcesText(int languageIndex);

} // namespace shell
