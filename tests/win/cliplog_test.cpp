// Clipboard log files written into a private folder: folder tree, bytes, and silent failures.
#include "clipboard/cliplog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/testenv.h"

namespace {

using testenv::FileExists;
using testenv::ReadFileBytes;

LogTime Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return LogTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

bool SameSecond(const LogTime& a, const LogTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

std::string LogFilePath(const std::string& folder, const LogTime& t, const char* ext) {
    char name[64];
    snprintf(name, sizeof name, "\\%04d-%02d\\%02d\\%02d%02d%02d%s", t.year, t.month, t.day, t.hour,
             t.minute, t.second, ext);
    return folder + name;
}

// Every file below folder, as full paths.
void ListFiles(const std::string& folder, std::vector<std::string>* files) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListFiles(folder + "\\" + name, files);
        } else {
            files->push_back(folder + "\\" + name);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

std::vector<std::string> FilesBelow(const std::string& folder) {
    std::vector<std::string> files;
    ListFiles(folder, &files);
    return files;
}

// Runs write(log folder) into a fresh log folder until the clock's second stays the same
// during the call, so that the file's name is known. Gives the log folder and that second.
template <class Write>
bool WriteWithinOneSecond(const testenv::TempModuleFolder& temp, Write write, std::string* folder,
                          LogTime* time) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        *folder = temp.file(("log" + std::to_string(attempt)).c_str());
        LogTime before = Now();
        write(*folder);
        *time = Now();
        if (SameSecond(before, *time)) return true;
    }
    return false;
}

void Put32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}

// A packed DIB: 40-byte header, then table and pixels as given.
std::string MakeDib(int32_t width, int32_t height, uint16_t bits, uint32_t compression,
                    const std::string& tableAndPixels) {
    std::string b(40, '\0');
    Put32(b, 0, 40);
    Put32(b, 4, static_cast<uint32_t>(width));
    Put32(b, 8, static_cast<uint32_t>(height));
    b[12] = 1;
    b[14] = static_cast<char>(bits);
    Put32(b, 16, compression);
    return b + tableAndPixels;
}

std::string FileHeader(uint32_t fileSize, uint32_t bitsOffset) {
    std::string h(14, '\0');
    h[0] = 'B';
    h[1] = 'M';
    Put32(h, 2, fileSize);
    Put32(h, 10, bitsOffset);
    return h;
}

// Reads a bitmap file the way a viewer does (the info header after the 14-byte file header,
// the pixels at the file header's offset) and lets GDI decode it.
struct Loaded {
    bool ok = false;
    LONG width = 0;
    LONG height = 0;
    COLORREF topLeft = CLR_INVALID;
};

Loaded LoadBitmapFile(const std::string& path) {
    Loaded r;
    std::string file = ReadFileBytes(path);
    if (file.size() < 54 || file.compare(0, 2, "BM") != 0) return r;
    const BITMAPFILEHEADER* header = reinterpret_cast<const BITMAPFILEHEADER*>(file.data());
    if (header->bfSize != file.size() || header->bfOffBits >= file.size()) return r;
    const BITMAPINFO* info = reinterpret_cast<const BITMAPINFO*>(file.data() + 14);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT,
                                    file.data() + header->bfOffBits, info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (!bitmap) return r;
    BITMAP object;
    GetObjectA(bitmap, sizeof object, &object);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    r.topLeft = GetPixel(dc, 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    r.ok = true;
    r.width = object.bmWidth;
    r.height = object.bmHeight;
    return r;
}

TEST(TextLog, WritesTheBytesBeforeTheNulIntoTheTreeOfItsSecond) {
    testenv::TempModuleFolder temp;
    // A lone LF must stay one byte: the file is written without text-mode translation.
    const std::string text("表示～\r\nline\nlast\0after", 24);
    std::string folder;
    LogTime time;
    bool written = false;
    ASSERT_TRUE(WriteWithinOneSecond(
        temp,
        [&](const std::string& f) { written = WriteTextLog(f.c_str(), text.data(), text.size()); },
        &folder, &time));
    EXPECT_TRUE(written);
    std::string path = LogFilePath(folder, time, ".txt");
    EXPECT_EQ(FilesBelow(folder), std::vector<std::string>{path});
    EXPECT_EQ(ReadFileBytes(path), text.substr(0, text.find('\0')));
}

TEST(TextLog, SecondTextWithinTheSameSecondReplacesTheFirst) {
    testenv::TempModuleFolder temp;
    std::string folder;
    LogTime time;
    const std::string first = "the first and longer text";
    const std::string second = "second";
    ASSERT_TRUE(WriteWithinOneSecond(
        temp,
        [&](const std::string& f) {
            WriteTextLog(f.c_str(), first.c_str(), first.size() + 1);
            WriteTextLog(f.c_str(), second.c_str(), second.size() + 1);
        },
        &folder, &time));
    std::string path = LogFilePath(folder, time, ".txt");
    EXPECT_EQ(FilesBelow(folder), std::vector<std::string>{path});
    EXPECT_EQ(ReadFileBytes(path), second);
}

TEST(BitmapLog, EightBitBitmapIsWrittenInTheFileLayout) {
    testenv::TempModuleFolder temp;
    std::string table(1024, '\0');
    table[4 * 1 + 2] = static_cast<char>(0xFF);  // colour 1 is red (blue, green, red, 0)
    std::string pixels("\x00\x00\x00\x00\x01\x00\x00\x00", 8);  // bottom row first
    std::string dib = MakeDib(2, 2, 8, 0, table + pixels);
    std::vector<char> copy(dib.begin(), dib.end());
    copy.push_back('\0');  // as the clipboard copy carries it
    std::string folder;
    LogTime time;
    bool written = false;
    ASSERT_TRUE(WriteWithinOneSecond(
        temp,
        [&](const std::string& f) {
            written = WriteBitmapLog(copy.data(), copy.size() - 1, f.c_str());
        },
        &folder, &time));
    EXPECT_TRUE(written);
    std::string path = LogFilePath(folder, time, ".bmp");
    EXPECT_EQ(ReadFileBytes(path), FileHeader(14 + 40 + 1024 + 8, 14 + 40 + 1024) + dib);

    Loaded loaded = LoadBitmapFile(path);
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.width, 2);
    EXPECT_EQ(loaded.height, 2);
    EXPECT_EQ(loaded.topLeft, RGB(0xFF, 0, 0)) << "the top row is the second one stored";
}

TEST(BitmapLog, TopDownAndBitFieldBitmapsLoadAsTheyWere) {
    testenv::TempModuleFolder temp;
    struct Case {
        const char* what;
        std::string dib;
        COLORREF topLeft;
    };
    // 24 bits, 1 x -2: the first row stored is the top one.
    std::string topDown = MakeDib(1, -2, 24, 0, std::string("\x00\x00\xFF\x00\xFF\x00\x00\x00", 8));
    // 16 bits 5-6-5 with its masks after the header; pixel 0xF800 is pure red.
    std::string masks("\x00\xF8\x00\x00\xE0\x07\x00\x00\x1F\x00\x00\x00", 12);
    std::string bitFields = MakeDib(1, 1, 16, 3, masks + std::string("\x00\xF8\x00\x00", 4));
    const Case cases[] = {{"top-down", topDown, RGB(0xFF, 0, 0)},
                          {"bit fields", bitFields, RGB(0xFF, 0, 0)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string folder;
        LogTime time;
        ASSERT_TRUE(WriteWithinOneSecond(
            temp,
            [&](const std::string& f) {
                EXPECT_TRUE(WriteBitmapLog(c.dib.data(), c.dib.size(), f.c_str()));
            },
            &folder, &time));
        std::string path = LogFilePath(folder, time, ".bmp");
        EXPECT_EQ(ReadFileBytes(path).substr(14), c.dib);
        Loaded loaded = LoadBitmapFile(path);
        ASSERT_TRUE(loaded.ok);
        EXPECT_EQ(loaded.width, 1);
        EXPECT_EQ(loaded.topLeft, c.topLeft);
    }
}

TEST(BitmapLog, BlockThatDoesNotHoldItsPixelsLeavesNoFile) {
    testenv::TempModuleFolder temp;
    std::string dib = MakeDib(3, 2, 24, 0, std::string(23, 'x'));
    std::string folder = temp.file("log");
    EXPECT_FALSE(WriteBitmapLog(dib.data(), dib.size(), folder.c_str()));
    EXPECT_FALSE(WriteBitmapLog(dib.data(), 0, folder.c_str()));
    EXPECT_FALSE(FileExists(folder)) << "not even the folders are made";
}

TEST(LogFolders, MonthAndDayFoldersAreMadeOnTheWay) {
    testenv::TempModuleFolder temp;
    const LogTime lastSecond{2021, 9, 30, 23, 59, 59};
    std::string folder = temp.file("log\\");  // a trailing backslash is not doubled
    FILE* file = OpenLogFileAt(folder.c_str(), ".txt", lastSecond);
    ASSERT_NE(file, nullptr);
    fputs("x\n", file);
    fclose(file);
    EXPECT_EQ(ReadFileBytes(temp.file("log\\2021-09\\30\\235959.txt")), "x\n");
}

TEST(LogFolders, FailuresWriteNothingAndDoNotCrash) {
    testenv::TempModuleFolder temp;
    const LogTime t{2021, 9, 30, 23, 59, 59};
    const char text[] = "text";

    // The log folder is made one level deep only.
    std::string orphan = temp.file("missing\\log");
    EXPECT_FALSE(WriteTextLog(orphan.c_str(), text, sizeof text));
    EXPECT_EQ(OpenLogFileAt(orphan.c_str(), ".txt", t), nullptr);
    EXPECT_FALSE(FileExists(temp.file("missing")));

    // A level that exists as a file stops the write and the file stays as it was.
    const char* asFiles[] = {"plain", "month\\2021-09", "day\\2021-09\\30"};
    for (const char* level : asFiles) {
        std::string name = level;
        std::string root = temp.file(name.substr(0, name.find('\\')).c_str());
        for (size_t sep = name.find('\\'); sep != std::string::npos;
             sep = name.find('\\', sep + 1)) {
            CreateDirectoryA(temp.file(name.substr(0, sep).c_str()).c_str(), nullptr);
        }
        ASSERT_TRUE(testenv::WriteFileBytes(temp.file(level), "keep"));
        EXPECT_EQ(OpenLogFileAt(root.c_str(), ".txt", t), nullptr) << level;
        EXPECT_EQ(ReadFileBytes(temp.file(level)), "keep");
    }
}

TEST(LogFolders, EmptyFolderSettingWritesNothing) {
    testenv::TempModuleFolder temp;
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(temp.path().c_str()));
    LogTime now = Now();
    char month[16];
    snprintf(month, sizeof month, "\\%04d-%02d", now.year, now.month);
    bool rootHadMonth = FileExists(month);

    std::string dib = MakeDib(1, 1, 24, 0, std::string(4, '\0'));
    EXPECT_FALSE(WriteTextLog("", "text", 5));
    EXPECT_FALSE(WriteBitmapLog(dib.data(), dib.size(), ""));
    EXPECT_EQ(OpenLogFile("", ".txt"), nullptr);
    SetCurrentDirectoryA(previous);

    EXPECT_TRUE(FilesBelow(temp.path()).empty());
    EXPECT_FALSE(FileExists(temp.file(month + 1))) << "no month folder beside the program";
    EXPECT_EQ(FileExists(month), rootHadMonth) << "nothing lands in the drive's root either";
}

}  // namespace
