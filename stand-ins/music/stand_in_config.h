// Switches and files the music stand-ins read, set by tests and the demo under
// HKCU\Software\SkylumeStandIns\<part>.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace standin {

std::optional<DWORD> ReadSwitch(const wchar_t* part, const wchar_t* name);
std::optional<std::wstring> ReadText(const wchar_t* part, const wchar_t* name);
// Counts a "not yet" answer down: true (and one less) while the value is above zero.
bool TakeOneFromCount(const wchar_t* part, const wchar_t* name);
// Whether the text switch `name` names `path` or is "*".
bool SwitchNamesPath(const wchar_t* part, const wchar_t* name, const std::wstring& path);

// The folder of this library.
std::wstring ModuleFolder();
// The text of a UTF-8 file, converted in one piece; empty when it cannot be read.
std::wstring FromUtf8(const std::string& text);
std::string ReadFileBytes(const std::wstring& path);
std::wstring ReadTextFile(const std::wstring& path);
// Lines of a UTF-8 text file, without line ends; empty when it cannot be read.
std::vector<std::wstring> ReadLines(const std::wstring& path);
void WriteLines(const std::wstring& path, const std::vector<std::wstring>& lines);
void AppendLine(const std::wstring& path, const std::wstring& line);

void AddObject();
void ReleaseObject();
bool HasObjects();

} // namespace standin
