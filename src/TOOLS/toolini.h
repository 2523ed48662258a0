// The settings file, whatever encoding the user's editor saved it in: every key the program
// reads or writes goes through here.
#pragma once

#include <string>

// The value of key in section as code page 932 bytes, or defaultValue when the key is missing.
std::string ReadIniText(const char* section, const char* key, const char* defaultValue,
                        const std::u16string& path);

// Sets key in section to value (null removes the key). False when the file could not be written.
bool WriteIniText(const char* section, const char* key, const char* value,
                  const std::u16string& path);
