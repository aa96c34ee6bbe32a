// The module authors' checker, run as its own process on the shipped sample module and on broken descriptions.
#include "test_env.h"

#include <gtest/gtest.h>

#include <vector>

using namespace testenv;

namespace {

struct CheckRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;
};

// Runs the checker (in `folder` when given) with its standard output going to a file, and reads that file back.
CheckRun RunChecker(const std::wstring& arguments, const std::wstring& folder = L"") {
    TempFolder outputFolder(L"checkout");
    const std::wstring outputPath = outputFolder / L"out.txt";
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
    if (::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
        ::WaitForSingleObject(info.hProcess, 60000);
        ::GetExitCodeProcess(info.hProcess, &run.exitCode);
        ::CloseHandle(info.hProcess);
        ::CloseHandle(info.hThread);
    }
    ::CloseHandle(output);
    run.output = ReadFile(outputPath).value_or("");
    return run;
}

// The lines between "```" fences of README.md that start with `firstLine`.
std::string ReadmeBlock(const std::string& firstLine) {
    const std::string readme = WithoutCr(ReadFile(SourceFile(L"README.md")).value_or(""));
    const size_t start = readme.find("```\n" + firstLine);
    if (start == std::string::npos)
        return {};
    const size_t end = readme.find("```", start + 4);
    return readme.substr(start + 4, end == std::string::npos ? std::string::npos : end - start - 4);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

// The shipped sample in the user's language is accepted whole, and the README shows exactly what the checker says
// about it (run from the folder above it, on a machine where the module was installed before).
TEST(ModuleCheck, SampleModuleIsAcceptedWholeAsTheReadmeShows) {
    IsolatedFolders folders;
    TempFolder project(L"project");
    CopyTree(SourceFile(L"data/sample-module/Weather"), project / L"Weather");
    const CheckRun fresh = RunChecker(L"Weather --language usa", project.path());
    EXPECT_EQ(fresh.exitCode, 0u) << fresh.output;
    EXPECT_EQ(fresh.output.find("note "), std::string::npos) << "the module was never on this machine\n"
                                                             << fresh.output;

    MakeFolders(folders.commonModules() + L"\\Weather");
    const CheckRun run = RunChecker(L"Weather --language usa", project.path());
    EXPECT_EQ(run.exitCode, 0u) << "a note does not fail the check\n" << run.output;
    EXPECT_NE(run.output.find("accepted  [Display] unit (combobox) label \"Unit:\", starts with \"\xC2\xB0"
                              "F\""),
              std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("note      Weather - the module was on this machine before"), std::string::npos)
        << run.output;
    EXPECT_EQ(ReadmeBlock("Module \"Weather\""), run.output);
}

// Each broken description: the exit code, and the lines the checker prints about it (each with its key).
TEST(ModuleCheck, EveryOutcomeOfTheBrokenDescriptionsIsReportedWithItsKey) {
    IsolatedFolders folders;
    const std::string fine = "<item name='fine'><control name='editbox'><label>Fine</label></control></item>";
    struct Case {
        const wchar_t* folder;
        std::vector<std::pair<const wchar_t*, std::string>> files;
        DWORD exitCode;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {L"visualizer",
         {{L"preference.xml", "<conf_window name='Mine'>" + fine + "</conf_window>"}},
         1,
         {"error     visualizer - the settings window makes no page for a module folder of this name"}},
        {L"Nothing",
         {},
         1,
         {"note      preference_usa.xml - missing", "error     preference.xml - missing", "No page would be built."}},
        {L"Damaged",
         {{L"preference_usa.xml", "<conf_window name='x'>\n<item name='a'>\n</conf_window>"},
          {L"preference.xml", "<conf_window name='Mine'>" + fine + "</conf_window>"}},
         1,
         {"warning   preference_usa.xml:3:", " - not well-formed: ", "; preference.xml is used instead",
          "accepted  fine (editbox)"}},
        {L"Refused",
         {{L"preference.xml", "<conf_window description='no name'/>"}},
         1,
         {"note      preference_usa.xml - missing", "error     preference.xml - conf_window has no name attribute",
          "No page would be built."}},
        {L"Empty",
         {{L"preference.xml", "<conf_window name='Empty'><item><group>G</group></item></conf_window>"}},
         1,
         {"refused   [G] - no item of the group was accepted",
          "error     conf_window - the page would show no setting"}},
        {L"Broken",
         {{L"preference.xml",
           "<conf_window name=''>" + fine +
               "<item name='flat'><control name='slider'><label>s</label><min>5</min><max>5</max></control></item>"
               "<item name='empty'><control name='combobox'><label>c</label></control></item>"
               "<item name='gauge'><control name='gauge'><label>g</label></control></item>"
               "<item name='bool'><control name='checkbox'><label>b</label><default>true</default></control></item>"
               "<item><group>G</group>"
               "<item name='fine'><control name='checkbox'><label>Again</label></control></item>"
               "<item name=''><control name='editbox'><label>E</label></control></item>"
               "<item name='step'><control name='slider'><label>s</label><min>15</min><max>120</max>"
               "<delta>15</delta><default>20</default></control></item>"
               "<item name='zeros'><control name='slider'><label>z</label><min>0</min><max>10</max>"
               "<delta>two</delta><default>007</default></control></item>"
               "<item name='file'><control name='fileselector'><label>f</label><filter ext='.jpg'>JPEG</filter>"
               "<filter ext='*.png'>PNG</filter></control></item></item>"
               "<item><item name='orphan'><control name='checkbox'><label>o</label></control></item></item>"
               "</conf_window>"}},
         1,
         {"warning   conf_window - the name is empty", "accepted  fine (editbox)",
          "refused   flat - slider: min is not less than max", "refused   empty - combobox: no option",
          "refused   gauge - no control of a known type",
          "warning   bool - default \"true\" ignored: a check box takes only 1 or 0",
          "warning   [G] fine - an earlier item has the same name: both values are saved under it, and after a "
          "restart this item shows the earlier one's value",
          "warning   [G] \"\" - the name is empty",
          "warning   [G] step - default \"20\" is off the step of 15 from min: the page shows 15 and the first OK "
          "saves it",
          "warning   [G] zeros - delta \"two\" is not a decimal integer and is ignored: the step is 1",
          "warning   [G] zeros - default \"007\" is not written as the page writes numbers: the first OK saves \"7\"",
          "warning   [G] file - filter \"JPEG\": ext \".jpg\" has a dot or star", "write \"jpg\"",
          "warning   [G] file - filter \"PNG\": ext \"*.png\" has a dot or star", "write \"png\"",
          "refused   orphan - it stands in a group without a group title",
          "7 accepted, 5 refused, 10 warnings, 0 errors.",
          "A page would be built; some items are refused or not shown as described."}},
    };
    for (const Case& test : cases) {
        TempFolder root(L"modules");
        const std::wstring module = root / test.folder;
        MakeFolders(module);
        for (const auto& [name, xml] : test.files)
            ASSERT_TRUE(WriteFile(module + L"\\" + name, xml));
        const CheckRun run = RunChecker(Quoted(module) + L" --language usa");
        EXPECT_EQ(run.exitCode, test.exitCode) << run.output;
        for (const std::string& line : test.lines)
            EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
        const std::wstring name = test.folder;
        EXPECT_EQ(run.output.find("note      " + std::string(name.begin(), name.end())), std::string::npos)
            << "never installed here\n"
            << run.output;
    }
}

// The picture's size is the page's in the chosen language, here Japanese; a usage error exits 2, /? prints the
// usage in the system's language (English here) and exits 0.
TEST(ModuleCheck, PictureInTheChosenLanguageAndUsage) {
    TempFolder out(L"picture");
    const CheckRun run = RunChecker(Quoted(SourceFile(L"data/sample-module/Weather")) + L" --language jpn --picture " +
                                    Quoted(out / L"page.png"));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    auto picture = ReadFile(out / L"page.png");
    ASSERT_TRUE(picture);
    ASSERT_GE(picture->size(), 24u);
    EXPECT_EQ(picture->substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    auto bigEndian = [&](size_t at) {
        return (unsigned(uint8_t((*picture)[at])) << 24) | (unsigned(uint8_t((*picture)[at + 1])) << 16) |
               (unsigned(uint8_t((*picture)[at + 2])) << 8) | unsigned(uint8_t((*picture)[at + 3]));
    };
    // The page is 312 of the Japanese font's dialog units wide (7 pixels to 4 units), as in the settings window; as
    // high as the window's 488-pixel client (its template's 300 units) less the title band and the buttons.
    EXPECT_EQ(bigEndian(16), 546u);
    EXPECT_EQ(bigEndian(20), 396u);

    EXPECT_EQ(RunChecker(L"--language xyz folder").exitCode, 2u);
    const CheckRun usage = RunChecker(L"/?");
    EXPECT_EQ(usage.exitCode, 0u);
    EXPECT_NE(usage.output.find("Checks an additional module's settings description"), std::string::npos)
        << usage.output;
    EXPECT_NE(usage.output.find("Exit status: 0 when"), std::string::npos) << usage.output;
}

} // namespace
