// The history and registered-text files on disk: read whole at start, replaced whole on save.
#include "store/listfile.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "store/exactfile.h"
#include "store/textfile.h"
#include "TOOLS/toolsys.h"

namespace {

bool IsMissingFileError(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Reads every record of an open file; false on a read error or when no read block was had.
bool ReadRecords(HANDLE file, ListFileReader& reader) {
    // Large blocks keep most records whole in one block; freed after the load, not held.
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size)) return false;
    std::vector<char> block;
    try {
        block.resize(textFileReadBlock(static_cast<uint64_t>(size.QuadPart)));
    } catch (const std::exception&) {
        return false;
    }
    DWORD got = 0;
    bool readWell;
    while ((readWell = ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got,
                                nullptr) != FALSE) &&
           got > 0)
        feedListFile(reader, block.data(), got);
    finishListFile(reader);
    return readWell && !reader.shortOfMemory;
}

bool WriteBlock(HANDLE file, const char* data, size_t size) {
    while (size > 0) {
        DWORD part = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD done = 0;
        if (!WriteFile(file, data, part, &done, nullptr) || done != part) return false;
        data += part;
        size -= part;
    }
    return true;
}

// Writes the content to a new file at temp, flushed to the disk; false on any failure.
bool WriteFlushedFile(const FileContent& content, const char16_t* temp) {
    HANDLE file = CreateFileW(WideChars(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written =
        content([file](const char* data, size_t size) { return WriteBlock(file, data, size); });
    written = written && FlushFileBuffers(file);
    return CloseHandle(file) && written;
}

// Replaces path by a flushed temporary beside it, in one step.
bool ReplaceFile(const FileContent& content, const char16_t* path) {
    if (!path || !*path) return false;
    DWORD attributes = GetFileAttributesW(WideChars(path));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    std::u16string temp;
    try {
        temp = tempSiblingPath(path);
    } catch (const std::exception&) {
        return false;
    }
    if (WriteFlushedFile(content, temp.c_str()) &&
        MoveFileExW(WideChars(temp), WideChars(path),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(WideChars(temp));
    return false;
}

// Checks that path names a file we may open; Loaded when it does.
ListFileLoad CheckListFile(const char16_t* path) {
    DWORD attributes = GetFileAttributesW(WideChars(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (IsMissingFileError(error)) return ListFileLoad::Missing;
        Trace("%s : attributes unreadable (error %lu)\r\n", AnsiFromWide(path).c_str(), error);
        return ListFileLoad::Unreadable;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        Trace("%s : is a folder\r\n", AnsiFromWide(path).c_str());
        return ListFileLoad::Unreadable;
    }
    return ListFileLoad::Loaded;
}

// The whole file; false on a read error or when the memory cannot be had.
bool ReadWholeFile(HANDLE file, std::string& bytes) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) > SIZE_MAX / 2)
        return false;
    try {
        bytes.resize(static_cast<size_t>(size.QuadPart));
    } catch (const std::exception&) {
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 0x40000000));
        DWORD got = 0;
        if (!ReadFile(file, bytes.data() + done, part, &got, nullptr)) return false;
        if (got == 0) break;  // the file shrank meanwhile: what was read is all there is
        done += got;
    }
    bytes.resize(done);
    return true;
}

// Opens a file and hands it to read; Unreadable (traced) when it exists but could not be opened
// or read whole.
template <class Reader>
ListFileLoad ReadFileWith(const char16_t* path, Reader read) {
    if (!path || !*path) return ListFileLoad::Unreadable;
    ListFileLoad found = CheckListFile(path);
    if (found != ListFileLoad::Loaded) return found;
    HANDLE file = CreateFileW(WideChars(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Trace("%s : cannot be opened (error %lu)\r\n", AnsiFromWide(path).c_str(),
              GetLastError());
        return ListFileLoad::Unreadable;
    }
    bool readWell = read(file);
    if (!readWell)
        Trace("%s : read failed (error %lu)\r\n", AnsiFromWide(path).c_str(), GetLastError());
    CloseHandle(file);
    return readWell ? ListFileLoad::Loaded : ListFileLoad::Unreadable;
}

// The first bytes of an exact file, for the check of a stale one.
bool ReadExactHead(const char16_t* path, std::string& head) {
    head.clear();
    ListFileLoad found = ReadFileWith(path, [&head](HANDLE file) {
        char bytes[kExactFileHeaderSize];
        DWORD got = 0;
        if (!ReadFile(file, bytes, sizeof bytes, &got, nullptr)) return false;
        head.assign(bytes, got);
        return true;
    });
    return found != ListFileLoad::Unreadable;
}

bool RemoveFile(const char16_t* path) {
    return DeleteFileW(WideChars(path)) || IsMissingFileError(GetLastError());
}

}  // namespace

ListFilesLoad loadListFiles(TextStore& store, ListKind kind, const char16_t* path,
                            const char16_t* exactPath) {
    ListFilesLoad load{ListFileLoad::Unreadable, ListFileLoad::Missing};
    if (listCount(store, kind) < 0) return load;
    ListFileReader reader;
    load.texts = ReadFileWith(path, [&reader](HANDLE file) { return ReadRecords(file, reader); });
    if (load.texts == ListFileLoad::Unreadable) return load;
    std::string exactFile;
    if (exactPath) {
        load.exactForms = ReadFileWith(
            exactPath, [&exactFile](HANDLE file) { return ReadWholeFile(file, exactFile); });
        if (load.exactForms == ListFileLoad::Unreadable) exactFile.clear();
    }
    addListTexts(store, kind, reader, exactFile);
    return load;
}

ListSave writeListFiles(const TextChain& chain, const char16_t* path, const char16_t* exactPath) {
    ListFileOps ops;
    ops.replaceTexts = [path](const FileContent& content) { return ReplaceFile(content, path); };
    if (exactPath && *exactPath) {
        ops.replaceExact = [exactPath](const FileContent& content) {
            return ReplaceFile(content, exactPath);
        };
        ops.removeExact = [exactPath] { return RemoveFile(exactPath); };
        ops.readExactHead = [exactPath](std::string& head) {
            return ReadExactHead(exactPath, head);
        };
    }
    return saveListFiles(chain, ops);
}
