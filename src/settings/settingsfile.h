// The settings file beside the executable: typed reads and writes of its keys, and the load and
// save of the whole settings record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "settings/appsettings.h"

// The program's own section of the settings file.
extern const char* const kMainSection;  // "Quillmate"
extern const char* const kSharedSection;  // "共有"

// Numbers and booleans are read through "%d"; a missing, empty or non-numeric value gives
// defaultValue. A boolean is true for any number but 0.
bool ReadProfileBool(const char* section, const char* key, const std::u16string& file, bool defaultValue);
int32_t ReadProfileInt(const char* section, const char* key, const std::u16string& file,
                       int32_t defaultValue);

// Written with "%d" ("1"/"0" for booleans); the result is whether the write succeeded.
bool WriteProfileBool(const char* section, const char* key, const std::u16string& file, bool value);
bool WriteProfileInt(const char* section, const char* key, const std::u16string& file, int32_t value);

// A text into buffer of size bytes (at most size-1 bytes, never a split double-byte character);
// defaultValue when the key is missing.
void ReadProfileText(const char* section, const char* key, const std::u16string& file,
                     const char* defaultValue, char* buffer, size_t size);

// Whether the key is present in the section, whatever its value.
bool ProfileKeyExists(const char* section, const char* key, const std::u16string& file);

bool DeleteProfileKey(const std::u16string& file, const char* section, const char* key);

// Defaults of every group but the hotkeys, the log folder beside the executable.
void SetDefaultSettings(AppSettings& settings);

// The log folder to write into: its exact form where it has one.
std::u16string LogFolderPath(const LogSettings& log);
// The shared folder the same way.
std::u16string SharedFolderPath(const SharedSettings& shared);

// Defaults, then the file's values (keys of older files as fallbacks), then the clamps. The
// hotkeys are loaded separately (LoadHotkeys). Always true.
bool LoadSettings(const std::u16string& path, AppSettings& settings);

// Writes every group but the hotkeys and "履歴機能を利用する"; hotkeys the file still holds only
// under old keys are written from settings.hotkeys (so LoadHotkeys must have filled it) into
// the hotkey section, then the old keys are removed. Always true.
bool SaveSettings(const std::u16string& path, const AppSettings& settings);

// Deletes the keys of older files from the program's own section.
void RemoveLegacyKeys(const std::u16string& path);
