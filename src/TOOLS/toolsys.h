// System toolkit: trace sink, paths beside the executable, and the only code that opens the
// clipboard.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// printf-style line of at most 1023 characters to the debugger output; returns the formatter's
// result.
int Trace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Paths beside the executable come from here only. Tests point them at a folder of their own by
// naming a fake module path; a null path restores the real one.
void SetModulePathOverride(const char* modulePath);

// The executable's path with its extension replaced by ext (".ini", ".hst", ".use"),
// lower-cased. False when the module path cannot be obtained or does not fit.
bool BuildModuleSiblingPath(char* buffer, size_t size, const char* ext);

// The executable's folder, without a trailing separator, case kept.
bool GetModuleFolder(char* buffer, size_t size);

// From now on a library loaded by bare name comes from the system folder only, never from the
// executable's or the current folder, where the system can be told so (SetDefaultDllDirectories,
// looked up at run time); false where it cannot.
bool RestrictLibrarySearchToSystemFolder();

// Loads a DLL of the system folder by its full path (by bare name, a DLL of that name beside
// the executable or in the current folder would run); null when it is not there.
HMODULE LoadSystemLibrary(const char* name);

// Empties the clipboard and publishes text as CF_TEXT, and, when given, exact (the text's exact
// form) as CF_UNICODETEXT beside it, in one opening. owner may be null.
bool SetClipboardText(HWND owner, const char* text, const std::u16string* exact = nullptr);

// The clipboard's text: its code-page bytes as a CF_TEXT copy of ReadClipboardFormat holds them,
// and its exact form where the code page cannot hold it (null otherwise). Where the text was put
// there as Unicode, the bytes are converted here as the system would convert them, so the
// system's own conversion (and the copy Wine keeps of it) is never asked for.
struct ClipboardText {
    std::vector<char> bytes;
    std::shared_ptr<const std::u16string> exact;
};
// Arguments and the empty result as for ReadClipboardFormat.
ClipboardText ReadClipboardText(HWND owner, bool* opened = nullptr, bool* marked = nullptr);

// Code-page conversions as the clipboard makes them (the ANSI code page, its default character
// for what it cannot hold).
std::string AnsiFromWide(std::u16string_view text);
std::u16string WideFromAnsi(std::string_view text);
// Windows' wchar_t is a UTF-16 unit: the program's UTF-16 texts go to the W functions as they
// are (std::wstring would link all of libstdc++'s wide strings, about 20 KB).
inline const wchar_t* WideChars(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline wchar_t* WideChars(std::u16string& text) {
    return reinterpret_cast<wchar_t*>(text.data());
}
// The exact form to keep beside ansi, the bytes of text: null when they give text back unchanged.
std::shared_ptr<const std::u16string> ExactFormOf(std::u16string_view text, std::string_view ansi);

// A private copy of one clipboard format: the global block's bytes followed by one NUL byte,
// so a CF_TEXT block lacking its own NUL is still read safely. Empty when the format is
// absent, empty, or the clipboard cannot be opened; opened (when given) tells the last case
// apart, so a caller may try again while another program holds the clipboard. With marked
// given, the formats are looked over first: when one asks clipboard tools not to keep the
// content, *marked is set and nothing is read.
std::vector<char> ReadClipboardFormat(HWND owner, UINT format, bool* opened = nullptr,
                                      bool* marked = nullptr);

// Empties the clipboard; false when it could not be opened.
bool ClearClipboard(HWND owner);
