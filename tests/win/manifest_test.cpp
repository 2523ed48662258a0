// The application manifest: read back from the built executables, and in force in this process
// (the tests link the same resources).
#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <string>

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

// The start tag of every element called name, in order, each handed to visit with what follows
// it up to the next '<' (the element's text).
template <typename Visit>
void ForEachElement(const std::string& xml, const std::string& name, Visit visit) {
    for (size_t at = xml.find("<" + name); at != std::string::npos;
         at = xml.find("<" + name, at + 1)) {
        char after = xml[at + 1 + name.size()];
        if (!std::isspace(static_cast<unsigned char>(after)) && after != '>' && after != '/') {
            continue;  // a longer name
        }
        size_t end = xml.find('>', at);
        if (end == std::string::npos) return;
        size_t next = xml.find('<', end);
        visit(xml.substr(at, end + 1 - at), xml.substr(end + 1, next - end - 1));
    }
}

bool HasAttribute(const std::string& tag, const std::string& attribute, const std::string& value) {
    return tag.find(" " + attribute + "=\"" + value + "\"") != std::string::npos ||
           tag.find("\n" + attribute + "=\"" + value + "\"") != std::string::npos ||
           tag.find("\t" + attribute + "=\"" + value + "\"") != std::string::npos;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.pop_back();
    size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
    return text.substr(start);
}

// Every element the program needs, in words; empty when all are there.
std::string MissingFrom(const std::string& xml) {
    std::string missing;
    bool asInvoker = false, commonControls = false, dpiAware = false;
    ForEachElement(xml, "requestedExecutionLevel", [&](const std::string& tag, const std::string&) {
        asInvoker = asInvoker || HasAttribute(tag, "level", "asInvoker");
    });
    if (!asInvoker) missing += " requestedExecutionLevel asInvoker;";
    // Vista, 7, 8, 8.1, 10 and 11.
    for (const char* id :
         {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
        bool found = false;
        ForEachElement(xml, "supportedOS", [&](const std::string& tag, const std::string&) {
            found = found || HasAttribute(tag, "Id", id);
        });
        if (!found) missing += std::string(" supportedOS ") + id + ";";
    }
    size_t dependency = xml.find("<dependentAssembly");
    if (dependency != std::string::npos) {
        ForEachElement(xml.substr(dependency), "assemblyIdentity",
                       [&](const std::string& tag, const std::string&) {
                           commonControls =
                               commonControls ||
                               (HasAttribute(tag, "name", "Microsoft.Windows.Common-Controls") &&
                                HasAttribute(tag, "version", "6.0.0.0") &&
                                HasAttribute(tag, "publicKeyToken", "6595b64144ccf1df"));
                       });
    }
    if (!commonControls) missing += " dependency on Common-Controls 6.0.0.0;";
    ForEachElement(xml, "dpiAware", [&](const std::string&, const std::string& text) {
        dpiAware = dpiAware || lstrcmpiA(Trimmed(text).c_str(), "true") == 0;
    });
    if (!dpiAware) missing += " dpiAware true;";
    return missing;
}

TEST(Manifest, TheBuiltExecutablesCarryEveryElement) {
    // The tests run in the win64 tree; the shipped exe is the win32 tree's.
    for (const char* path : {"Quillmate.exe", "..\\win32\\Quillmate.exe"}) {
        std::string xml = ManifestOf(path);
        ASSERT_FALSE(xml.empty()) << path << " has no manifest (is its tree built?)";
        EXPECT_EQ(MissingFrom(xml), "") << path;
    }
}

TEST(Manifest, TheCheckNamesWhatADamagedManifestLacks) {
    std::string xml = ManifestOf("Quillmate.exe");
    ASSERT_FALSE(xml.empty());
    const struct {
        const char* from;
        const char* to;
        const char* reported;
    } damages[] = {
        {"\"asInvoker\"", "\"requireAdministrator\"", " requestedExecutionLevel asInvoker;"},
        {"{8e0f7a12-", "{00000000-", " supportedOS {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a};"},
        {"version=\"6.0.0.0\"", "version=\"5.8.0.0\"", " dependency on Common-Controls 6.0.0.0;"},
        {">true</dpiAware>", ">false</dpiAware>", " dpiAware true;"},
    };
    for (const auto& d : damages) {
        std::string damaged = xml;
        size_t at = damaged.find(d.from);
        ASSERT_NE(at, std::string::npos) << d.from;
        damaged.replace(at, std::string(d.from).size(), d.to);
        EXPECT_EQ(MissingFrom(damaged), d.reported) << d.from;
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
