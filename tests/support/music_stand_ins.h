// The music stand-ins (folder watcher, media database, media player library) registered for the life of the
// object, with their switches under HKCU\Software\SkylumeStandIns cleared before and after.
#pragma once
#include "test_env.h"

#include <string>
#include <vector>

namespace testenv {

class MusicStandIns {
public:
    MusicStandIns();
    ~MusicStandIns();
    MusicStandIns(const MusicStandIns&) = delete;
    MusicStandIns& operator=(const MusicStandIns&) = delete;

    // The folder watcher's list for a client, and the calls that changed lists ("register\tclient\tpath").
    std::vector<std::wstring> Folders(const std::wstring& client = L"Skylume") const;
    void SetFolders(const std::vector<std::wstring>& folders, const std::wstring& client = L"Skylume") const;
    std::vector<std::wstring> Calls() const;
    // Fixture lines (see the stand-ins' music_fixture.h) served by the media database and media player.
    void SetFixture(const std::vector<std::wstring>& lines) const;
    void SetSwitch(const wchar_t* part, const wchar_t* name, DWORD value) const;
    void SetText(const wchar_t* part, const wchar_t* name, const std::wstring& value) const;
    std::optional<DWORD> Switch(const wchar_t* part, const wchar_t* name) const;
    // No class registered for any of the three, as on a machine without the media software; "WMPlayer.OCX"
    // names the platform's own player again. The object registers them anew when it goes.
    void Unregister() const;

private:
    TempFolder state_{L"music-stand-ins"};
};

} // namespace testenv
