#include "xmldata/xml_document.h"
#include "xmldata/xml_escape.h"
#include "test_env.h"
#include "win32/handle.h"
#include "win32/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using testenv::FileExists;
using testenv::ReadFile;
using testenv::TempFolder;
using testenv::WithoutCr;
using testenv::WriteFile;
using xmldata::Layout;
using xmldata::XmlDocument;
using xmldata::XmlError;
using xmldata::XmlWriter;

namespace {

class XmlDataTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(com.ok()); }

    std::wstring File(const std::wstring& content) {
        WriteFile(path, win32::WideToUtf8(content));
        return path;
    }
    bool ReadOnly() const {
        DWORD attributes = ::GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    }
    // The saved file as text without CRs, a declaration or a final line break, for comparing documents whose
    // layout is compact: Wine's `xml` property indents those on its own, its save does not.
    std::string Saved() const {
        std::string text = WithoutCr(ReadFile(path).value_or(""));
        if (text.starts_with("<?xml"))
            text.erase(0, text.find("?>") + 2);
        while (!text.empty() && (text.front() == '\n'))
            text.erase(0, 1);
        while (!text.empty() && (text.back() == '\n'))
            text.pop_back();
        return text;
    }
    static std::wstring RootXml(const XmlDocument& doc) {
        std::wstring xml = doc.Xml();
        // The DOM may add a line break after the document element; what is inside it is what we check.
        while (!xml.empty() && (xml.back() == L'\n' || xml.back() == L'\r'))
            xml.pop_back();
        return xml;
    }
    // Loads the file afresh, as the next page operation would.
    static XmlDocument Reload(const std::wstring& file) {
        XmlDocument doc;
        EXPECT_TRUE(doc.Load(file));
        return doc;
    }

    win32::ComInit com;
    TempFolder folder{L"xmldata"};
    std::wstring path = folder / L"data.xml";
};

TEST_F(XmlDataTest, EmptyRootFindsNothingAndStyleASaveAddsUnderIt) {
    File(L"<conf_data/>");
    {
        XmlDocument doc;
        ASSERT_TRUE(doc.Load(path));
        ASSERT_TRUE(doc.Root());
        EXPECT_EQ(xmldata::BaseName(doc.Root()), L"conf_data");
        EXPECT_FALSE(doc.SelectNode(L"./background"));
        EXPECT_FALSE(doc.SelectText(L"./setting/calendar"));
        EXPECT_TRUE(doc.SelectNodes(L"./modules/sub").empty());
        EXPECT_FALSE(xmldata::GetAttribute(doc.Root(), L"position"));
        EXPECT_FALSE(xmldata::NamedItemText(doc.Root(), L"position"));
    }

    XmlWriter writer = XmlWriter::Edit(path);
    ASSERT_TRUE(writer.loaded());
    auto setting = writer.AppendElement(writer.Root(), L"setting");
    writer.SetText(setting, L"calendar", L"mon");
    ASSERT_TRUE(writer.Save(path));

    XmlDocument doc = Reload(path);
    EXPECT_EQ(doc.SelectText(L"./setting/calendar"), L"mon");
    EXPECT_EQ(doc.SelectNodes(L"/conf_data").size(), 1u);
    EXPECT_EQ(Saved(), "<conf_data><setting><calendar>mon</calendar></setting></conf_data>");
}

TEST_F(XmlDataTest, QueriesRelativeToRootDocumentAndNode) {
    File(L"<conf_data><main><maxitem>7</maxitem><sort>date</sort></main>"
         L"<modules><sub>Clock</sub><sub>Photo</sub><sub>RSS</sub></modules></conf_data>");
    XmlDocument doc = Reload(path);
    EXPECT_EQ(doc.SelectText(L"./main/maxitem"), L"7");
    EXPECT_EQ(doc.SelectText(L"./conf_data/main/maxitem", doc.DocumentNode()), L"7");
    EXPECT_FALSE(doc.SelectText(L"./main/maxitem", doc.DocumentNode())); // one level too high
    EXPECT_EQ(doc.SelectText(L"/conf_data/main/sort"), L"date");
    auto main = doc.SelectNode(L"./main");
    ASSERT_TRUE(main);
    EXPECT_EQ(doc.SelectText(L"./sort", main), L"date");

    std::vector<std::wstring> names;
    for (auto& sub : doc.SelectNodes(L"./modules/sub"))
        names.push_back(xmldata::Text(sub));
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Clock", L"Photo", L"RSS"}));
}

TEST_F(XmlDataTest, AttributesThroughElementAndMapAndByBaseName) {
    File(L"<conf_data xmlns:q=\"urn:q\"><background position=\"zoom\" q:mode=\"x\">C:\\a.jpg</background>"
         L"<q:extra/></conf_data>");
    XmlDocument doc = Reload(path);
    auto background = doc.SelectNode(L"./background");
    ASSERT_TRUE(background);
    EXPECT_EQ(xmldata::Text(background), L"C:\\a.jpg");
    EXPECT_EQ(xmldata::GetAttribute(background, L"position"), L"zoom");
    EXPECT_EQ(xmldata::NamedItemText(background, L"position"), L"zoom");
    EXPECT_FALSE(xmldata::GetAttribute(background, L"Position")); // names are case-sensitive
    EXPECT_FALSE(xmldata::NamedItemText(background, L"missing"));

    auto attributes = xmldata::Attributes(background);
    ASSERT_EQ(attributes.size(), 2u);
    EXPECT_EQ(attributes[0].baseName, L"position");
    EXPECT_EQ(attributes[1].baseName, L"mode");
    EXPECT_EQ(attributes[1].text, L"x");

    auto extra = xmldata::FindChild(doc.Root(), L"extra");
    ASSERT_TRUE(extra);
    EXPECT_EQ(xmldata::BaseName(extra), L"extra");
    EXPECT_FALSE(xmldata::FindChild(doc.Root(), L"Extra"));
}

TEST_F(XmlDataTest, StyleAKeepsUnknownElementsAndChangesInPlace) {
    File(L"<conf_data><unknown a=\"1\">keep<deep>me</deep></unknown><screensaving>false</screensaving></conf_data>");
    {
        XmlWriter writer = XmlWriter::Edit(path);
        ASSERT_TRUE(writer.loaded());
        auto changed = writer.SetText(writer.Root(), L"screensaving", L"true");
        ASSERT_TRUE(changed);
        writer.SetText(writer.Root(), L"spectrum", L"false");
        ASSERT_TRUE(writer.Save(path));
    }
    XmlDocument doc = Reload(path);
    EXPECT_EQ(Saved(), "<conf_data><unknown a=\"1\">keep<deep>me</deep></unknown>"
                       "<screensaving>true</screensaving><spectrum>false</spectrum></conf_data>");
    EXPECT_EQ(doc.SelectNodes(L"./screensaving").size(), 1u); // set in place, not appended again
}

TEST_F(XmlDataTest, StyleBDropsUnknownElements) {
    File(L"<conf_data><unknown>keep</unknown><sub><mode>analog</mode></sub></conf_data>");
    XmlWriter writer = XmlWriter::Rewrite();
    EXPECT_FALSE(writer.loaded());
    auto sub = writer.AppendElement(writer.Root(), L"sub");
    writer.AppendElement(sub, L"mode", L"digital");
    ASSERT_TRUE(writer.Save(path));

    XmlDocument doc = Reload(path);
    EXPECT_FALSE(doc.SelectNode(L"./unknown"));
    EXPECT_EQ(Saved(), "<conf_data><sub><mode>digital</mode></sub></conf_data>");
}

TEST_F(XmlDataTest, RemovedChildIsGoneAfterSave) {
    File(L"<conf_data><modules><sub>Clock</sub><sub>Photo</sub><sub>RSS</sub></modules></conf_data>");
    XmlWriter writer = XmlWriter::Edit(path);
    auto modules = writer.SelectNode(L"./modules");
    for (auto& sub : writer.SelectNodes(L"./sub", modules))
        if (xmldata::Text(sub) == L"Photo")
            writer.RemoveChild(modules, sub);
    ASSERT_TRUE(writer.Save(path));
    EXPECT_EQ(Saved(), "<conf_data><modules><sub>Clock</sub><sub>RSS</sub></modules></conf_data>");
}

TEST_F(XmlDataTest, SetAttributeReplacesOneOfTheSameName) {
    File(L"<conf_data><background position=\"center\" other=\"1\">x</background></conf_data>");
    XmlWriter writer = XmlWriter::Edit(path);
    auto background = writer.SelectNode(L"./background");
    writer.SetAttribute(background, L"position", L"resize");
    auto added = writer.AppendElement(writer.Root(), L"item");
    writer.SetAttribute(added, L"name", L"a&b\"c");
    ASSERT_TRUE(writer.Save(path));

    XmlDocument doc = Reload(path);
    background = doc.SelectNode(L"./background");
    EXPECT_EQ(xmldata::Attributes(background).size(), 2u);
    EXPECT_EQ(xmldata::GetAttribute(background, L"position"), L"resize");
    EXPECT_EQ(xmldata::GetAttribute(background, L"other"), L"1");
    EXPECT_EQ(xmldata::NamedItemText(doc.SelectNode(L"./item"), L"name"), L"a&b\"c");
}

// A read-only, hidden file is made writable before it is replaced: Wine would replace it even read-only, so a
// second link to the old file shows that its attributes were cleared. A reader holding the file open without
// delete sharing only delays the save.
TEST_F(XmlDataTest, ReadOnlyOrHeldFileIsSavedAndLeftWritable) {
    File(L"<conf_data><spectrum>false</spectrum></conf_data>");
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    const std::wstring oldFile = folder / L"old.xml";
    ASSERT_TRUE(::CreateHardLinkW(oldFile.c_str(), path.c_str(), nullptr));
    win32::FileHandle reader(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    std::thread release([&reader] {
        ::Sleep(300);
        reader.reset();
    });
    XmlWriter writer = XmlWriter::Edit(path);
    writer.SetText(writer.Root(), L"spectrum", L"true");
    const bool saved = writer.Save(path);
    release.join();
    ASSERT_TRUE(saved);
    EXPECT_FALSE(ReadOnly());
    EXPECT_EQ(::GetFileAttributesW(oldFile.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_EQ(Reload(path).SelectText(L"./spectrum"), L"true");
}

// A malformed or missing file does not load and has no root to query; an edit starts from an empty conf_data root
// and the save replaces it.
TEST_F(XmlDataTest, MalformedOrMissingFileLoadsFalseAndSaveReplacesIt) {
    for (bool malformed : {true, false}) {
        if (malformed)
            File(L"<conf_data><spectrum>true</spectrum>");
        else
            ::DeleteFileW(path.c_str());
        XmlDocument doc;
        EXPECT_FALSE(doc.Load(path));
        EXPECT_FALSE(doc.Root());
        EXPECT_FALSE(doc.SelectText(L"./spectrum"));
        EXPECT_TRUE(doc.SelectNodes(L"./modules/sub").empty());

        XmlWriter writer = XmlWriter::Edit(path);
        EXPECT_FALSE(writer.loaded());
        ASSERT_TRUE(writer.Root());
        EXPECT_FALSE(writer.SelectNode(L"./spectrum"));
        writer.SetText(writer.Root(), L"spectrum", L"false");
        ASSERT_TRUE(writer.Save(path));

        EXPECT_EQ(Reload(path).SelectText(L"/conf_data/spectrum"), L"false");
        EXPECT_EQ(Saved(), "<conf_data><spectrum>false</spectrum></conf_data>");
    }
}

// An edit that fails half-way (bad element or attribute name, removing a grandchild) throws and leaves the old
// file byte for byte, writable or read-only as it was.
TEST_F(XmlDataTest, FailingDomCallLeavesOldFileByteForByte) {
    const std::string old = "<conf_data>\r\n\t<keep>1</keep>\r\n\t<b a=\"1\"><c/></b>\r\n</conf_data>\r\n";
    using Edit = std::function<void(XmlWriter&)>;
    std::vector<std::pair<std::string, Edit>> edits;
    for (const wchar_t* badName : {L"1bad", L"a b", L""})
        edits.emplace_back("element " + testing::PrintToString(std::wstring(badName)),
                           [badName](XmlWriter& w) { w.AppendElement(w.Root(), badName, L"x"); });
    edits.emplace_back("attribute", [](XmlWriter& w) {
        auto b = w.SelectNode(L"./b");
        w.SetAttribute(b, L"a", L"2");
        w.SetAttribute(b, L"bad name", L"x");
    });
    edits.emplace_back("remove", [](XmlWriter& w) { w.RemoveChild(w.Root(), w.SelectNode(L"./b/c")); });
    for (const auto& [what, edit] : edits) {
        for (bool readOnly : {false, true}) {
            ASSERT_TRUE(WriteFile(path, old));
            if (readOnly) {
                ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
            }
            bool thrown = false;
            try {
                XmlWriter writer = XmlWriter::Edit(path);
                writer.SetText(writer.Root(), L"keep", L"2");
                edit(writer);
                writer.Save(path);
            } catch (const XmlError& error) {
                thrown = true;
                EXPECT_TRUE(FAILED(error.result));
            }
            EXPECT_TRUE(thrown) << what;
            EXPECT_EQ(ReadFile(path), old) << what;
            EXPECT_EQ(ReadOnly(), readOnly) << what;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        }
    }
}

TEST_F(XmlDataTest, ValidNamesAreAccepted) {
    XmlWriter writer = XmlWriter::Rewrite();
    for (const wchar_t* name : {L"x-1.a_b", L"_x", L"\u65e5\u672c\u8a9e", L"\u00e9t\u00e9"}) {
        auto element = writer.AppendElement(writer.Root(), name, L"v");
        writer.SetAttribute(element, name, L"w");
    }
    ASSERT_TRUE(writer.Save(path));
    XmlDocument doc = Reload(path);
    EXPECT_EQ(std::ranges::distance(xmldata::ChildNodes(doc.Root())), 4);
    EXPECT_EQ(xmldata::GetAttribute(doc.SelectNode(L"./x-1.a_b"), L"x-1.a_b"), L"w");
}

TEST_F(XmlDataTest, SaveToUnwritablePlaceReportsFailure) {
    XmlWriter writer = XmlWriter::Rewrite();
    writer.SetText(writer.Root(), L"spectrum", L"true");
    const std::wstring nowhere = folder / L"missing\\folder\\data.xml";
    EXPECT_FALSE(writer.Save(nowhere));
    EXPECT_FALSE(FileExists(nowhere));
}

TEST_F(XmlDataTest, IndentedLayoutFromNothing) {
    XmlWriter writer = XmlWriter::Rewrite(Layout::Indented);
    auto sub = writer.AppendElement(writer.Root(), L"sub");
    writer.AppendElement(sub, L"spectrum", L"true");
    writer.AppendElement(sub, L"jacket", L"false");
    auto main = writer.AppendElement(writer.Root(), L"main");
    writer.AppendElement(main, L"autoplay", L"true");
    ASSERT_TRUE(writer.Save(path));

    const std::wstring expected = L"<conf_data>\r\n"
                                  L"\t<sub>\r\n"
                                  L"\t\t<spectrum>true</spectrum>\r\n"
                                  L"\t\t<jacket>false</jacket>\r\n"
                                  L"\t</sub>\r\n"
                                  L"\t<main>\r\n"
                                  L"\t\t<autoplay>true</autoplay>\r\n"
                                  L"\t</main>\r\n"
                                  L"</conf_data>";
    EXPECT_EQ(RootXml(writer), expected);

    auto saved = ReadFile(path);
    ASSERT_TRUE(saved);
    EXPECT_NE(WithoutCr(*saved).find(WithoutCr(win32::WideToUtf8(expected))), std::string::npos) << *saved;

    // The text nodes are exactly the ones the layout asks for, one per gap.
    EXPECT_EQ(std::ranges::distance(xmldata::ChildNodes(writer.Root())), 5);
    EXPECT_EQ(std::ranges::distance(xmldata::ChildNodes(writer.SelectNode(L"./sub"))), 5);
}

TEST_F(XmlDataTest, IndentedLayoutAfterRootLineBreakUsesTabOnly) {
    XmlWriter writer = XmlWriter::Rewrite(Layout::Indented);
    writer.AppendText(writer.Root(), L"\r\n");
    auto item = writer.AppendElement(writer.Root(), L"item");
    writer.SetAttribute(item, L"name", L"key");
    writer.AppendElement(writer.Root(), L"item");
    ASSERT_TRUE(writer.Save(path));
    EXPECT_EQ(RootXml(writer), L"<conf_data>\r\n\t<item name=\"key\"/>\r\n\t<item/>\r\n</conf_data>");
}

TEST_F(XmlDataTest, CompactLayoutInsertsNoWhitespace) {
    File(L"<conf_data><modules><sub>Clock</sub></modules></conf_data>");
    XmlWriter writer = XmlWriter::Edit(path);
    writer.AppendElement(writer.Root(), L"background", L"C:\\b.swf");
    writer.AppendElement(writer.SelectNode(L"./modules"), L"sub", L"Music");
    ASSERT_TRUE(writer.Save(path));
    EXPECT_EQ(std::ranges::distance(xmldata::ChildNodes(writer.Root())), 2);
    EXPECT_EQ(Saved(), "<conf_data><modules><sub>Clock</sub><sub>Music</sub></modules>"
                       "<background>C:\\b.swf</background></conf_data>");
}

TEST_F(XmlDataTest, NonAsciiTextRoundTripsAsUtf8) {
    const std::wstring title = L"\u65e5\u672c\u8a9e <&> \u00e9";
    XmlWriter writer = XmlWriter::Rewrite();
    writer.AppendElement(writer.Root(), L"title", title);
    ASSERT_TRUE(writer.Save(path));

    auto saved = ReadFile(path);
    ASSERT_TRUE(saved);
    EXPECT_NE(saved->find(win32::WideToUtf8(L"\u65e5\u672c\u8a9e &lt;&amp;&gt; \u00e9")), std::string::npos) << *saved;
    EXPECT_EQ(Reload(path).SelectText(L"./title"), title);
}

TEST_F(XmlDataTest, EachOperationSeesTheFileNotAnEarlierDocument) {
    File(L"<conf_data><spectrum>false</spectrum></conf_data>");
    XmlDocument before = Reload(path);
    File(L"<conf_data><spectrum>true</spectrum></conf_data>");
    EXPECT_EQ(Reload(path).SelectText(L"./spectrum"), L"true");
    EXPECT_EQ(before.SelectText(L"./spectrum"), L"false");
}

// A file that declares its encoding is written in that encoding, and a second save changes no byte.
// Shift_JIS, which Wine's parser cannot read itself, goes through the program's code-page tables both ways.
TEST_F(XmlDataTest, DeclaredEncodingsAreWrittenAsDeclaredAndStayStable) {
    const std::wstring latin = L"caf\u00e9 na\u00efve \u00c5ngstr\u00f6m";
    struct Case {
        std::wstring text;
        std::string bytes;
        std::string expectedStart;
        std::string encodedText;
    };
    const std::string utf16Bytes = testenv::Utf16File(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<conf_data><t>" +
                                                      latin + L"</t></conf_data>");
    const std::string latin1Text = "caf\xe9 na\xefve \xc5ngstr\xf6m";
    // "東京の時計" (the clock of Tokyo) in Shift_JIS.
    const std::string sjisText = "\x93\x8c\x8b\x9e\x82\xcc\x8e\x9e\x8c\x76";
    const Case cases[] = {
        {latin, utf16Bytes, "\xFF\xFE<\0?\0x\0", std::string("c\0a\0f\0\xe9\0", 8)},
        {latin, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<conf_data><t>" + latin1Text + "</t></conf_data>",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", latin1Text},
        {L"\u6771\u4eac\u306e\u6642\u8a08",
         "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\r\n<conf_data><t>" + sjisText + "</t></conf_data>",
         "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>", sjisText},
    };
    for (const Case& c : cases) {
        const std::wstring& text = c.text;
        ASSERT_TRUE(WriteFile(path, c.bytes));
        XmlWriter first = XmlWriter::Edit(path);
        ASSERT_TRUE(first.loaded());
        first.SetText(first.Root(), L"more", L"x");
        ASSERT_TRUE(first.Save(path));
        const std::string saved = ReadFile(path).value_or("");
        EXPECT_TRUE(saved.starts_with(c.expectedStart)) << saved;
        EXPECT_NE(saved.find(c.encodedText), std::string::npos) << saved;
        EXPECT_EQ(Reload(path).SelectText(L"./t"), text);
        ASSERT_TRUE(XmlWriter::Edit(path).Save(path));
        EXPECT_EQ(ReadFile(path), saved) << "a second save writes the same bytes";
    }
}

TEST_F(XmlDataTest, TextTheDeclaredEncodingCannotHoldIsWrittenAsUtf8UnderAMatchingDeclaration) {
    ASSERT_TRUE(
        WriteFile(path, "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><conf_data><t>caf\xe9</t></conf_data>"));
    XmlWriter writer = XmlWriter::Edit(path);
    writer.SetText(writer.Root(), L"city", L"\u6771\u4eac");
    ASSERT_TRUE(writer.Save(path));
    const std::string saved = ReadFile(path).value_or("");
    EXPECT_TRUE(saved.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) << saved;
    EXPECT_EQ(Reload(path).SelectText(L"./t"), L"caf\u00e9");
    EXPECT_EQ(Reload(path).SelectText(L"./city"), L"\u6771\u4eac");
}

// Saves of a 20 MB file against a reader process and against a writer process that is killed: the file on disk
// is always one whole version.
class AtomicSaveTest : public XmlDataTest {
protected:
    // A version of the file exactly as a save writes it.
    std::wstring MakeVersion(const std::wstring& name, const std::string& value) {
        std::string raw = "<conf_data><screensaving>" + value + "</screensaving><modules><sub>Clock</sub></modules>";
        raw.reserve(21 << 20);
        for (int i = 0; raw.size() < (20 << 20); ++i)
            raw += "<item name=\"key" + std::to_string(i) + "\"><value>" + value + " value of entry " +
                   std::to_string(i) + "</value></item>";
        raw += "</conf_data>";
        const std::wstring file = folder / name;
        EXPECT_TRUE(WriteFile(file, raw));
        EXPECT_TRUE(XmlWriter::Edit(file).Save(file));
        return file;
    }
    std::wstring Churn() const { return testenv::FolderOfThisExecutable() + L"\\file_churn.exe"; }
};

TEST_F(AtomicSaveTest, ReadersAndKilledWritersSeeOneWholeVersion) {
    const std::wstring oldFile = MakeVersion(L"old.xml", "false"), newFile = MakeVersion(L"new.xml", "true");
    const std::string oldBytes = ReadFile(oldFile).value_or(""), newBytes = ReadFile(newFile).value_or("");
    ASSERT_GT(oldBytes.size(), size_t(20 << 20));
    ASSERT_TRUE(WriteFile(path, oldBytes));

    const std::wstring stop = folder / L"stop", output = folder / L"reads.txt";
    std::wstring command = L"cmd /c \"\"" + Churn() + L"\" read \"" + path + L"\" \"" + oldFile + L"\" \"" + newFile +
                           L"\" \"" + stop + L"\" > \"" + output + L"\"\"";
    STARTUPINFOW startup = {sizeof(startup)};
    PROCESS_INFORMATION reader = {};
    ASSERT_TRUE(::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                 &startup, &reader));
    ::Sleep(500);
    for (const std::wstring& source : {newFile, oldFile, newFile})
        EXPECT_TRUE(XmlWriter::Edit(source).Save(path));
    ::Sleep(500);
    WriteFile(stop, "");
    EXPECT_EQ(::WaitForSingleObject(reader.hProcess, 60000), WAIT_OBJECT_0);
    ::CloseHandle(reader.hProcess);
    ::CloseHandle(reader.hThread);
    const std::string reads = ReadFile(output).value_or("");
    int sawOld = 0, sawNew = 0, sawOther = -1, failedOpens = -1;
    ASSERT_EQ(
        std::sscanf(reads.c_str(), "old %d new %d other %d failed-opens %d", &sawOld, &sawNew, &sawOther, &failedOpens),
        4)
        << reads;
    EXPECT_EQ(sawOther, 0) << reads;
    EXPECT_EQ(failedOpens, 0) << reads;
    EXPECT_GT(sawOld, 0) << reads;
    EXPECT_GT(sawNew, 0) << reads;
    EXPECT_EQ(ReadFile(path), newBytes);

    // A writer killed at different moments of its save loop.
    for (DWORD pause : {700u, 1900u, 3100u, 4300u}) {
        testenv::RunningProcess writer(Churn(), {L"save", path, oldFile, newFile});
        ASSERT_TRUE(writer.started());
        ::Sleep(pause);
        ::TerminateProcess(writer.handle(), 1);
        writer.Wait(10000);
        const std::string now = ReadFile(path).value_or("");
        EXPECT_TRUE(now == oldBytes || now == newBytes)
            << "killed after " << pause << " ms: " << now.size() << " bytes";
    }

    // The next save removes what killed saves left behind, but not the temporary file of a save still writing.
    const std::wstring writing = folder / L"skyABCD.tmp", abandoned = folder / L"SKY1.TMP", other = folder / L"sky.tmp";
    for (const std::wstring& file : {writing, abandoned, other})
        WriteFile(file, "x");
    win32::FileHandle held(
        ::CreateFileW(writing.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_TRUE(XmlWriter::Edit(oldFile).Save(path));
    EXPECT_EQ(ReadFile(path), oldBytes);
    std::vector<std::wstring> left;
    WIN32_FIND_DATAW found = {};
    win32::FindHandle search(::FindFirstFileW((folder / L"*.tmp").c_str(), &found));
    for (bool more = bool(search); more; more = ::FindNextFileW(search.get(), &found))
        left.push_back(found.cFileName);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::wstring>{L"sky.tmp", L"skyABCD.tmp"}));
}

TEST(XmlEscapeTest, AllFiveCharactersAreEscapedAmpersandFirstAndTextRoundTrips) {
    const std::wstring text = L"a&b\"c'd<e>f";
    EXPECT_EQ(xmldata::XmlEscape(text), L"a&amp;b&quot;c&apos;d&lt;e&gt;f");
    EXPECT_EQ(xmldata::XmlUnescape(xmldata::XmlEscape(text)), text);
    // Ampersand goes first on escape and last on unescape.
    EXPECT_EQ(xmldata::XmlEscape(L"&lt;"), L"&amp;lt;");
    EXPECT_EQ(xmldata::XmlUnescape(L"&amp;quot;&amp;amp;"), L"&quot;&amp;");
    EXPECT_EQ(xmldata::XmlUnescape(L"&lt;&gt;&apos;&quot;&amp;"), L"<>'\"&");
    for (const wchar_t* looksEscaped : {L"", L"plain", L"\u97f3\u697d & \u5199\u771f", L"&&&;", L"&amp;&gt;x&lt",
                                        L"<a href=\"x\">'q'</a>", L"&#60;", L"&lt;"}) {
        EXPECT_EQ(xmldata::XmlUnescape(xmldata::XmlEscape(looksEscaped)), looksEscaped);
    }
    EXPECT_EQ(xmldata::XmlEscape(L"plain \u65e5\u672c"), L"plain \u65e5\u672c");
    EXPECT_EQ(xmldata::XmlUnescape(L"&#60;&unknown;&lt"), L"&#60;&unknown;&lt"); // only the five entities
}

} // namespace
