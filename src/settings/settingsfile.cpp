// Typed access to the settings file, and the load and save of the settings record.
#include "settings/settingsfile.h"

#include <windows.h>

#include "TOOLS/toolini.h"
#include "TOOLS/toolsys.h"
#include "TOOLS/tooltext.h"
#include "settings/hotkeys.h"

const char* const kMainSection = "Quillmate";
const char* const kSharedSection = "共有";

namespace {

const char* const kMenuPointSection = "メニューの表示位置";
const char* const kDateFormatSection = "日時の書式";
const char* const kIgnoreMarkersKey = "記録拒否の指定されたクリップボードを無視する";

// Keys of older files.
const char* const kOldUseHistoryFile = "履歴を保存する";
const char* const kOldLogText = "テキストをファイルへ保存";
const char* const kOldLogImage = "イメージをファイルへ保存";
const char* const kOldTextMenuHotkey = "履歴を表示";
const char* const kOldCommandMenuHotkey = "メニューを表示";
const char* const kOldestRegisteredHotkey = "「よく使うテキストの登録」を表示";
const char* const kOldRegisteredHotkey = "「登録テキストの編集」を表示";

// Hotkeys that older files kept in the program's own section, and the slot each one fed.
struct LegacyHotkeyKey {
    const char* key;
    size_t slot;
};

constexpr LegacyHotkeyKey kLegacyHotkeyKeys[] = {
    {kOldTextMenuHotkey, 0},
    {kOldCommandMenuHotkey, 1},
    {kOldRegisteredHotkey, 2},
    {kOldestRegisteredHotkey, 2},
};

// The log folder's exact form, where code page 932 cannot hold it; "ログフォルダ" keeps what 932
// makes of it for older programs.
const char* const kLogFolderKey = "ログフォルダ";
const char* const kLogFolderExactKey = "ログフォルダ(Unicode)";
// The shared folder's exact form, kept the same way.
const char* const kSharedFolderKey = "フォルダ";
const char* const kSharedFolderExactKey = "フォルダ(Unicode)";

// A path's exact form kept beside its bytes; none where the bytes no longer match it (an older
// program changed the path).
std::u16string ReadExactPath(const char* section, const char* key, const char* bytes,
                             const std::u16string& file) {
    std::u16string exact;
    if (!UnescapeExactPath(ReadIniText(section, key, "", file), exact) ||
        AnsiFromWide(exact) != bytes)
        exact.clear();
    return exact;
}

// Absent while the path fits code page 932.
void WriteExactPath(const char* section, const char* key, const std::u16string& exact,
                    const std::u16string& file) {
    const std::string escaped = EscapeExactPath(exact);
    WriteIniText(section, key, escaped.empty() ? nullptr : escaped.c_str(), file);
}

const HotkeyBinding* BindingOfSlot(size_t slot) {
    for (const HotkeyBinding& row : HotkeyTable) {
        if (row.slot == slot) return &row;
    }
    return nullptr;
}

void LoadHistoryGroup(const std::u16string& path, HistorySettings& h) {
    SetDefaultHistorySettings(h);
    const char* s = kMainSection;
    h.useHistoryFile = ReadProfileBool(s, kOldUseHistoryFile, path, h.useHistoryFile);
    h.historyCount = ReadProfileInt(s, "履歴の記憶数", path, h.historyCount);
    h.useHistory = ReadProfileBool(s, "履歴機能を利用する", path, h.useHistory);
    h.useHistoryFile = ReadProfileBool(s, "履歴ファイルを利用する", path, h.useHistoryFile);
    h.animateIcon = ReadProfileBool(s, "アイコンをアニメーションさせる", path, h.animateIcon);
    h.repairChain = ReadProfileBool(s, "監視チェインの自動修復", path, h.repairChain);
    h.repairInterval = ReadProfileInt(s, "監視チェインの修復間隔", path, h.repairInterval);
    h.autoClear = ReadProfileBool(s, "クリップボード文字列の自動クリア", path, h.autoClear);
    h.clearInterval = ReadProfileInt(s, "クリップボード文字列のクリア間隔", path, h.clearInterval);
    h.honourIgnoreMarkers = ReadProfileBool(s, kIgnoreMarkersKey, path, h.honourIgnoreMarkers);
    ClampHistorySettings(h);
}

void LoadMenuGroup(const std::u16string& path, MenuSettings& m) {
    SetDefaultMenuSettings(m);
    const char* s = kMainSection;
    m.labelChars = ReadProfileInt(s, "テキスト一覧の文字数", path, m.labelChars);
    m.newestOnTop = ReadProfileBool(s, "新しい履歴を上側に配置", path, m.newestOnTop);
    m.registeredOnTop = ReadProfileBool(s, "登録テキストを上側に配置", path, m.registeredOnTop);
    m.showMenuTips = ReadProfileBool(s, "メニューチップを表示する", path, m.showMenuTips);
    m.menuTipChars = ReadProfileInt(s, "メニューチップの文字数", path, m.menuTipChars);
    m.menuX = ReadProfileInt(kMenuPointSection, "x", path, m.menuX);
    m.menuY = ReadProfileInt(kMenuPointSection, "y", path, m.menuY);
    ClampMenuSettings(m);
}

void LoadLogGroup(const std::u16string& path, LogSettings& l) {
    const char* s = kMainSection;
    l.logText = ReadProfileBool(s, kOldLogText, path, l.logText);
    l.logImage = ReadProfileBool(s, kOldLogImage, path, l.logImage);
    ReadProfileText(s, kLogFolderKey, path, l.logFolder, l.logFolder, kLogFolderSize);
    std::u16string exact = ReadExactPath(s, kLogFolderExactKey, l.logFolder, path);
    if (!exact.empty() || ProfileKeyExists(s, kLogFolderKey, path)) l.logFolderExact = exact;
    l.logText = ReadProfileBool(s, "テキストをログへ書き出す", path, l.logText);
    l.logImage = ReadProfileBool(s, "イメージをログへ書き出す", path, l.logImage);
}

void SaveHistoryGroup(const std::u16string& path, const HistorySettings& h) {
    const char* s = kMainSection;
    WriteProfileInt(s, "履歴の記憶数", path, h.historyCount);
    WriteProfileBool(s, "履歴ファイルを利用する", path, h.useHistoryFile);
    WriteProfileBool(s, "アイコンをアニメーションさせる", path, h.animateIcon);
    WriteProfileBool(s, "監視チェインの自動修復", path, h.repairChain);
    WriteProfileInt(s, "監視チェインの修復間隔", path, h.repairInterval);
    WriteProfileBool(s, "クリップボード文字列の自動クリア", path, h.autoClear);
    WriteProfileInt(s, "クリップボード文字列のクリア間隔", path, h.clearInterval);
    WriteProfileBool(s, kIgnoreMarkersKey, path, h.honourIgnoreMarkers);
}

void SaveMenuGroup(const std::u16string& path, const MenuSettings& m) {
    const char* s = kMainSection;
    WriteProfileInt(s, "テキスト一覧の文字数", path, m.labelChars);
    WriteProfileBool(s, "新しい履歴を上側に配置", path, m.newestOnTop);
    WriteProfileBool(s, "登録テキストを上側に配置", path, m.registeredOnTop);
    WriteProfileBool(s, "メニューチップを表示する", path, m.showMenuTips);
    WriteProfileInt(s, "メニューチップの文字数", path, m.menuTipChars);
    WriteProfileInt(kMenuPointSection, "x", path, m.menuX);
    WriteProfileInt(kMenuPointSection, "y", path, m.menuY);
}

void SaveLogGroup(const std::u16string& path, const LogSettings& l) {
    const char* s = kMainSection;
    WriteProfileBool(s, "テキストをログへ書き出す", path, l.logText);
    WriteProfileBool(s, "イメージをログへ書き出す", path, l.logImage);
    WriteIniText(s, kLogFolderKey, l.logFolder, path);
    WriteExactPath(s, kLogFolderExactKey, l.logFolderExact, path);
}

void LoadSharedGroup(const std::u16string& path, SharedSettings& g) {
    const char* s = kSharedSection;
    ReadProfileText(s, kSharedFolderKey, path, "", g.folder, sizeof g.folder);
    g.folderExact = ReadExactPath(s, kSharedFolderExactKey, g.folder, path);
    g.historyCount = ReadProfileInt(s, "履歴の共有数", path, 0);
    ReadProfileText(s, "マシンID", path, "", g.machineId, sizeof g.machineId);
    ReadProfileText(s, "コンピュータ名", path, "", g.machineComputer, sizeof g.machineComputer);
    ClampSharedSettings(g);
}

void SaveSharedGroup(const std::u16string& path, const SharedSettings& g) {
    const char* s = kSharedSection;
    WriteIniText(s, kSharedFolderKey, g.folder, path);
    WriteExactPath(s, kSharedFolderExactKey, g.folderExact, path);
    WriteProfileInt(s, "履歴の共有数", path, g.historyCount);
    if (!*g.machineId) return;
    WriteIniText(s, "マシンID", g.machineId, path);
    WriteIniText(s, "コンピュータ名", g.machineComputer, path);
}

bool ProfileIntReadable(const char* section, const char* key, const std::u16string& file) {
    int32_t value;
    return ParseProfileInt(ReadIniText(section, key, "", file).c_str(), value);
}

// The old hotkey keys are about to be deleted; a hotkey the hotkey section does not hold as a
// number (missing, empty, letters) came from the old key and would be lost with it, so the
// loaded value is written there first.
void CarryLegacyHotkeys(const std::u16string& path, const HotkeySettings& group) {
    for (const LegacyHotkeyKey& legacy : kLegacyHotkeyKeys) {
        if (!ProfileKeyExists(kMainSection, legacy.key, path)) continue;
        const HotkeyBinding* row = BindingOfSlot(legacy.slot);
        if (ProfileIntReadable(kHotkeySection, row->key, path)) continue;
        WriteProfileInt(kHotkeySection, row->key, path, EncodeHotkey(group.slots[legacy.slot]));
    }
}

}  // namespace

bool ReadProfileBool(const char* section, const char* key, const std::u16string& file, bool defaultValue) {
    return ReadProfileInt(section, key, file, defaultValue ? 1 : 0) != 0;
}

int32_t ReadProfileInt(const char* section, const char* key, const std::u16string& file,
                       int32_t defaultValue) {
    int32_t value;
    return ParseProfileInt(ReadIniText(section, key, "", file).c_str(), value) ? value
                                                                               : defaultValue;
}

bool WriteProfileBool(const char* section, const char* key, const std::u16string& file, bool value) {
    return WriteProfileInt(section, key, file, value ? 1 : 0);
}

bool WriteProfileInt(const char* section, const char* key, const std::u16string& file, int32_t value) {
    char text[256];
    tooltext::FormatBounded(text, sizeof text, "%d", static_cast<int>(value));
    return WriteIniText(section, key, text, file);
}

void ReadProfileText(const char* section, const char* key, const std::u16string& file,
                     const char* defaultValue, char* buffer, size_t size) {
    // Read aside first: defaultValue may be the buffer itself.
    std::string text = ReadIniText(section, key, defaultValue, file);
    tooltext::CopyBounded(buffer, size, text.c_str());
}

bool ProfileKeyExists(const char* section, const char* key, const std::u16string& file) {
    // A missing key yields the default; no value equals two different defaults.
    return ReadIniText(section, key, "0", file) != "0" || ReadIniText(section, key, "1", file) != "1";
}

bool DeleteProfileKey(const std::u16string& file, const char* section, const char* key) {
    return WriteIniText(section, key, nullptr, file);
}

void SetDefaultSettings(AppSettings& settings) {
    const std::u16string folder = ModuleFolder();
    const std::string bytes = AnsiFromWide(folder);
    SetDefaultSettingsIn(settings, bytes.c_str());
    settings.log.logFolderExact.clear();
    if (ExactFormOf(folder, bytes)) settings.log.logFolderExact = tooltext::JoinWidePath(folder, "log");
}

std::u16string LogFolderPath(const LogSettings& log) {
    return log.logFolderExact.empty() ? WideFromAnsi(log.logFolder) : log.logFolderExact;
}

std::u16string SharedFolderPath(const SharedSettings& shared) {
    return shared.folderExact.empty() ? WideFromAnsi(shared.folder) : shared.folderExact;
}

bool LoadSettings(const std::u16string& path, AppSettings& settings) {
    SetDefaultSettings(settings);
    LoadHistoryGroup(path, settings.history);
    LoadMenuGroup(path, settings.menu);
    ReadProfileText(kDateFormatSection, "0", path, kDefaultDateFormat, settings.dateFormat,
                    kDateFormatSize);
    LoadLogGroup(path, settings.log);
    LoadSharedGroup(path, settings.shared);
    return true;
}

bool SaveSettings(const std::u16string& path, const AppSettings& settings) {
    SaveHistoryGroup(path, settings.history);
    SaveMenuGroup(path, settings.menu);
    WriteProfileInt(kDateFormatSection, "書式数", path, 1);
    WriteIniText(kDateFormatSection, "0", settings.dateFormat, path);
    SaveLogGroup(path, settings.log);
    SaveSharedGroup(path, settings.shared);
    CarryLegacyHotkeys(path, settings.hotkeys);
    RemoveLegacyKeys(path);
    return true;
}

void RemoveLegacyKeys(const std::u16string& path) {
    const char* const keys[] = {
        kOldTextMenuHotkey, kOldCommandMenuHotkey, kOldRegisteredHotkey, kOldestRegisteredHotkey,
        kOldUseHistoryFile, kOldLogText,           kOldLogImage};
    for (const char* key : keys) DeleteProfileKey(path, kMainSection, key);
}
