#include "shell/folders.h"
#include "test_env.h"

#include <gtest/gtest.h>

using testenv::FileExists;
using testenv::IsolatedFolders;

namespace {
class FoldersTest : public ::testing::Test {
protected:
    FoldersTest() { shell::ResetModulesFolderCache(); }
    ~FoldersTest() override { shell::ResetModulesFolderCache(); }
    IsolatedFolders folders;
};
} // namespace

TEST_F(FoldersTest, FirstRunCreatesAllThreeLevelsOnlyWhenAsked) {
    const std::wstring modules = folders.userModules();
    EXPECT_TRUE(shell::GetModulesFolder(false, L"").compare(modules) == 0);
    EXPECT_FALSE(FileExists(folders.appData() + L"\\Quillon"));

    EXPECT_EQ(shell::GetModulesFolder(true, L""), modules);
    EXPECT_TRUE(FileExists(modules));
}

TEST_F(FoldersTest, NestedRelativePathCreatesItsParents) {
    std::wstring sub = shell::GetModulesFolder(true, L"Photo/Sub");
    EXPECT_EQ(sub, folders.userModules() + L"\\Photo\\Sub");
    EXPECT_TRUE(FileExists(sub));
    EXPECT_EQ(shell::GetModulesFolder(false, L"Music\\locale"), L"");
    EXPECT_EQ(shell::GetModulesFolder(false, L"Photo"), folders.userModules() + L"\\Photo");
    EXPECT_EQ(shell::GetModulesFolder(true, L"."), folders.userModules()) << "the modules folder itself";
}

TEST_F(FoldersTest, PathsThatClimbOutOfModulesGiveNothing) {
    shell::GetModulesFolder(true, L"");
    for (bool create : {false, true}) {
        EXPECT_EQ(shell::GetModulesFolder(create, L".."), L"") << create;
        EXPECT_EQ(shell::GetModulesFolder(create, L"Clock\\..\\..\\Escape"), L"") << create;
        EXPECT_EQ(shell::GetModulesFolder(create, L"../Modules2"), L"") << create;
    }
    EXPECT_FALSE(FileExists(folders.appData() + L"\\Quillon\\Skylume\\Escape"));
    EXPECT_FALSE(FileExists(folders.appData() + L"\\Quillon\\Skylume\\Modules2"));
}

TEST_F(FoldersTest, CommonFoldersAppendTheirLiteralAndCreateNothing) {
    std::wstring modules, demo, background;
    EXPECT_TRUE(shell::GetCommonModulesFolder(modules));
    EXPECT_TRUE(shell::GetCommonDemoFolder(demo));
    EXPECT_TRUE(shell::GetCommonBackgroundFolder(background));
    EXPECT_EQ(modules, folders.commonModules());
    EXPECT_EQ(demo, folders.commonAppData() + L"\\Quillon\\Skylume\\Demo");
    EXPECT_EQ(background, folders.commonAppData() + L"\\Quillon\\Skylume\\Background");
    EXPECT_FALSE(FileExists(folders.commonAppData() + L"\\Quillon"));
}

// A replacing copy clears the read-only flag and copies a file larger than one buffer whole.
TEST_F(FoldersTest, CopyFileIfNeededKeepsOrReplacesByTheOverwriteFlag) {
    testenv::TempFolder work(L"copy");
    const std::wstring source = work / L"source.xml", target = work / L"target.xml";
    std::string content;
    for (int i = 0; i < 5000; ++i)
        content += char('a' + i % 26);
    ASSERT_TRUE(testenv::WriteFile(source, content));
    ASSERT_TRUE(testenv::WriteFile(target, "old"));
    ::SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(shell::CopyFileIfNeeded(target, source, 0), 1);
    EXPECT_EQ(testenv::ReadFile(target), "old");

    EXPECT_EQ(shell::CopyFileIfNeeded(target, source, 1), 1);
    EXPECT_EQ(testenv::ReadFile(target), content);
    EXPECT_EQ(::GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

    EXPECT_EQ(shell::CopyFileIfNeeded(work / L"fresh.xml", work / L"missing.xml", 0), 0);
}

TEST_F(FoldersTest, CopyFolderContentsFollowsDepth) {
    testenv::TempFolder source(L"src"), target(L"dst");
    testenv::MakeFolders(source / L"Sub\\Deeper");
    testenv::WriteFile(source / L"top.txt", "1");
    testenv::WriteFile(source / L"Sub\\mid.txt", "2");
    testenv::WriteFile(source / L"Sub\\Deeper\\low.txt", "3");

    EXPECT_EQ(shell::CopyFolderContents(target.path(), source.path(), 2, 0), 1);
    EXPECT_TRUE(FileExists(target / L"top.txt"));
    EXPECT_TRUE(FileExists(target / L"Sub\\mid.txt"));
    EXPECT_FALSE(FileExists(target / L"Sub\\Deeper"));

    EXPECT_EQ(shell::CopyFolderContents(target.path(), target / L"nothing-here", 1, 0), 0);
}

TEST_F(FoldersTest, CommonRssCacheSeedsFilesButNoFoldersAndKeepsTheUsersOwn) {
    const std::wstring common = folders.commonModules() + L"\\RSS\\Cache";
    testenv::MakeFolders(common + L"\\Nested");
    testenv::WriteFile(common + L"\\feed1.xml", "common 1");
    testenv::WriteFile(common + L"\\feed2.xml", "common 2");
    testenv::WriteFile(common + L"\\Nested\\inner.xml", "nested");
    const std::wstring user = folders.userModules() + L"\\RSS\\Cache";
    testenv::MakeFolders(user);
    testenv::WriteFile(user + L"\\feed2.xml", "user's own");

    shell::CopyCommonRssCache();

    EXPECT_EQ(testenv::ReadFile(user + L"\\feed1.xml"), "common 1");
    EXPECT_EQ(testenv::ReadFile(user + L"\\feed2.xml"), "user's own");
    EXPECT_FALSE(FileExists(user + L"\\Nested"));
}

TEST_F(FoldersTest, CommonRssCacheWithoutAllUsersTreeStillMakesTheUserFolder) {
    shell::CopyCommonRssCache();
    EXPECT_TRUE(FileExists(folders.userModules() + L"\\RSS\\Cache"));
}
