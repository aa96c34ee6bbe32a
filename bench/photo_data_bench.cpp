// Data-file benchmark: a photo data file of 10,000 items loaded and saved as the photo page does it, beside
// MSXML's own load and save of the same file; a background list of 10,000 paths read and written, beside a plain
// read and write of the same bytes. Prints the medians and their ratios.
//
//     photo_data_bench.exe <scratch folder> [runs]
#include "pages/display/background_files.h"
#include "pages/display/background_list.h"
#include "pages/photo/photo_data.h"
#include "win32/atomic_file.h"
#include "win32/com.h"
#include "win32/handle.h"
#include "xmldata/xml_document.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kItems = 10000;
constexpr int kDistinctPhotos = 100;

double Milliseconds(const std::function<void()>& work) {
    LARGE_INTEGER frequency, begin, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&begin);
    work();
    ::QueryPerformanceCounter(&end);
    return double(end.QuadPart - begin.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char* what, const std::vector<double>& ours, const char* baselineName,
            const std::vector<double>& baseline) {
    const double a = Median(ours), b = Median(baseline);
    std::printf("%-34s %9.2f ms   %-28s %9.2f ms   ratio %.2f\n", what, a, baselineName, b, b > 0 ? a / b : 0.0);
}

bool WritePlain(const std::wstring& path, const std::string& bytes) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    ::CloseHandle(file);
    return ok;
}

std::string ReadPlain(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    LARGE_INTEGER size = {};
    ::GetFileSizeEx(file, &size);
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr);
    ::CloseHandle(file);
    return bytes;
}

// A photo data file of kItems file items (every hundredth inside a folder item), naming kDistinctPhotos real
// files so that every existence check the load makes finds a file.
std::wstring MakePhotoData(const std::wstring& folder) {
    std::vector<std::wstring> photos;
    for (int i = 0; i < kDistinctPhotos; ++i) {
        photos.push_back(folder + L"\\photo" + std::to_wstring(i) + L".jpg");
        WritePlain(photos.back(), "\xFF\xD8");
    }
    PhotoViews views{};
    for (auto& view : views)
        view.interval = 15;
    std::vector<std::unique_ptr<CPhotoItem>> owned;
    std::vector<CPhotoItem*> shown;
    for (int i = 0; i < kItems; i += 100) {
        auto holder = std::make_unique<CPhotoFolderItem>(folder);
        for (int j = 0; j < 99; ++j) {
            auto file = std::make_unique<CPhotoFileItem>(photos[size_t(j % kDistinctPhotos)]);
            file->src = L"D:\\Camera\\IMG_" + std::to_wstring(i + j) + L".JPG";
            shown.push_back(file.get());
            owned.push_back(std::move(file));
        }
        holder->files.push_back(std::make_unique<CPhotoFileItem>(photos[0]));
        shown.push_back(holder.get());
        owned.push_back(std::move(holder));
    }
    const std::wstring path = folder + L"\\data.xml";
    ::DeleteFileW(path.c_str()); // a save carries forward the garbage that an earlier run's file holds
    CPhotoData data;
    data.Save(path, views, shown);
    return path;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return 2;
    const std::wstring folder = argv[1];
    const int runs = argc > 2 ? std::max(1, _wtoi(argv[2])) : 5;
    win32::ComInit com;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = MakePhotoData(folder);
    const std::wstring copy = folder + L"\\msxml-copy.xml";

    // The page's load makes its own document and drops it before it returns, so the baseline load does too; the
    // baseline save writes a document that is already built. The page's save also reads the file on disk for the
    // garbage entries that another process may have added, and flushes its file to disk before the file takes the
    // old one's place; the read is timed alone as well, and MSXML's save is also shown followed by a flush.
    std::vector<double> pageLoad, pageSave, mergeRead, domLoad, domSave, domSaveFlushed;
    for (int run = 0; run < runs; ++run) {
        CPhotoData data;
        pageLoad.push_back(Milliseconds([&] { data.Load(path, false); }));
        PhotoViews views;
        std::vector<CPhotoItem*> shown;
        data.Fill(views, shown);
        pageSave.push_back(Milliseconds([&] { data.Save(path, views, shown); }));
        std::vector<std::wstring> garbage;
        mergeRead.push_back(Milliseconds([&] { CPhotoData::ReadGarbage(path, garbage); }));
        domLoad.push_back(Milliseconds([&] {
            xmldata::XmlDocument document;
            document.Load(path);
        }));
        xmldata::XmlDocument document;
        document.Load(path);
        auto saveCopy = [&] {
            win32::Variant target;
            target.get()->vt = VT_BSTR;
            target.get()->bstrVal = ::SysAllocString(copy.c_str());
            document.dom()->save(*target.get());
        };
        domSave.push_back(Milliseconds(saveCopy));
        domSaveFlushed.push_back(Milliseconds([&] {
            saveCopy();
            win32::FileHandle file(
                ::CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            ::FlushFileBuffers(file.get());
        }));
    }
    std::printf("photo data file: %d items, %d runs\n", kItems, runs);
    Report("page load (CPhotoData::Load)", pageLoad, "MSXML create, load, drop", domLoad);
    Report("page save (CPhotoData::Save)", pageSave, "MSXML save", domSave);
    Report("page save (CPhotoData::Save)", pageSave, "MSXML save, then flushed", domSaveFlushed);
    std::printf("  of the page save, its read of the file on disk for garbage (ReadGarbage): %.2f ms\n",
                Median(mergeRead));

    // Once the file holds garbage entries (photos removed since an earlier save), the save's read of them parses
    // the whole file: shown beside the same baseline.
    {
        const std::wstring withGarbage = folder + L"\\data-with-garbage.xml";
        ::CopyFileW(path.c_str(), withGarbage.c_str(), FALSE);
        CPhotoData data;
        data.Load(withGarbage, false);
        PhotoViews views;
        std::vector<CPhotoItem*> shown;
        data.Fill(views, shown);
        for (size_t i = 0; i < 20; ++i)
            shown[i]->removed = 1;
        const std::vector<CPhotoItem*> kept(shown.begin() + 20, shown.end());
        data.Save(withGarbage, views, kept);
        for (size_t i = 0; i < 20; ++i)
            shown[i]->removed = 0;
        std::vector<double> saves;
        for (int run = 0; run < runs; ++run)
            saves.push_back(Milliseconds([&] { data.Save(withGarbage, views, kept); }));
        Report("page save, file with garbage", saves, "MSXML save", domSave);
    }

    std::vector<std::wstring> paths;
    for (int i = 0; i < 10000; ++i)
        paths.push_back(L"C:\\ProgramData\\Quillon\\Skylume\\Background\\picture-" + std::to_wstring(i) + L".jpg");
    const std::wstring list = folder + L"\\bkimglist.dat", plain = folder + L"\\plain.dat";
    const std::string bytes = display::SerializeBackgroundList(paths);
    std::vector<double> listRead, listWrite, plainRead, plainWrite;
    for (int run = 0; run < runs; ++run) {
        listWrite.push_back(Milliseconds([&] { display::WriteBackgroundListFile(list, paths); }));
        plainWrite.push_back(Milliseconds([&] { WritePlain(plain, bytes); }));
        listRead.push_back(Milliseconds([&] { display::ReadBackgroundListFile(list); }));
        plainRead.push_back(Milliseconds([&] { ReadPlain(plain); }));
    }
    std::printf("background list: %zu paths, %zu bytes\n", paths.size(), bytes.size());
    Report("list read (ReadBackgroundListFile)", listRead, "plain read", plainRead);
    Report("list write (atomic)", listWrite, "plain write", plainWrite);
    return 0;
}
