// Clipboard log files: the dated folder tree and the .txt and .bmp writers.
#include "clipboard/cliplog.h"

#include <windows.h>

#include <cstring>

#include "clipboard/dib.h"
#include "TOOLS/tooltext.h"

namespace {

// Creates the folder when it is missing (parents are not created); true when it then exists
// as a folder.
bool EnsureFolder(const std::u16string& path) {
    const wchar_t* name = reinterpret_cast<const wchar_t*>(path.c_str());
    if (GetFileAttributesW(name) == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(name, nullptr);
    DWORD attributes = GetFileAttributesW(name);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Writes every byte and closes; a short write (full disk) counts as a failure.
bool WriteAndClose(FILE* file, const void* data, size_t size) {
    bool whole = size == 0 || std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && whole;
}

// A path of the tree below the folder "." (ASCII names only) moved below logFolder.
std::u16string Below(const std::u16string& logFolder, const char* relative) {
    return tooltext::JoinWidePath(logFolder, relative + 2);
}

}  // namespace

FILE* OpenLogFileAt(const std::u16string& logFolder, const char* extension, const LogTime& time) {
    // The dated names are the same below any folder: they are made below "." and moved.
    LogPaths paths;
    if (logFolder.empty() || !BuildLogPaths(&paths, ".", time, extension)) return nullptr;
    if (!EnsureFolder(logFolder)) return nullptr;
    const std::u16string month = Below(logFolder, paths.monthFolder);
    const std::u16string day = Below(logFolder, paths.dayFolder);
    if (!EnsureFolder(month) || !EnsureFolder(day)) return nullptr;
    const std::u16string file = Below(logFolder, paths.file);
    return _wfopen(reinterpret_cast<const wchar_t*>(file.c_str()), L"wb");
}

FILE* OpenLogFile(const std::u16string& logFolder, const char* extension) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    LogTime time{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
    return OpenLogFileAt(logFolder, extension, time);
}

bool WriteTextLog(const std::u16string& logFolder, const char* text, size_t size) {
    FILE* file = OpenLogFile(logFolder, ".txt");
    if (!file) return false;
    const void* nul = std::memchr(text, '\0', size);
    size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : size;
    return WriteAndClose(file, text, length);
}

bool WriteBitmapLog(const char* dib, size_t size, const std::u16string& logFolder) {
    // Checked before the file is opened, so a block we cannot write leaves no empty file.
    unsigned char header[kBmpFileHeaderSize];
    size_t dibBytes;
    if (!MakeBmpFileHeader(dib, size, header, &dibBytes)) return false;
    FILE* file = OpenLogFile(logFolder, ".bmp");
    if (!file) return false;
    if (std::fwrite(header, 1, sizeof header, file) != sizeof header) {
        std::fclose(file);
        return false;
    }
    return WriteAndClose(file, dib, dibBytes);
}
