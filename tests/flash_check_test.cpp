#include "shell/flash_check.h"
#include "test_env.h"
#include "win32/com.h"

#include <gtest/gtest.h>

namespace {
struct FlashCase {
    std::optional<DWORD> installed;
    int expectedResult;
};
class FlashCheck : public ::testing::TestWithParam<FlashCase> {};
} // namespace

TEST_P(FlashCheck, ReportsWhetherTheInstalledPlayerIsRecentEnough) {
    win32::ComInit com;
    testenv::FlashPlayer player(GetParam().installed);
    uint32_t version = 0xDEADBEEF;
    EXPECT_EQ(shell::CheckFlashPlayer(shell::kFlashRequiredVersion, version), GetParam().expectedResult);
    if (GetParam().installed)
        EXPECT_EQ(version, *GetParam().installed);
    else
        EXPECT_EQ(version, 0xDEADBEEFu) << "nothing is reported when no player is installed";
}

INSTANTIATE_TEST_SUITE_P(Versions, FlashCheck,
                         ::testing::Values(FlashCase{std::nullopt, -1}, FlashCase{0x00070000, 0},
                                           FlashCase{0x0007FFFF, 0}, FlashCase{0x00080000, 1},
                                           FlashCase{0x00090000, 1}));

TEST(FlashCheck, RegisteredKeyWithoutAWorkingServerCountsAsMissing) {
    win32::ComInit com;
    testenv::FlashPlayer player(0x00090000);
    const wchar_t* key = L"SOFTWARE\\Classes\\CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";
    HKEY server = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_WRITE, &server), ERROR_SUCCESS);
    const wchar_t missing[] = L"C:\\nowhere\\flash.ocx";
    ::RegSetValueExW(server, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(missing), sizeof(missing));
    ::RegCloseKey(server);
    uint32_t version = 0;
    EXPECT_EQ(shell::CheckFlashPlayer(shell::kFlashRequiredVersion, version), -1);
}
