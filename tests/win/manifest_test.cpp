// The application manifest: read back from the built executables, and in force in this process
// (the tests link the same resources).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "TOOLS/toolwind.h"

namespace {

// The manifest resource (RT_MANIFEST 1) of an executable, or empty.
std::string ManifestOf(const char* path) {
    HMODULE module =
        LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) return "";
    std::string text;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    HGLOBAL data = found ? LoadResource(module, found) : nullptr;
    const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    if (bytes) text.assign(bytes, SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// True when an element of that name (after the text after, when given) holds every part in its
// start tag and, then, its text.
bool HasElement(const std::string& xml, const std::string& name, std::vector<std::string> parts,
                const char* after = "") {
    for (size_t at = xml.find("<" + name + " ", xml.find(after)); at != std::string::npos;
         at = xml.find("<" + name + " ", at + 1)) {
        std::string element = xml.substr(at, xml.find('<', at + 1) - at);
        bool all = true;
        for (const std::string& part : parts) all = all && element.find(part) != std::string::npos;
        if (all) return true;
    }
    return false;
}

TEST(Manifest, TheBuiltExecutablesCarryEveryElement) {
    // The tests run in the win64 tree; the shipped exe is the win32 tree's.
    for (const char* path : {"Quillmate.exe", "..\\win32\\Quillmate.exe"}) {
        std::string xml = ManifestOf(path);
        ASSERT_FALSE(xml.empty()) << path << " has no manifest (is its tree built?)";
        EXPECT_TRUE(HasElement(xml, "requestedExecutionLevel", {"level=\"asInvoker\""})) << path;
        // Vista, 7, 8, 8.1, 10 and 11.
        for (const char* id :
             {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
              "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
              "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {
            EXPECT_TRUE(HasElement(xml, "supportedOS", {std::string("Id=\"{") + id + "}\""}))
                << path << " " << id;
        }
        EXPECT_TRUE(HasElement(xml, "assemblyIdentity",
                               {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                                "publicKeyToken=\"6595b64144ccf1df\""},
                               "<dependentAssembly>"))
            << path;
        EXPECT_TRUE(HasElement(xml, "dpiAware", {">true"})) << path;
    }
}

TEST(Manifest, ThisProcessUsesCommonControls6AndIsDpiAware) {
    // Bound by the manifest, the loader takes comctl32 from the side-by-side assembly, not from
    // the system folder; the classes the program uses register there.
    ASSERT_TRUE(InitDialogControls());
    HMODULE comctl = GetModuleHandleA("comctl32.dll");
    ASSERT_TRUE(comctl);
    char path[MAX_PATH] = "";
    GetModuleFileNameA(comctl, path, sizeof path);
    CharLowerA(path);
    EXPECT_NE(std::string(path).find("\\winsxs\\"), std::string::npos) << path;
    EXPECT_TRUE(IsProcessDPIAware());
}

}  // namespace
