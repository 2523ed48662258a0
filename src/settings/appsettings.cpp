// Defaults, clamps and number parsing of the settings record.
#include "settings/appsettings.h"

#include <algorithm>

#include "TOOLS/tooltext.h"

const char* const kDefaultDateFormat = "%02H:%02M:%02S %04Y/%02m/%02d";

void SetDefaultHistorySettings(HistorySettings& history) {
    history.historyCount = 30;
    history.useHistory = true;
    history.useHistoryFile = true;
    history.animateIcon = true;
    history.repairChain = true;
    history.repairInterval = 600000;
    history.autoClear = false;
    history.clearInterval = 240000;
    history.honourIgnoreMarkers = true;
}

void SetDefaultMenuSettings(MenuSettings& menu) {
    menu.labelChars = 64;
    menu.newestOnTop = true;
    menu.registeredOnTop = true;
    menu.showMenuTips = true;
    menu.menuTipChars = 1024;
    menu.menuX = 0;
    menu.menuY = 0;
}

void SetDefaultSettingsIn(AppSettings& settings, const char* moduleFolder) {
    SetDefaultHistorySettings(settings.history);
    SetDefaultMenuSettings(settings.menu);
    tooltext::CopyBounded(settings.dateFormat, kDateFormatSize, kDefaultDateFormat);
    tooltext::JoinPath(settings.log.logFolder, kLogFolderSize, moduleFolder, "log");
    settings.log.logText = false;
    settings.log.logImage = false;
    settings.shared = SharedSettings{};
}

void ClampHistorySettings(HistorySettings& history) {
    history.historyCount = std::clamp(history.historyCount, kMinHistoryCount, kMaxHistoryCount);
    // Signed comparisons: a negative interval would otherwise pass as a timer of weeks.
    history.repairInterval = std::max(history.repairInterval, kMinRepairInterval);
    history.clearInterval = std::max(history.clearInterval, kMinClearInterval);
    int32_t clearLimit = history.repairInterval - kMinClearInterval;
    if (history.clearInterval >= clearLimit) history.clearInterval = clearLimit;
}

void ClampSharedSettings(SharedSettings& shared) {
    shared.historyCount = std::clamp(shared.historyCount, 0, kMaxHistoryCount);
}

void ClampMenuSettings(MenuSettings& menu) {
    menu.labelChars = std::clamp(menu.labelChars, 3, 256);
    menu.menuTipChars = std::clamp(menu.menuTipChars, 2, 65534);
    menu.menuX = std::clamp(menu.menuX, 0, 32766);
    menu.menuY = std::clamp(menu.menuY, 0, 32766);
}

bool ParseProfileInt(const char* text, int32_t& value) {
    return tooltext::ParseDecimalInt(text, value);
}

std::string EscapeExactPath(std::u16string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text;
    for (char c : tooltext::Utf8FromWide(path)) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x80 && c != '%') {
            text += c;
            continue;
        }
        text += '%';
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
    }
    return text;
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

bool UnescapeExactPath(std::string_view text, std::u16string& path) {
    std::string utf8;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            utf8 += text[i];
            continue;
        }
        int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
        int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0) return false;
        utf8 += static_cast<char>(high << 4 | low);
        i += 2;
    }
    if (!tooltext::IsStrictUtf8(utf8)) return false;
    path = tooltext::WideFromUtf8(utf8);
    return true;
}
