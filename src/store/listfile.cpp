// The history and registered-text files on disk: read whole at start, replaced whole on save.
#include "store/listfile.h"

#include <windows.h>

#include <exception>
#include <string>
#include <utility>
#include <vector>

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

// Writes the list to a new file at temp, flushed to the disk; false on any failure.
bool WriteFlushedFile(const TextChain& chain, const char* temp) {
    HANDLE file =
        CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool written = writeTextRecords(
        chain, [file](const char* data, size_t size) { return WriteBlock(file, data, size); });
    written = written && FlushFileBuffers(file);
    return CloseHandle(file) && written;
}

}  // namespace

ListFileLoad loadTextFile(TextStore& store, ListKind kind, const char* path) {
    if (!path || !*path || listCount(store, kind) < 0) return ListFileLoad::Unreadable;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (IsMissingFileError(error)) return ListFileLoad::Missing;
        Trace("%s : attributes unreadable (error %lu)\r\n", path, error);
        return ListFileLoad::Unreadable;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        Trace("%s : is a folder\r\n", path);
        return ListFileLoad::Unreadable;
    }
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Trace("%s : cannot be opened (error %lu)\r\n", path, GetLastError());
        return ListFileLoad::Unreadable;
    }
    bool readWell = ReadRecords(file, store, kind);
    if (!readWell) Trace("%s : read failed (error %lu)\r\n", path, GetLastError());
    CloseHandle(file);
    return readWell ? ListFileLoad::Loaded : ListFileLoad::Unreadable;
}

bool saveTextFile(const TextChain& chain, const char* path) {
    if (!path || !*path) return false;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    std::string temp;
    try {
        temp = tempSiblingPath(path);
    } catch (const std::exception&) {
        return false;
    }
    if (WriteFlushedFile(chain, temp.c_str()) &&
        MoveFileExA(temp.c_str(), path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temp.c_str());
    return false;
}
