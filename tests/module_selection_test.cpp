#include "pages/general/module_selection.h"

#include <gtest/gtest.h>

namespace {
ModuleSelection Installed(std::initializer_list<const wchar_t*> modules) {
    ModuleSelection selection;
    for (const wchar_t* module : modules)
        selection.Add({0, module, module, nullptr});
    return selection;
}
} // namespace

TEST(ModuleSelection, FileChecksEachInstalledModuleOnce) {
    ModuleSelection selection = Installed({L"Clock", L"Photo", L"Visualizer"});
    EXPECT_TRUE(selection.CheckFromFile(L"Photo"));
    EXPECT_FALSE(selection.CheckFromFile(L"Photo")) << "a module named twice: the second element goes";
    EXPECT_FALSE(selection.CheckFromFile(L"Weather")) << "not installed";
    EXPECT_FALSE(selection.CheckFromFile(L"photo")) << "module names are compared case-sensitively";
    EXPECT_EQ(selection.entries()[1].checked, 1);
    EXPECT_EQ(selection.entries()[0].checked, 0);
    EXPECT_FALSE(selection.IsModified());
}

TEST(ModuleSelection, UncheckingAndRecheckingIsNoChange) {
    ModuleSelection selection = Installed({L"Clock", L"Photo"});
    selection.CheckFromFile(L"Clock");
    selection.entries()[0].checked = 0;
    EXPECT_TRUE(selection.IsModified());
    selection.entries()[0].checked = 1;
    EXPECT_FALSE(selection.IsModified());
    selection.entries()[1].checked = 1;
    EXPECT_TRUE(selection.IsModified());
}

TEST(ModuleSelection, NewlyCheckedModulesAreAppendedAfterTheListedOnes) {
    ModuleSelection selection = Installed({L"Clock", L"Photo", L"Music"});
    selection.CheckFromFile(L"Music");
    selection.entries()[0].checked = 1;
    selection.entries()[1].checked = 1;
    EXPECT_EQ(selection.ModulesToAppend({L"Music"}), (std::vector<std::wstring>{L"Clock", L"Photo"}));
    EXPECT_TRUE(selection.KeepsListed(L"Music"));
    selection.entries()[2].checked = 0;
    EXPECT_FALSE(selection.KeepsListed(L"Music"));
    EXPECT_TRUE(selection.KeepsListed(L"Weather")) << "only an unchecked installed module removes its element";
}

TEST(ModuleSelection, ForgettingUnchecksEverything) {
    ModuleSelection selection = Installed({L"Clock"});
    selection.CheckFromFile(L"Clock");
    selection.ForgetLoaded();
    EXPECT_EQ(selection.entries()[0].checked, 0);
    EXPECT_FALSE(selection.IsModified());
    EXPECT_TRUE(selection.CheckFromFile(L"Clock"));
}
