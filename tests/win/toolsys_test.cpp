// Module paths and the clipboard operations, against the real Wine clipboard.
#include "TOOLS/toolsys.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/testenv.h"

namespace {

TEST(ModulePaths, SiblingPathsFollowTheOverride) {
    testenv::TempModuleFolder folder;
    char path[522];
    ASSERT_TRUE(testenv::BuildModuleSiblingPath(path, sizeof path, ".ini"));
    std::string expected = folder.file("quillmate.ini");
    for (char& c : expected) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(std::string(path), expected);
    EXPECT_EQ(ModuleFolder(), testenv::WidePath(folder.path().c_str()));
}

TEST(ModulePaths, RealModulePathWithoutOverride) {
    char path[522];
    ASSERT_TRUE(testenv::BuildModuleSiblingPath(path, sizeof path, ".hst"));
    std::string p = path;
    EXPECT_EQ(p.substr(p.size() - 4), ".hst");
    EXPECT_EQ(p.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos);
}

// Once restricted, a library planted beside the executable is not loaded by its bare name, and
// the system folder's libraries still load by their full path.
TEST(LibrarySearch, APlantedLibraryIsNotLoadedByNameOnceRestricted) {
    std::string planted = testenv::PlantLibrary("qmplanted.dll");
    ASSERT_FALSE(planted.empty());
    SetCurrentDirectoryA(planted.substr(0, planted.rfind('\\')).c_str());
    EXPECT_TRUE(RestrictLibrarySearchToSystemFolder());
    HMODULE loaded = LoadLibraryA("qmplanted.dll");
    if (loaded) FreeLibrary(loaded);
    EXPECT_FALSE(testenv::PlantedLibraryWasLoaded());
    HMODULE system = LoadSystemLibrary("version.dll");
    EXPECT_NE(system, nullptr);
    if (system) FreeLibrary(system);
    DeleteFileA(planted.c_str());
}

TEST(Clipboard, TextRoundTripsByteForByte) {
    const char* texts[] = {"", "alpha", "表示～ｸ\r\nline 2"};
    for (const char* text : texts) {
        ASSERT_TRUE(SetClipboardText(nullptr, text));
        std::vector<char> copy = ReadClipboardFormat(nullptr, CF_TEXT);
        ASSERT_FALSE(copy.empty());
        EXPECT_STREQ(copy.data(), text);
        EXPECT_EQ(copy.back(), '\0') << "the copy carries a NUL of its own";
    }
}

TEST(Clipboard, AbsentFormatGivesNothingAndClearEmpties) {
    ASSERT_TRUE(SetClipboardText(nullptr, "text"));
    EXPECT_TRUE(ReadClipboardFormat(nullptr, CF_DIB).empty());
    ASSERT_TRUE(ClearClipboard(nullptr));
    EXPECT_TRUE(ReadClipboardFormat(nullptr, CF_TEXT).empty());
}

TEST(Clipboard, BlockWithoutNulIsReadInsideItsCopy) {
    // Another program may publish data without a terminating NUL. Wine re-terminates CF_TEXT
    // through its conversions, so a private format carries the unterminated bytes.
    UINT format = RegisterClipboardFormatA("QuillmateUnterminated");
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 3);
    ASSERT_NE(block, nullptr);
    std::memcpy(GlobalLock(block), "abc", 3);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(format, block);
    CloseClipboard();
    std::vector<char> copy = ReadClipboardFormat(nullptr, format);
    ASSERT_GE(copy.size(), 4u);
    EXPECT_EQ(copy.back(), '\0');
    EXPECT_EQ(std::string(copy.data(), 3), "abc");
}

void PutOnly(UINT format, const void* data, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    ASSERT_NE(block, nullptr);
    std::memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(format, block);
    CloseClipboard();
}

// The program's texts convert through code page 932 whatever the system's code page is.
TEST(Conversions, CodePage932AtTheBoundary) {
    EXPECT_EQ(AnsiFromWide(u"\u6771\u4EAC"), "\x93\x8C\x8B\x9E");  // 東京
    EXPECT_EQ(WideFromAnsi("\x93\x8C\x8B\x9E"), u"\u6771\u4EAC");
    EXPECT_EQ(AnsiFromWide(u"caf\u00E9"), "cafe");  // the code page's best fit
    EXPECT_EQ(AnsiFromWide(u""), "");
    EXPECT_EQ(WideFromAnsi(""), u"");
}

// Only a text the code page cannot give back unchanged keeps an exact form.
TEST(ExactForms, KeptOnlyWhereTheCodePageChangesTheText) {
    struct Case {
        std::u16string text;
        bool kept;
    } cases[] = {
        {u"\u65E5\u672C\u8A9E \uFF76\uFF85 abc\r\n", false},
        {u"caf\u00E9", true},
        {u"\U0001F600", true},
        {u"\u301C", true},  // WAVE DASH: its bytes read back as U+FF5E
        {u"\uFF5E", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExactFormOf(c.text, AnsiFromWide(c.text)) != nullptr, c.kept)
            << static_cast<unsigned>(c.text[0]);
}

// A Unicode text gets the bytes the system itself would give for CF_TEXT; a text put there as
// bytes keeps its bytes, even where the code page has two codes for one character.
TEST(ExactForms, ClipboardTextKeepsTheCopyingProgramsOwnForm) {
    const std::u16string unicode =
        u"caf\u00E9 \u2014 \U0001F600 \uD55C\uAD6D\uC5B4 \u65E5\u672C";
    PutOnly(CF_UNICODETEXT, unicode.c_str(), (unicode.size() + 1) * 2);
    std::vector<char> system = ReadClipboardFormat(nullptr, CF_TEXT);
    ClipboardText text = ReadClipboardText(nullptr);
    ASSERT_FALSE(system.empty());
    EXPECT_STREQ(text.bytes.data(), system.data());
    ASSERT_NE(text.exact, nullptr);
    EXPECT_EQ(*text.exact, unicode);

    const char nec[] = "\x87\x90 NEC";  // also 0x81 0xE0 in the code page's other row
    PutOnly(CF_TEXT, nec, sizeof nec);
    text = ReadClipboardText(nullptr);
    EXPECT_STREQ(text.bytes.data(), nec);
    EXPECT_EQ(text.exact, nullptr);
}

TEST(Trace, ReturnsTheFormattersResult) {
    EXPECT_EQ(Trace("%s(%d) : %s \r\n", "TOOLS/toolsys", 3054, "x"), 26);
    std::string longLine(3000, 'a');
    EXPECT_EQ(Trace("%s", longLine.c_str()), 3000);
}

}  // namespace
