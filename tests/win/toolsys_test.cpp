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
    ASSERT_TRUE(BuildModuleSiblingPath(path, sizeof path, ".ini"));
    std::string expected = folder.file("quillmate.ini");
    for (char& c : expected) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(std::string(path), expected);
    ASSERT_TRUE(GetModuleFolder(path, sizeof path));
    EXPECT_EQ(std::string(path), folder.path());
}

TEST(ModulePaths, RealModulePathWithoutOverride) {
    char path[522];
    ASSERT_TRUE(BuildModuleSiblingPath(path, sizeof path, ".hst"));
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

TEST(Trace, ReturnsTheFormattersResult) {
    EXPECT_EQ(Trace("%s(%d) : %s \r\n", "TOOLS/toolsys", 3054, "x"), 26);
    std::string longLine(3000, 'a');
    EXPECT_EQ(Trace("%s", longLine.c_str()), 3000);
}

}  // namespace
