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

// Adds every record of an open file; false on a read error or when no read block was had.
bool ReadRecords(HANDLE file, TextStore& store, ListKind kind) {
    TextRecordDecoder decoder;
    TextRecordSink sink = [&store, kind](std::string& text) {
        addText(store, kind, std::move(text));
    };
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
        feedTextRecords(decoder, block.data(), got, sink);
    finishTextRecords(decoder, sink);
    return readWell;
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

// Hands the file's bytes to a writer; false when it failed.
using FileContent = std::function<bool(const ByteWriter& write)>;

// Writes the content to a new file at temp, flushed to the disk; false on any failure.
bool WriteFlushedFile(const FileContent& content, const char16_t* temp) {
    HANDLE file =
        CreateFileW(WideChars(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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

// Opens a list's file and hands it to read; Unreadable (traced) when it exists but could not be
// opened or read whole.
template <class Reader>
ListFileLoad ReadListFile(TextStore& store, ListKind kind, const char16_t* path, Reader read) {
    if (!path || !*path || listCount(store, kind) < 0) return ListFileLoad::Unreadable;
    ListFileLoad found = CheckListFile(path);
    if (found != ListFileLoad::Loaded) return found;
    HANDLE file = CreateFileW(WideChars(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Trace("%s : cannot be opened (error %lu)\r\n", AnsiFromWide(path).c_str(), GetLastError());
        return ListFileLoad::Unreadable;
    }
    bool readWell = read(file, store, kind);
    if (!readWell) Trace("%s : read failed (error %lu)\r\n", AnsiFromWide(path).c_str(), GetLastError());
    CloseHandle(file);
    return readWell ? ListFileLoad::Loaded : ListFileLoad::Unreadable;
}

}  // namespace

ListFileLoad loadTextFile(TextStore& store, ListKind kind, const char16_t* path) {
    return ReadListFile(store, kind, path, ReadRecords);
}

bool saveTextFile(const TextChain& chain, const char16_t* path) {
    return ReplaceFile([&chain](const ByteWriter& write) { return writeTextRecords(chain, write); },
                       path);
}

ListFileLoad loadExactFile(TextStore& store, ListKind kind, const char16_t* path) {
    return ReadListFile(store, kind, path, [](HANDLE file, TextStore& into, ListKind list) {
        std::string bytes;
        if (!ReadWholeFile(file, bytes)) return false;
        attachExactRecords(into, list, bytes);
        return true;
    });
}

bool saveExactFile(const ExactSnapshot& records, const char16_t* path) {
    if (!path || !*path) return false;
    // No exact text, no file: texts that fit the code page cost no bytes here.
    if (records.empty()) return DeleteFileW(WideChars(path)) || IsMissingFileError(GetLastError());
    return ReplaceFile(
        [&records](const ByteWriter& write) { return writeExactRecords(records, write); }, path);
}
