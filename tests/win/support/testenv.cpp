// Helpers of the Windows tests.
#include "testenv.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>

#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"

namespace testenv {

namespace {

// Calls visit(path, isFolder) for everything below folder, a folder's contents before it.
void WalkTree(const std::string& folder,
              const std::function<void(const std::string&, bool)>& visit) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        std::string full = folder + "\\" + name;
        bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (isFolder) WalkTree(full, visit);
        visit(full, isFolder);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

void RemoveTree(const std::string& folder) {
    WalkTree(folder, [](const std::string& path, bool isFolder) {
        if (isFolder) {
            RemoveDirectoryA(path.c_str());
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    });
    RemoveDirectoryA(folder.c_str());
}

}  // namespace

TempModuleFolder::TempModuleFolder() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static unsigned counter = 0;
    char name[MAX_PATH + 64];
    std::snprintf(name, sizeof name, "%sQmTest%lu_%u", temp, GetCurrentProcessId(), ++counter);
    path_ = name;
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
    SetModulePathOverride(WidePath((path_ + "\\Quillmate.exe").c_str()).c_str());
}

TempModuleFolder::~TempModuleFolder() {
    SetModulePathOverride(nullptr);
    RemoveTree(path_);
}

bool BuildModuleSiblingPath(char* buffer, size_t size, const char* ext) {
    const std::string path = AnsiFromWide(ModuleSiblingPath(ext));
    return !path.empty() && tooltext::CopyBounded(buffer, size, path.c_str()) == path.size();
}

std::u16string WidePath(const char* path) {
    return WideFromAnsi(path);
}

std::string ReadFileBytes(const std::string& path) {
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

std::map<std::string, std::string> ReadTree(const std::string& folder) {
    std::map<std::string, std::string> files;
    WalkTree(folder, [&files](const std::string& path, bool isFolder) {
        if (!isFolder) files[path] = ReadFileBytes(path);
    });
    return files;
}

std::string PlantLibrary(const char* name) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    if (n == 0 || n >= sizeof path) return "";
    std::string folder(path);
    folder.resize(folder.rfind('\\'));
    std::string planted = folder + "\\" + name;
    bool copied = CopyFileA((folder + "\\planted\\rsrc32.dll").c_str(), planted.c_str(), FALSE);
    return copied ? planted : "";
}

bool PlantedLibraryWasLoaded() {
    return GetEnvironmentVariableA("QM_PLANTED_LIBRARY_LOADED", nullptr, 0) != 0;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(find, &found));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

void PumpMessages(unsigned ms) {
    DWORD end = GetTickCount() + ms;
    MSG msg;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void HoldKeys(std::initializer_list<int> down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_CONTROL] = 0;
    for (int key : down) keys[key] = 0x80;
    SetKeyboardState(keys);
}

}  // namespace testenv
