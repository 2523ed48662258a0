// The settings file in any encoding. A Shift-JIS file (or a new one) on a system whose code page
// is the program's is left to the profile functions, so its bytes are exactly what they always
// were; a file in UTF-8 or UTF-16, or any file on another system code page, is read and changed
// by our own rules in the encoding it was found in.
#include "TOOLS/toolini.h"

#include <windows.h>

#include <new>

#include "TOOLS/toolinirules.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"

namespace {

// The file's bytes; empty when it is missing or unreadable.
std::string ReadFileBytes(const std::u16string& path) {
    std::string bytes;
    HANDLE file = CreateFileW(WideChars(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size = {};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0 && size.QuadPart < (1 << 24)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            got = 0;
        bytes.resize(got);
    }
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::u16string& path, const std::string& bytes) {
    HANDLE file = CreateFileW(WideChars(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                           nullptr) &&
                 written == bytes.size();
    return CloseHandle(file) && whole;
}

std::string Utf8FromAnsi(std::string_view text) {
    return tooltext::Utf8FromWide(WideFromAnsi(text));
}

std::string AnsiFromUtf8(std::string_view text) {
    return AnsiFromWide(tooltext::WideFromUtf8(text));
}

// The file decoded to UTF-8 for our own rules, or false when the profile functions keep it.
bool DecodeOwnFile(const std::string& bytes, IniEncoding& encoding, std::string& text) {
    encoding = DetectIniEncoding(bytes);
    if (encoding != IniEncoding::ShiftJis) {
        text = DecodeUtfIni(bytes, encoding);
        return true;
    }
    if (SystemUsesProgramCodePage()) return false;
    text = Utf8FromAnsi(bytes);
    return true;
}

std::string EncodeOwnFile(const std::string& text, IniEncoding encoding) {
    return encoding == IniEncoding::ShiftJis ? AnsiFromUtf8(text) : EncodeUtfIni(text, encoding);
}

// The profile functions read a Shift-JIS file through the system's code page, here the
// program's own: the W forms take the file's path whatever it holds.
std::string ReadByProfile(const char* section, const char* key, const char* defaultValue,
                          const std::u16string& path) {
    std::u16string value(2048, u'\0');
    DWORD n = GetPrivateProfileStringW(WideChars(WideFromAnsi(section)),
                                       WideChars(WideFromAnsi(key)),
                                       WideChars(WideFromAnsi(defaultValue)), WideChars(value),
                                       static_cast<DWORD>(value.size()), WideChars(path));
    value.resize(n);
    return AnsiFromWide(value);
}

bool WriteByProfile(const char* section, const char* key, const char* value,
                    const std::u16string& path) {
    std::u16string wideValue = value ? WideFromAnsi(value) : std::u16string();
    return WritePrivateProfileStringW(WideChars(WideFromAnsi(section)),
                                      WideChars(WideFromAnsi(key)),
                                      value ? WideChars(wideValue) : nullptr,
                                      WideChars(path)) != FALSE;
}

}  // namespace

std::string ReadIniText(const char* section, const char* key, const char* defaultValue,
                        const std::u16string& path) {
    try {
        IniEncoding encoding;
        std::string text, value;
        if (!DecodeOwnFile(ReadFileBytes(path), encoding, text))
            return ReadByProfile(section, key, defaultValue, path);
        if (!FindIniValue(text, Utf8FromAnsi(section), Utf8FromAnsi(key), value))
            return defaultValue;
        return AnsiFromUtf8(value);
    } catch (const std::bad_alloc&) {
        return defaultValue;
    }
}

bool WriteIniText(const char* section, const char* key, const char* value,
                  const std::u16string& path) {
    try {
        IniEncoding encoding;
        std::string text, bytes = ReadFileBytes(path);
        if (!DecodeOwnFile(bytes, encoding, text))
            return WriteByProfile(section, key, value, path);
        const std::string utf8 = value ? Utf8FromAnsi(value) : std::string();
        const std::string changed = SetIniValue(text, Utf8FromAnsi(section), Utf8FromAnsi(key),
                                                value ? &utf8 : nullptr);
        std::string out = EncodeOwnFile(changed, encoding);
        return out == bytes || WriteFileBytes(path, out);
    } catch (const std::bad_alloc&) {
        return false;
    }
}
