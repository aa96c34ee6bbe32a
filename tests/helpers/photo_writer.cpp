// Saves the photo data file at argv[1] argv[3] times with every interval set to argv[2], as a second process
// writing the file would; exit code 0 when every save succeeded.
#include "pages/photo/photo_data.h"
#include "win32/com.h"

#include <cwchar>
#include <shellapi.h>

int wmain(int argc, wchar_t** argv) {
    if (argc < 4)
        return 2;
    win32::ComInit com;
    PhotoViews views{};
    for (auto& view : views)
        view.interval = std::wcstol(argv[2], nullptr, 10);
    const int rounds = std::wcstol(argv[3], nullptr, 10);
    for (int i = 0; i < rounds; ++i) {
        CPhotoData data;
        data.Load(argv[1], false);
        if (!data.Save(argv[1], views, {}))
            return 1;
    }
    return 0;
}
