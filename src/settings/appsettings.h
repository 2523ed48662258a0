// The settings record with its groups, its defaults, the clamps applied after loading and the
// encoding of numbers in the settings file. Pure: no platform calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/hotkeys.h"

constexpr size_t kDateFormatSize = 1024;
constexpr size_t kLogFolderSize = 522;  // at most 521 bytes of path

extern const char* const kDefaultDateFormat;  // "%02H:%02M:%02S %04Y/%02m/%02d"

constexpr int32_t kMinHistoryCount = 1;
constexpr int32_t kMaxHistoryCount = 4095;
constexpr int32_t kMinRepairInterval = 120000;
constexpr int32_t kMinClearInterval = 60000;

struct HistorySettings {
    int32_t historyCount;
    bool useHistory;
    bool useHistoryFile;
    bool animateIcon;
    bool repairChain;
    int32_t repairInterval;  // milliseconds
    bool autoClear;
    int32_t clearInterval;  // milliseconds
    bool honourIgnoreMarkers;  // pass over content its program marked as not to be kept
};

struct MenuSettings {
    int32_t labelChars;
    bool newestOnTop;
    bool registeredOnTop;
    bool showMenuTips;
    int32_t menuTipChars;
    int32_t menuX;
    int32_t menuY;
};

struct LogSettings {
    char logFolder[kLogFolderSize];
    // The folder's exact form where code page 932 cannot hold it (logFolder then holds what 932
    // makes of it, for older programs); empty otherwise.
    std::u16string logFolderExact;
    bool logText;
    bool logImage;
};

constexpr size_t kMachineIdSize = 17;  // 16 hex digits
constexpr size_t kComputerNameSize = 256;

// The shared folder that keeps the registered texts the same on several machines.
struct SharedSettings {
    char folder[kLogFolderSize];  // empty: nothing is shared
    std::u16string folderExact;   // the folder where code page 932 cannot hold it; else empty
    int32_t historyCount;         // newest history texts shared beside them, 0..4095
    char machineId[kMachineIdSize];  // made once per computer; empty until then
    char machineComputer[kComputerNameSize];  // the computer the id was made on
};

// Every persisted setting; lives for the whole resident run and is never copied.
struct AppSettings {
    HistorySettings history;
    MenuSettings menu;
    HotkeySettings hotkeys;
    char dateFormat[kDateFormatSize];
    LogSettings log;
    SharedSettings shared;
};

void SetDefaultHistorySettings(HistorySettings& history);
void SetDefaultMenuSettings(MenuSettings& menu);

// Defaults of every group but the hotkeys; the log folder is "log" inside moduleFolder.
void SetDefaultSettingsIn(AppSettings& settings, const char* moduleFolder);

// historyCount into 1..4095; the repair interval at least 120000 ms; the clear interval at least
// 60000 ms and below the repair interval by at least 60000 ms. Negative intervals count as the
// minimum.
void ClampHistorySettings(HistorySettings& history);

// historyCount into 0..4095.
void ClampSharedSettings(SharedSettings& shared);

// labelChars into 3..256, menuTipChars into 2..65534, menuX and menuY into 0..32766.
void ClampMenuSettings(MenuSettings& menu);

// The exact form of a path in a settings value that any encoding and code page keeps: its UTF-8
// bytes, those from 0x80 up and '%' written as "%XX" (capital hex digits).
std::string EscapeExactPath(std::u16string_view path);
// False when text holds a '%' not followed by two hex digits, or bytes that are no UTF-8.
bool UnescapeExactPath(std::string_view text, std::u16string& path);

// A setting's number as scanf's "%d" reads it: leading white space, an optional sign, digits;
// anything after them is ignored. False when no digit follows. Numbers beyond the 32-bit range
// saturate at its bounds.
bool ParseProfileInt(const char* text, int32_t& value);
