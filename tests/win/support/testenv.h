// Helpers of the Windows tests: a private folder that stands in for the executable's folder.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace testenv {

// A fresh folder under the system's temporary folder; the module path override points at
// "<folder>\Quillmate.exe" while it lives, so .ini, .hst and .use land inside it.
class TempModuleFolder {
public:
    TempModuleFolder();
    ~TempModuleFolder();
    TempModuleFolder(const TempModuleFolder&) = delete;
    TempModuleFolder& operator=(const TempModuleFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const char* name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Whole file as bytes; empty when it cannot be read.
// Paths beside the module as code page 932 bytes (the tests' folders are ASCII), and a 932 path
// in the program's UTF-16 form.
bool BuildModuleSiblingPath(char* buffer, size_t size, const char* ext);
std::u16string WidePath(const char* path);

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// Every file below folder (at any depth) by its path, with its bytes.
std::map<std::string, std::string> ReadTree(const std::string& folder);
bool FileExists(const std::string& path);

// The names in a folder (without "." and ".."), sorted.
std::vector<std::string> FolderNames(const std::string& folder);

// Puts a copy of the planted test library (build tree's planted\rsrc32.dll, which must never be
// loaded) beside the test executable under name; its path, empty when it could not be copied.
std::string PlantLibrary(const char* name);
// Whether a planted library was loaded in this process at any time: it marks the process when
// it is loaded, so unloading it again does not hide the load.
bool PlantedLibraryWasLoaded();

// Dispatches the thread's pending messages (timers, posted messages) for about ms.
void PumpMessages(unsigned ms);

// This thread's key state holds exactly the given modifiers down (Shift and Ctrl up otherwise),
// as GetKeyState sees them when a command is handled.
void HoldKeys(std::initializer_list<int> down);

}  // namespace testenv
