// System toolkit: trace sink, module paths and clipboard operations.
#include "TOOLS/toolsys.h"

#include <cstdarg>
#include <cstring>
#include <new>

#include "TOOLS/clipmarks.h"
#include "TOOLS/tooltext.h"

namespace {

constexpr const char* kModuleName = "TOOLS/toolsys";
constexpr int kLineGlobalAlloc = 3054;
constexpr int kLineOpenClipboard = 3076;
constexpr int kLineGlobalLock = 3082;

char g_modulePathOverride[MAX_PATH * 2 + 2];

bool GetModulePath(char* buffer, size_t size) {
    if (g_modulePathOverride[0] != '\0') {
        return tooltext::CopyBounded(buffer, size, g_modulePathOverride) ==
               std::strlen(g_modulePathOverride);
    }
    DWORD n = GetModuleFileNameA(nullptr, buffer, static_cast<DWORD>(size));
    return n > 0 && n < size;
}

void TraceFailure(int line, const char* message) {
    Trace("%s(%d) : %s \r\n", kModuleName, line, message);
}

}  // namespace

int Trace(const char* format, ...) {
    char buffer[1024];
    va_list args;
    va_start(args, format);
    int result = tooltext::FormatBoundedV(buffer, sizeof buffer, format, args);
    va_end(args);
    OutputDebugStringA(buffer);
    return result;
}

void SetModulePathOverride(const char* modulePath) {
    tooltext::CopyBounded(g_modulePathOverride, sizeof g_modulePathOverride,
                          modulePath ? modulePath : "");
}

bool BuildModuleSiblingPath(char* buffer, size_t size, const char* ext) {
    char modulePath[MAX_PATH * 2 + 2];
    if (!GetModulePath(modulePath, sizeof modulePath)) {
        if (size > 0) buffer[0] = '\0';
        return false;
    }
    return tooltext::MakeSiblingPath(buffer, size, modulePath, ext);
}

bool GetModuleFolder(char* buffer, size_t size) {
    char modulePath[MAX_PATH * 2 + 2];
    if (!GetModulePath(modulePath, sizeof modulePath)) {
        if (size > 0) buffer[0] = '\0';
        return false;
    }
    return tooltext::MakeFolderPath(buffer, size, modulePath);
}

bool RestrictLibrarySearchToSystemFolder() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    auto setDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    return setDirectories && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
    char folder[MAX_PATH], path[MAX_PATH];
    UINT n = GetSystemDirectoryA(folder, sizeof folder);
    if (n == 0 || n >= sizeof folder || !tooltext::JoinPath(path, sizeof path, folder, name))
        return nullptr;
    return LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

bool SetClipboardText(HWND owner, const char* text) {
    size_t n = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, n);
    if (!block) {
        TraceFailure(kLineGlobalAlloc, "関数 GlobalAlloc( GMEM_SHARE | GMEM_MOVEABLE ) が null を返しました。");
        return false;
    }
    char* data = static_cast<char*>(GlobalLock(block));
    if (!data) {
        TraceFailure(kLineGlobalLock, "関数 GlobalLock() が null を返しました。");
        GlobalFree(block);
        return false;
    }
    tooltext::CopyBounded(data, n, text);
    GlobalUnlock(block);
    if (!OpenClipboard(owner)) {
        TraceFailure(kLineOpenClipboard, "関数 OpenClipboard() が false を返しました。");
        GlobalFree(block);
        return false;
    }
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
    return true;
}

namespace {

std::vector<char> CopyGlobalBlock(HANDLE handle) {
    std::vector<char> copy;
    SIZE_T size = GlobalSize(handle);
    if (size == 0) return copy;
    const void* data = GlobalLock(handle);
    if (!data) return copy;
    try {
        copy.resize(size + 1);
        std::memcpy(copy.data(), data, size);
        copy[size] = '\0';
    } catch (const std::bad_alloc&) {
        copy.clear();
    }
    GlobalUnlock(handle);
    return copy;
}

// One walk over the open clipboard's formats; only registered formats can be markers.
bool HoldsIgnoreMarker() {
    constexpr UINT kFirstRegisteredFormat = 0xC000;
    for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) {
        char name[256];  // the longest atom name fits, so no name is judged by a cut
        if (f < kFirstRegisteredFormat || GetClipboardFormatNameA(f, name, sizeof name) == 0)
            continue;
        ClipboardMarker marker = MarkerOfFormatName(name);
        if (marker == ClipboardMarker::None) continue;
        std::vector<char> value;
        if (marker == ClipboardMarker::IgnoreWhenZero) {
            if (HANDLE handle = GetClipboardData(f)) value = CopyGlobalBlock(handle);
        }
        // The copy's own trailing NUL is no part of the value.
        if (MarkerIgnoresChange(marker, value.data(), value.empty() ? 0 : value.size() - 1))
            return true;
    }
    return false;
}

}  // namespace

std::vector<char> ReadClipboardFormat(HWND owner, UINT format, bool* opened, bool* marked) {
    std::vector<char> copy;
    bool open = OpenClipboard(owner) != FALSE;
    if (opened) *opened = open;
    if (marked) *marked = false;
    if (!open) return copy;
    if (marked && HoldsIgnoreMarker()) {
        *marked = true;
    } else if (IsClipboardFormatAvailable(format)) {
        if (HANDLE handle = GetClipboardData(format)) copy = CopyGlobalBlock(handle);
    }
    CloseClipboard();
    return copy;
}

bool ClearClipboard(HWND owner) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    CloseClipboard();
    return true;
}
