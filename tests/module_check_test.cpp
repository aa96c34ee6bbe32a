// The module authors' checker, run as its own process on the shipped sample module and on broken copies.
#include "test_env.h"

#include <gtest/gtest.h>

using namespace testenv;

namespace {

struct CheckRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// Runs the checker with its standard output going to a file, and reads that file back.
CheckRun RunChecker(const std::wstring& arguments) {
    TempFolder folder(L"checkout");
    const std::wstring outputPath = folder / L"out.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE output = ::CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION info = {};
    std::wstring commandLine = L"\"" + FolderOfThisExecutable() + L"\\SkylumeModuleCheck.exe\" " + arguments;
    CheckRun run;
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
        ::WaitForSingleObject(info.hProcess, 60000);
        ::GetExitCodeProcess(info.hProcess, &run.exitCode);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
    }
    ::CloseHandle(output);
    run.output = ReadFile(outputPath).value_or("");
    return run;
}

TEST(ModuleCheck, SampleModuleIsAcceptedWhole) {
    const CheckRun run = RunChecker(L"\"" + SourceFile(L"data/sample-module/Weather") + L"\" --language deu");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_NE(run.output.find("preference_deu.xml"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("6 accepted, 0 refused"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("accepted  [Anzeige] days (slider) label \"Tage:\", starts with \"3\""),
              std::string::npos)
        << run.output;
    EXPECT_EQ(run.output.find("refused "), std::string::npos) << run.output;
}

TEST(ModuleCheck, BrokenCopyNamesEveryRefusedItemWithItsRule) {
    TempFolder module(L"Broken");
    ASSERT_TRUE(
        WriteFile(module / L"preference.xml",
                  "<conf_window name='Broken'>"
                  "<item name='fine'><control name='editbox'><label>Fine</label></control></item>"
                  "<item name='flat'><control name='slider'><label>s</label><min>5</min><max>5</max></control></item>"
                  "<item name='empty'><control name='combobox'><label>c</label></control></item>"
                  "<item name='gauge'><control name='gauge'><label>g</label></control></item>"
                  "<item name='bool'><control name='checkbox'><label>b</label><default>true</default></control></item>"
                  "<item><item name='orphan'><control name='checkbox'><label>o</label></control></item></item>"
                  "</conf_window>"));
    const CheckRun run = RunChecker(L"\"" + module.path() + L"\" --language usa");
    EXPECT_EQ(run.exitCode, 1u) << run.output;
    for (const char* expected :
         {"refused   flat - slider: min is not less than max", "refused   empty - combobox: no option",
          "refused   gauge - no control of a known type",
          "refused   orphan - it stands in a group without a group title",
          "note: default \"true\" ignored: a check box takes only 1 or 0", "accepted  fine (editbox)",
          "refused   - a group without a group title", "2 accepted, 5 refused"})
        EXPECT_NE(run.output.find(expected), std::string::npos) << expected << "\n" << run.output;

    ASSERT_TRUE(WriteFile(module / L"preference.xml", "<conf_window description='no name'/>"));
    ASSERT_TRUE(WriteFile(module / L"preference_usa.xml", "<conf_window name='x'"));
    const CheckRun none = RunChecker(L"\"" + module.path() + L"\" --language usa");
    EXPECT_EQ(none.exitCode, 1u);
    EXPECT_NE(none.output.find("preference_usa.xml: missing or not well-formed"), std::string::npos) << none.output;
    EXPECT_NE(none.output.find("preference.xml: conf_window has no name attribute"), std::string::npos) << none.output;
    EXPECT_NE(none.output.find("No page would be built."), std::string::npos) << none.output;
}

TEST(ModuleCheck, PictureOfThePageInTheChosenLanguage) {
    TempFolder out(L"picture");
    const CheckRun run = RunChecker(L"\"" + SourceFile(L"data/sample-module/Weather") +
                                    L"\" --language jpn --picture \"" + (out / L"page.png") + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    auto picture = ReadFile(out / L"page.png");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(RunChecker(L"--language xyz folder").exitCode, 2u);
}

} // namespace
