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

// Paths beside the executable come from here only, in UTF-16: the executable's folder may hold
// what no code page can. Tests point them at a folder of their own by naming a fake module path;
// a null path restores the real one.
void SetModulePathOverride(const char16_t* modulePath);

// The executable's path with its extension replaced by ext (".ini", ".hst", ".use"), ASCII
// lower-cased. Empty when the module path cannot be obtained.
std::u16string ModuleSiblingPath(const char* ext);

// The executable's folder, without a trailing separator, case kept; empty when unobtainable.
std::u16string ModuleFolder();

// From now on a library loaded by bare name comes from the system folder only, never from the
// executable's or the current folder, where the system can be told so (SetDefaultDllDirectories,
// looked up at run time); false where it cannot.
bool RestrictLibrarySearchToSystemFolder();

// Loads a DLL of the system folder by its full path (by bare name, a DLL of that name beside
// the executable or in the current folder would run); null when it is not there.
HMODULE LoadSystemLibrary(const char* name);

// Empties the clipboard and publishes text, in one opening: as CF_UNICODETEXT (exact, the text's
// exact form, when given) and as CF_TEXT in the system's code page. Where that code page is the
// program's, CF_TEXT holds text's own bytes and comes first unless there is an exact form, as a
// reader taking the first text format should find the truest one. owner may be null.
bool SetClipboardText(HWND owner, const char* text, const std::u16string* exact = nullptr);

// The clipboard's text: its code page 932 bytes laid out as a CF_TEXT copy of ReadClipboardFormat,
// and its exact form where 932 cannot hold it (null otherwise). Where the text was put there as
// Unicode, or as CF_TEXT of a system code page other than 932, the bytes are converted here, so
// the system's own conversion (and the copy Wine keeps of it) is never asked for.
struct ClipboardText {
    std::vector<char> bytes;
    std::shared_ptr<const std::u16string> exact;
};
// Arguments and the empty result as for ReadClipboardFormat.
ClipboardText ReadClipboardText(HWND owner, bool* opened = nullptr, bool* marked = nullptr);

// The program's texts are code page 932 bytes whatever the system's code page; these are their
// conversions to and from UTF-16 (what 932 cannot hold becomes its default character).
std::string AnsiFromWide(std::u16string_view text);
std::u16string WideFromAnsi(std::string_view text);
// The system's own ANSI code page, which CF_TEXT means to other programs, and nothing else.
std::string SystemAnsiFromWide(std::u16string_view text);
std::u16string WideFromSystemAnsi(std::string_view text);
// True where the system's ANSI code page is the program's: the system's A functions and files
// then see the program's bytes as they are.
bool SystemUsesProgramCodePage();
// Windows' wchar_t is a UTF-16 unit: the program's UTF-16 texts go to the W functions as they
// are (std::wstring would link all of libstdc++'s wide strings, about 20 KB).
inline const wchar_t* WideChars(const std::u16string& text) {
    return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline wchar_t* WideChars(std::u16string& text) {
    return reinterpret_cast<wchar_t*>(text.data());
}
inline const wchar_t* WideChars(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
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
