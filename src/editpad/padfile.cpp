// Text files of the edit pad: read whole before the control is touched, written whole or not at
// all, so neither a bad file nor a full disk costs the user a text.
#include "editpad/padfile.h"

#include <new>

#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"
#include "TOOLS/toolwind.h"

namespace {

// The whole file; false when it cannot be opened, is too large to hold, or reads short.
bool ReadWholeFile(const char16_t* path, std::string& bytes) {
    HANDLE file = CreateFileW(WideChars(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
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

bool WriteFlushed(const wchar_t* path, const std::string& bytes) {
    HANDLE file =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool whole =
        bytes.size() <= MAXDWORD &&
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(file);
    return CloseHandle(file) && whole;
}

}  // namespace

bool LoadTextFileInto(HWND edit, const char16_t* path) {
    std::string bytes;
    if (!path || !ReadWholeFile(path, bytes)) {
        Trace("%s : not loaded into the edit pad (error %lu)\r\n",
              path ? AnsiFromWide(path).c_str() : "", GetLastError());
        return false;
    }
    // The control takes the text up to its first NUL, as a file with a NUL reads in a text editor.
    return SetWindowTextSjis(edit, bytes.c_str());
}

bool WriteWholeTextFile(const char16_t* path, const std::string& bytes) {
    if (!path || !*path) return false;
    // The folder keeps its separator, so that the root of a drive stays the root.
    const std::u16string whole = path;
    size_t separator = whole.rfind(u'\\');
    std::u16string folder = separator == std::u16string::npos ? u"." : whole.substr(0, separator + 1);
    // A unique name of our own: a fixed sibling name could be a file of the user's.
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(WideChars(folder), L"qm", 0, temp)) return false;
    if (WriteFlushed(temp, bytes) &&
        MoveFileExW(temp, WideChars(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    Trace("%s : not written (error %lu)\r\n", AnsiFromWide(whole).c_str(), GetLastError());
    DeleteFileW(temp);
    return false;
}

bool SaveEditTextTo(HWND dialog, HWND edit, const char16_t* path) {
    bool saved = false;
    try {
        const std::u16string text = CopyWindowWideText(edit);
        const std::string bytes = AnsiFromWide(text);
        if (ExactFormOf(text, bytes) &&
            BeepMessageBox(dialog,
                           "Shift-JIS で表せない文字は保存されません。\n"
                           "このまま出力しますか？",
                           "テキストをファイルへ出力", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
            return false;
        saved = WriteWholeTextFile(path, bytes);
    } catch (const std::bad_alloc&) {
        saved = false;
    }
    if (!saved) {
        BeepMessageBox(dialog, "テキストをファイルへ出力できませんでした。",
                       "テキストをファイルへ出力", MB_OK | MB_ICONEXCLAMATION);
    }
    return saved;
}
