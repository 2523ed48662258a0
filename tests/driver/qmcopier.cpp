// Copier for the end-to-end scenarios: puts a text on the clipboard the way another program
// would, optionally with registered marker formats beside it, and ends. With -hold it opens the
// clipboard again at once and keeps it open that long, as clipboard bridges and sync tools do.
//   qmcopier [-hold=MS] TEXT [FORMAT[=DWORD]...]      each FORMAT holds a DWORD (0 when not given)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HGLOBAL GlobalCopy(const void* bytes, size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* data = block ? GlobalLock(block) : nullptr;
    if (!data) return block;
    std::memcpy(data, bytes, size);
    GlobalUnlock(block);
    return block;
}

// Another viewer may be reading at this moment: ask again for a while.
bool OpenClipboardPatiently(HWND owner) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(20);
    }
    return false;
}

// argument is "NAME" or "NAME=DWORD".
bool PutMarker(const char* argument) {
    std::string name = argument;
    DWORD value = 0;
    size_t equals = name.find('=');
    if (equals != std::string::npos) {
        value = static_cast<DWORD>(std::strtoul(name.c_str() + equals + 1, nullptr, 10));
        name.resize(equals);
    }
    UINT format = RegisterClipboardFormatA(name.c_str());
    return format != 0 && SetClipboardData(format, GlobalCopy(&value, sizeof value)) != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    DWORD holdMs = 0;
    if (argc > 1 && std::strncmp(argv[1], "-hold=", 6) == 0) {
        holdMs = static_cast<DWORD>(std::strtoul(argv[1] + 6, nullptr, 10));
        ++argv;
        --argc;
    }
    if (argc < 2) return 64;
    // A program owns what it copies through a window of its own.
    HWND owner =
        CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!owner || !OpenClipboardPatiently(owner)) {
        std::fprintf(stderr, "cannot open the clipboard\n");
        return 1;
    }
    EmptyClipboard();
    bool ok = SetClipboardData(CF_TEXT, GlobalCopy(argv[1], std::strlen(argv[1]) + 1)) != nullptr;
    for (int i = 2; i < argc; ++i) ok = PutMarker(argv[i]) && ok;
    CloseClipboard();
    if (holdMs && OpenClipboard(owner)) {
        Sleep(holdMs);
        CloseClipboard();
    }
    DestroyWindow(owner);
    if (!ok) std::fprintf(stderr, "a format was refused\n");
    return ok ? 0 : 1;
}
