// Settings files in the encodings a user's editor writes: telling them apart, and reading and
// changing one key of a file decoded to UTF-8 the way the system's profile functions do. Pure.
#pragma once

#include <string>
#include <string_view>

enum class IniEncoding { ShiftJis, Utf8, Utf8Bom, Utf16Le, Utf16Be };

// A byte-order mark decides; without one, text that holds a byte from 0x80 up and is strict
// UTF-8 throughout is UTF-8 (Japanese Shift-JIS text almost never is); anything else, and an
// empty file, is Shift-JIS.
IniEncoding DetectIniEncoding(std::string_view bytes);

// A file in a UTF encoding as UTF-8 without its mark, and back with the mark it had.
std::string DecodeUtfIni(std::string_view bytes, IniEncoding encoding);
std::string EncodeUtfIni(std::string_view text, IniEncoding encoding);

// The value of key in section: the first such key of the first such section, names compared
// without regard to ASCII case and blanks around them, the value's blanks and one pair of
// enclosing quotes removed. False when there is no such key.
bool FindIniValue(std::string_view text, std::string_view section, std::string_view key,
                  std::string& value);

// The text with key set to value (null removes every such key of the section). The first such
// key's line is rewritten and any later one of the section removed, so the file holds the
// setting once; a missing key follows the section's last line that is not blank, a missing
// section is added at the end. Every other line stays as it was, with the file's own line ends.
std::string SetIniValue(std::string_view text, std::string_view section,
                           std::string_view key, const std::string* value);
