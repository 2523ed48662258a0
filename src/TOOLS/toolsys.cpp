// System toolkit: trace sink, module paths and clipboard operations.
#include "TOOLS/toolsys.h"

#include <cstdarg>
#include <cstring>
#include <new>
#include <string>

#include "TOOLS/clipmarks.h"
#include "TOOLS/tooltext.h"

namespace {

constexpr const char* kModuleName = "TOOLS/toolsys";
constexpr int kLineGlobalAlloc = 3054;
constexpr int kLineOpenClipboard = 3076;
constexpr int kLineGlobalLock = 3082;

constexpr UINT kProgramCodePage = 932;

std::u16string g_modulePathOverride;

std::u16string ModulePath() {
    if (!g_modulePathOverride.empty()) return g_modulePathOverride;
    // A long path (up to 32767 units) is taken whole: the buffer grows until it holds it.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::u16string path(size, u'\0');
        DWORD n = GetModuleFileNameW(nullptr, WideChars(path), size);
        if (n == 0) return std::u16string();
        if (n < size) return path.substr(0, n);
    }
    return std::u16string();
}

std::string NarrowFrom(UINT codePage, std::u16string_view text) {
    std::string out;
    if (text.empty()) return out;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int units = static_cast<int>(text.size());
    int size = WideCharToMultiByte(codePage, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return out;
    out.resize(static_cast<size_t>(size));
    WideCharToMultiByte(codePage, 0, wide, units, out.data(), size, nullptr, nullptr);
    return out;
}

std::u16string WideFrom(UINT codePage, std::string_view text) {
    std::u16string out;
    if (text.empty()) return out;
    const int bytes = static_cast<int>(text.size());
    int size = MultiByteToWideChar(codePage, 0, text.data(), bytes, nullptr, 0);
    if (size <= 0) return out;
    out.resize(static_cast<size_t>(size));
    MultiByteToWideChar(codePage, 0, text.data(), bytes, WideChars(out), size);
    return out;
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

void SetModulePathOverride(const char16_t* modulePath) {
    g_modulePathOverride = modulePath ? modulePath : u"";
}

std::u16string ModuleSiblingPath(const char* ext) {
    std::u16string modulePath = ModulePath();
    return modulePath.empty() ? modulePath : tooltext::MakeWideSiblingPath(modulePath, ext);
}

std::u16string ModuleFolder() {
    return tooltext::MakeWideFolderPath(ModulePath());
}

bool RestrictLibrarySearchToSystemFolder() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    auto setDirectories = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    return setDirectories && setDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

HMODULE LoadSystemLibrary(const char* name) {
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::u16string path = tooltext::JoinWidePath(reinterpret_cast<const char16_t*>(folder), name);
    return LoadLibraryExW(WideChars(path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace {

// A moveable block holding size bytes of data; null (traced) when it cannot be had.
HGLOBAL MakeClipboardBlock(const void* data, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size);
    if (!block) {
        TraceFailure(kLineGlobalAlloc,
                     "関数 GlobalAlloc( GMEM_SHARE | GMEM_MOVEABLE ) が null を返しました。");
        return nullptr;
    }
    void* bytes = GlobalLock(block);
    if (!bytes) {
        TraceFailure(kLineGlobalLock, "関数 GlobalLock() が null を返しました。");
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(bytes, data, size);
    GlobalUnlock(block);
    return block;
}

}  // namespace

bool SetClipboardText(HWND owner, const char* text, const std::u16string* exact) {
    const bool ownCodePage = SystemUsesProgramCodePage();
    const std::u16string wide = exact ? *exact : WideFromAnsi(text);
    const std::string system = ownCodePage ? std::string(text) : SystemAnsiFromWide(wide);
    HGLOBAL block = MakeClipboardBlock(system.c_str(), system.size() + 1);
    if (!block) return false;
    HGLOBAL unicode = MakeClipboardBlock(wide.c_str(), (wide.size() + 1) * 2);
    if (!unicode) {
        GlobalFree(block);
        return false;
    }
    if (!OpenClipboard(owner)) {
        TraceFailure(kLineOpenClipboard, "関数 OpenClipboard() が false を返しました。");
        GlobalFree(block);
        GlobalFree(unicode);
        return false;
    }
    EmptyClipboard();
    // The truest form first: a reader that takes the first text format finds it.
    const bool unicodeFirst = exact || !ownCodePage;
    if (unicodeFirst) SetClipboardData(CF_UNICODETEXT, unicode);
    SetClipboardData(CF_TEXT, block);
    if (!unicodeFirst) SetClipboardData(CF_UNICODETEXT, unicode);
    CloseClipboard();
    return true;
}

std::string AnsiFromWide(std::u16string_view text) {
    return NarrowFrom(kProgramCodePage, text);
}

std::u16string WideFromAnsi(std::string_view text) {
    return WideFrom(kProgramCodePage, text);
}

std::string SystemAnsiFromWide(std::u16string_view text) {
    return NarrowFrom(CP_ACP, text);
}

std::u16string WideFromSystemAnsi(std::string_view text) {
    return WideFrom(CP_ACP, text);
}

bool SystemUsesProgramCodePage() {
    return GetACP() == kProgramCodePage;
}

std::shared_ptr<const std::u16string> ExactFormOf(std::u16string_view text, std::string_view ansi) {
    // A round trip catches both what the code page lacks (the default character) and what it
    // maps one way only (best-fit letters, U+301C WAVE DASH).
    if (WideFromAnsi(ansi) == text) return nullptr;
    return std::make_shared<const std::u16string>(text);
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

namespace {

// Which text format the program that copied put there itself: the system lists those before
// the ones it would make from them. Zero when there is no text.
UINT FirstTextFormat() {
    for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f))
        if (f == CF_TEXT || f == CF_UNICODETEXT || f == CF_OEMTEXT) return f;
    return 0;
}

// The open clipboard's Unicode text, up to its first NUL; false when absent or unreadable.
bool CopyUnicodeText(std::u16string& text) {
    HANDLE handle = GetClipboardData(CF_UNICODETEXT);
    const SIZE_T units = handle ? GlobalSize(handle) / 2 : 0;
    const auto* data = units ? static_cast<const char16_t*>(GlobalLock(handle)) : nullptr;
    if (!data) return false;
    bool copied = true;
    try {
        text.assign(data, units);
        size_t end = text.find(u'\0');
        if (end != std::u16string::npos) text.resize(end);
    } catch (const std::bad_alloc&) {
        copied = false;
    }
    GlobalUnlock(handle);
    return copied;
}

// A text put there as Unicode: its bytes as the system would make them, laid out as a CF_TEXT
// copy (the block's own NUL, then the copy's). An empty text is a text, as an empty CF_TEXT is.
ClipboardText FromUnicodeText(const std::u16string& wide) {
    ClipboardText text;
    try {
        std::string ansi = AnsiFromWide(wide);
        text.exact = ExactFormOf(wide, ansi);
        text.bytes.assign(ansi.begin(), ansi.end());
        text.bytes.resize(ansi.size() + 2, '\0');
    } catch (const std::bad_alloc&) {
        text = ClipboardText{};
    }
    return text;
}

}  // namespace

ClipboardText ReadClipboardText(HWND owner, bool* opened, bool* marked) {
    ClipboardText text;
    bool open = OpenClipboard(owner) != FALSE;
    if (opened) *opened = open;
    if (marked) *marked = false;
    if (!open) return text;
    if (marked && HoldsIgnoreMarker()) {
        *marked = true;
    } else if (FirstTextFormat() == CF_UNICODETEXT) {
        std::u16string wide;
        if (CopyUnicodeText(wide)) text = FromUnicodeText(wide);
    } else if (IsClipboardFormatAvailable(CF_TEXT)) {
        // Put there as code-page bytes: in the program's code page those bytes are the text,
        // exactly; in another they are read as that code page's.
        if (HANDLE handle = GetClipboardData(CF_TEXT)) text.bytes = CopyGlobalBlock(handle);
        if (!SystemUsesProgramCodePage() && !text.bytes.empty())
            text = FromUnicodeText(WideFromSystemAnsi(text.bytes.data()));
    }
    CloseClipboard();
    return text;
}

bool ClearClipboard(HWND owner) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    CloseClipboard();
    return true;
}
