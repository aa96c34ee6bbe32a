// Works on one data file from a process of its own, for the atomic-save tests:
//     file_churn read <file> <old> <new> <stop file>      reads the file whole, again and again, until <stop
//                                                         file> exists; prints how many reads matched <old>,
//                                                         <new> and neither
//     file_churn save <file> <old> <new>                  saves <new> and <old> alternately through the XML
//                                                         layer until it is killed
#include "win32/atomic_file.h"
#include "win32/com.h"
#include "xmldata/xml_document.h"

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 5)
        return 2;
    const std::wstring mode = argv[1], file = argv[2];
    const auto oldBytes = win32::ReadWholeFile(argv[3]), newBytes = win32::ReadWholeFile(argv[4]);
    if (!oldBytes || !newBytes)
        return 3;
    if (mode == L"read" && argc > 5) {
        const std::wstring stop = argv[5];
        int sawOld = 0, sawNew = 0, sawOther = 0;
        while (::GetFileAttributesW(stop.c_str()) == INVALID_FILE_ATTRIBUTES) {
            // A plain reader: it shares reading only, as most programs do.
            HANDLE handle =
                ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            if (handle == INVALID_HANDLE_VALUE) {
                ++sawOther;
                continue;
            }
            std::string bytes(oldBytes->size() + newBytes->size() + 1, '\0');
            DWORD read = 0, total = 0;
            while (::ReadFile(handle, bytes.data() + total, DWORD(bytes.size() - total), &read, nullptr) && read)
                total += read;
            ::CloseHandle(handle);
            bytes.resize(total);
            (bytes == *oldBytes ? sawOld : bytes == *newBytes ? sawNew : sawOther)++;
        }
        std::printf("old %d new %d other %d\n", sawOld, sawNew, sawOther);
        return 0;
    }
    if (mode == L"save") {
        win32::ComInit com;
        for (bool useNew = true;; useNew = !useNew) {
            auto writer = xmldata::XmlWriter::Edit(useNew ? argv[4] : argv[3]);
            writer.Save(file);
        }
    }
    return 2;
}
