// The changed-modules file, the broadcast, and the display-program monitor that records them.
#include "shell/binary_io.h"
#include "shell/display_link.h"
#include "shell/folders.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace testenv;

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (int value : values)
        bytes.push_back(char(value));
    return bytes;
}

} // namespace

// The timer flag, the count, then each name as a counted UTF-16 string (the flag alone is checked on the written
// file below).
TEST(ChangedModulesFile, FlagCountAndUtf16Names) {
    EXPECT_EQ(shell::BuildChangedModulesFile({L"Photo"}, 0),
              Bytes({0, 0, 0, 0, 1, 0, 0, 0, 5, 0, 0, 0, 'P', 0, 'h', 0, 'o', 0, 't', 0, 'o', 0}));
    // The modules folder's own file is the empty name.
    EXPECT_EQ(shell::BuildChangedModulesFile({L"", L"RSS"}, 0),
              Bytes({0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 'R', 0, 'S', 0, 'S', 0}));
    EXPECT_EQ(shell::BuildChangedModulesFile({L"\u6642\u8a08"}, 0).substr(8),
              Bytes({2, 0, 0, 0, 0x42, 0x66, 0x08, 0x8A}));
}

TEST(BinaryReader, LengthsBeyondTheEndAreRefused) {
    shell::BinaryReader reader(Bytes({3, 0, 0, 0, 'a', 0, 'b', 0}));
    EXPECT_FALSE(reader.GetString());
    EXPECT_EQ(reader.remaining(), 8u) << "a refused string consumes nothing";
    shell::BinaryReader huge(Bytes({0xFF, 0xFF, 0xFF, 0x7F, 'a', 0}));
    EXPECT_FALSE(huge.GetString());
    shell::BinaryReader shortInt(Bytes({1, 0, 0}));
    EXPECT_FALSE(shortInt.GetUint32());
}

TEST(BinaryReader, ReadsWhatTheWriterWrote) {
    shell::BinaryWriter writer;
    writer.PutUint32(0xABE00001);
    writer.PutString(L"Calendar");
    writer.PutString(L"");
    shell::BinaryReader reader(writer.bytes());
    EXPECT_EQ(reader.GetUint32(), 0xABE00001u);
    EXPECT_EQ(reader.GetString(), L"Calendar");
    EXPECT_EQ(reader.GetString(), L"");
    EXPECT_EQ(reader.remaining(), 0u);
}

class ChangedModulesWrite : public ::testing::Test {
protected:
    ChangedModulesWrite() { shell::ResetModulesFolderCache(); }
    ~ChangedModulesWrite() override { shell::ResetModulesFolderCache(); }
    std::wstring CmfPath() const { return folders.userModules() + L"\\cmf.dat"; }
    IsolatedFolders folders;
};

TEST_F(ChangedModulesWrite, NothingChangedLeavesAnOlderFileAlone) {
    MakeFolders(folders.userModules());
    ASSERT_TRUE(WriteFile(CmfPath(), "older"));
    shell::WriteChangedModulesFile({}, 0);
    EXPECT_EQ(ReadFile(CmfPath()), "older");
}

TEST_F(ChangedModulesWrite, ReadOnlyFileIsReplacedWhole) {
    MakeFolders(folders.userModules());
    ASSERT_TRUE(WriteFile(CmfPath(), std::string(100, 'x')));
    ::SetFileAttributesW(CmfPath().c_str(), FILE_ATTRIBUTE_READONLY);
    shell::WriteChangedModulesFile({L"Clock"}, 0);
    EXPECT_EQ(ReadFile(CmfPath()), shell::BuildChangedModulesFile({L"Clock"}, 0));
}

TEST_F(ChangedModulesWrite, FirstRunCreatesTheModulesFolder) {
    shell::WriteChangedModulesFile({}, 1);
    EXPECT_EQ(ReadFile(CmfPath()), Bytes({1, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(ChangedModulesWrite, MonitorRecordsEachCodeWithTheFileAsItWas) {
    DisplayMonitor monitor;
    shell::BroadcastCode(shell::kCodeTimerSwitchedOff);
    EXPECT_EQ(monitor.Codes(), "0xABE00004 -\r\n");

    shell::WriteChangedModulesFile({L"Music"}, 0);
    shell::BroadcastCode(shell::kCodeSettingsSaved);
    EXPECT_EQ(monitor.Codes(), "0xABE00004 -\r\n0xABE00001 cmf-2.dat\r\n");
    EXPECT_EQ(ReadFile(monitor / L"cmf-2.dat"), shell::BuildChangedModulesFile({L"Music"}, 0));
}
