// Text files of the edit pad: read whole before the control is touched, written whole or not at
// all, so neither a bad file nor a full disk costs the user a text.
#include "editpad/padfile.h"

#include <new>

#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"
#include "TOOLS/toolwind.h"

namespace {

// The whole file; false when it cannot be opened, is too large to hold, or reads short.
bool ReadWholeFile(const char* path, std::string& bytes) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    bool whole = GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF;
    try {
        if (whole) bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        whole = false;
    }
    size_t done = 0;
    while (whole && done < bytes.size()) {
        DWORD got = 0;
        whole =
            ReadFile(file, &bytes[done], static_cast<DWORD>(bytes.size() - done), &got, nullptr) &&
            got > 0;
        done += got;
    }
    CloseHandle(file);
    return whole;
}

bool WriteFlushed(const char* path, const std::string& bytes) {
    HANDLE file =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool whole =
        bytes.size() <= MAXDWORD &&
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file);
    return CloseHandle(file) && whole;
}

}  // namespace

bool LoadTextFileInto(HWND edit, const char* path) {
    std::string bytes;
    if (!path || !ReadWholeFile(path, bytes)) {
        Trace("%s : not loaded into the edit pad (error %lu)\r\n", path ? path : "",
              GetLastError());
        return false;
    }
    // The control takes the text up to its first NUL, as a file with a NUL reads in a text editor.
    return SetWindowTextA(edit, bytes.c_str()) != FALSE;
}

bool WriteWholeTextFile(const char* path, const std::string& bytes) {
    if (!path || !*path) return false;
    // The folder keeps its separator, so that the root of a drive stays the root.
    size_t separator = tooltext::FindLastSeparator(path);
    std::string folder = separator == tooltext::kNotFound ? "." : std::string(path, separator + 1);
    // A unique name of our own: a fixed sibling name could be a file of the user's.
    char temp[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "qm", 0, temp)) return false;
    if (WriteFlushed(temp, bytes) &&
        MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    Trace("%s : not written (error %lu)\r\n", path, GetLastError());
    DeleteFileA(temp);
    return false;
}

bool SaveEditTextTo(HWND dialog, HWND edit, const char* path) {
    bool saved = false;
    try {
        saved = WriteWholeTextFile(path, CopyWindowText(edit));
    } catch (const std::bad_alloc&) {
        saved = false;
    }
    if (!saved) {
        BeepMessageBox(dialog, "テキストをファイルへ出力できませんでした。",
                       "テキストをファイルへ出力", MB_OK | MB_ICONEXCLAMATION);
    }
    return saved;
}
