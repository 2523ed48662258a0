// The byte format of a machine's file in the shared folder: a header naming the writer, its view
// of the registered texts, its recent copies where it shares them, and a CRC-32 of it all. Pure;
// sync/sharedfolder reads and writes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "sync/sharedhistory.h"
#include "sync/sharedstate.h"

// The newest version read. A file without recent copies is written as version 1, which every
// reader takes; only one that carries them needs version 2, left alone by version-1 readers.
constexpr uint32_t kSharedFileVersion = 2;
// A file longer than this is not read: a stray or hostile file costs no more memory than that.
constexpr size_t kSharedFileMaxBytes = 64u << 20;
// Every machine's file in the shared folder's subfolder ends so; other names are read too.
extern const char* const kSharedFileExtension;  // ".qms"
extern const char* const kSharedSubfolder;      // "Quillmate"

struct SharedFile {
    uint64_t machine = 0;
    int64_t written = 0;   // seconds since 1970 (UTC)
    std::string computer;  // UTF-8, for people to read
    SharedState state;
    SharedHistory history;  // empty unless the writer shares its recent copies
};

enum class SharedFileRead {
    Read,
    NotShared,  // not a file of this format at all
    Damaged,    // cut, half written, or its check fails
    Newer,      // a later version of the format: left alone
    TooLarge,
};

SharedFileRead parseSharedFile(std::string_view bytes, SharedFile& file);
// The CRC-32 (as zlib's) a file's bytes end with, of every byte before it.
uint32_t sharedFileCrc(std::string_view bytes);
std::string encodeSharedFile(const SharedFile& file);

// A machine id as the settings file keeps it: 16 hex digits.
std::string machineIdText(uint64_t machine);
// False for anything but 16 hex digits or for the id 0, which no machine gets.
bool parseMachineId(std::string_view text, uint64_t& machine);
// Whether a machine id kept in the settings was made on this computer: a folder copied with its
// settings to another computer must not give two computers one id. Names compare as the system
// compares computer names, ASCII letters without case; an empty name is no computer.
bool sameComputer(std::string_view madeOn, std::string_view thisOne);

// The name of a machine's own file: its id and the extension.
std::string sharedFileName(uint64_t machine);
