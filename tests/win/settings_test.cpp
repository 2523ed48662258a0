// The settings file and the hotkeys against real INI files and real system hotkeys.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>

#include "TOOLS/toolsys.h"
#include "resource.h"
#include "settings/hotkeysys.h"
#include "settings/settingsfile.h"
#include "support/testenv.h"

namespace {

// The file's bytes split into sections and keys without the system's help, so the tests see
// exactly what was written.
using IniView = std::map<std::string, std::map<std::string, std::string>>;

IniView ParseIni(const std::string& bytes) {
    IniView view;
    std::string section, line;
    for (size_t at = 0, end; at < bytes.size(); at = end + 1) {
        end = std::min(bytes.find('\n', at), bytes.size());
        line = bytes.substr(at, end - at);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        size_t eq = line.find('=');
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            view[section = line.substr(1, line.size() - 2)];
        } else if (eq != std::string::npos) {
            view[section][line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return view;
}

bool HasKey(IniView& view, const char* section, const char* key) {
    return view[section].count(key) != 0;
}

class SettingsFile : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BuildModuleSiblingPath(path, sizeof path, ".ini")); }
    void WriteIni(const std::string& text) { ASSERT_TRUE(testenv::WriteFileBytes(path, text)); }
    IniView ReadIni() { return ParseIni(testenv::ReadFileBytes(path)); }

    AppSettings Load(const std::string& text) {
        WriteIni(text);
        AppSettings s;
        LoadSettings(path, s);
        LoadHotkeys(path, s.hotkeys);
        return s;
    }

    testenv::TempModuleFolder folder;
    char path[522];
};

TEST_F(SettingsFile, ValuesAreParsedClampedAndFallBackToOldKeys) {
    using Get = int32_t (*)(const AppSettings&);
    Get count = [](const AppSettings& s) { return s.history.historyCount; };
    Get repair = [](const AppSettings& s) { return s.history.repairInterval; };
    Get clear = [](const AppSettings& s) { return s.history.clearInterval; };
    Get autoClear = [](const AppSettings& s) -> int32_t { return s.history.autoClear; };
    Get animate = [](const AppSettings& s) -> int32_t { return s.history.animateIcon; };
    Get useFile = [](const AppSettings& s) -> int32_t { return s.history.useHistoryFile; };
    const struct {
        const char* file;
        Get field;
        int32_t want;
    } cases[] = {
        {"履歴の記憶数=99999", count, 4095},
        {"履歴の記憶数=12abc", count, 12},
        {"履歴の記憶数=", count, 30},
        {"監視チェインの修復間隔=1000\r\nクリップボード文字列のクリア間隔=240000", clear, 60000},
        {"監視チェインの修復間隔=-1", repair, 120000},
        {"監視チェインの修復間隔=3000000000", repair, INT32_MAX},
        {"テキスト一覧の文字数=1", [](const AppSettings& s) { return s.menu.labelChars; }, 3},
        {"[メニューの表示位置]\r\nx=-5", [](const AppSettings& s) { return s.menu.menuX; }, 0},
        {"クリップボード文字列の自動クリア=2", autoClear, 1},
        {"クリップボード文字列の自動クリア=-1", autoClear, 1},
        {"アイコンをアニメーションさせる=yes", animate, 1},
        {"アイコンをアニメーションさせる=0", animate, 0},
        {"履歴機能を利用する=0",
         [](const AppSettings& s) -> int32_t { return s.history.useHistory; }, 0},
        {"履歴を保存する=0\r\n履歴ファイルを利用する=1", useFile, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(c.field(Load(std::string("[Quillmate]\r\n") + c.file + "\r\n")), c.want);
    }
}

TEST_F(SettingsFile, SaveOfDefaultsWritesShiftJisKeysAndNeverTheHistorySwitch) {
    AppSettings s;
    LoadSettings(path, s);  // no file: defaults
    EXPECT_EQ(std::string(s.log.logFolder), folder.path() + "\\log");
    EXPECT_FALSE(testenv::FileExists(path)) << "loading never creates the file";
    SetDefaultHotkeys(s.hotkeys);
    SaveSettings(path, s);
    std::string bytes = testenv::ReadFileBytes(path);
    // "履歴の記憶数=30" as code page 932 bytes.
    EXPECT_NE(bytes.find("\x97\x9A\x97\xF0\x82\xCC\x8B\x4C\x89\xAF\x90\x94=30"), std::string::npos);
    IniView ini = ParseIni(bytes);
    EXPECT_EQ(ini["Quillmate"]["監視チェインの修復間隔"], "600000");
    EXPECT_EQ(ini["Quillmate"]["クリップボード文字列の自動クリア"], "0");
    EXPECT_EQ(ini["メニューの表示位置"]["y"], "0");
    EXPECT_EQ(ini["日時の書式"]["書式数"], "1");
    EXPECT_EQ(ini["日時の書式"]["0"], "%02H:%02M:%02S %04Y/%02m/%02d");
    EXPECT_FALSE(HasKey(ini, "Quillmate", "履歴機能を利用する"));
    EXPECT_TRUE(ini["ホットキー"].empty()) << "hotkeys are saved by their dialog only";

    s = Load("[Quillmate]\r\n履歴機能を利用する=0\r\n");
    s.history.useHistory = true;  // turned on at run time
    SaveSettings(path, s);
    EXPECT_EQ(ReadIni()["Quillmate"]["履歴機能を利用する"], "0");
}

TEST_F(SettingsFile, OldLogKeyIsReadThenReplacedAtSave) {
    AppSettings s = Load("[Quillmate]\r\nテキストをファイルへ保存=1\r\n履歴を保存する=0\r\n");
    EXPECT_TRUE(s.log.logText);
    SaveSettings(path, s);
    IniView ini = ReadIni();
    EXPECT_EQ(ini["Quillmate"]["テキストをログへ書き出す"], "1");
    EXPECT_EQ(ini["Quillmate"]["履歴ファイルを利用する"], "0");
    EXPECT_FALSE(HasKey(ini, "Quillmate", "テキストをファイルへ保存"));
    EXPECT_FALSE(HasKey(ini, "Quillmate", "履歴を保存する"));
}

TEST_F(SettingsFile, LongTextsSurviveSaveAndLoad) {
    AppSettings s;
    SetDefaultSettings(s);
    SetDefaultHotkeys(s.hotkeys);
    std::string longFolder = "C:\\";
    while (longFolder.size() + 5 <= 400) longFolder += "表示\\";
    longFolder.append(400 - longFolder.size(), 'f');
    std::string longFormat = std::string(kDateFormatSize - 3, '%') + "表";  // the field's full size
    std::strcpy(s.log.logFolder, longFolder.c_str());
    std::strcpy(s.dateFormat, longFormat.c_str());
    SaveSettings(path, s);
    AppSettings back;
    LoadSettings(path, back);
    EXPECT_EQ(std::string(back.log.logFolder), longFolder);
    EXPECT_EQ(std::string(back.dateFormat), longFormat);
}

TEST_F(SettingsFile, OverlongFolderIsCutWithoutSplittingACharacter) {
    std::string folder520 = "C:\\" + std::string(517, 'a');
    EXPECT_EQ(Load("[Quillmate]\r\nログフォルダ=" + folder520 + "bc\r\n").log.logFolder,
              folder520 + "b");
    EXPECT_EQ(Load("[Quillmate]\r\nログフォルダ=" + folder520 + "表\r\n").log.logFolder, folder520);
}

TEST_F(SettingsFile, HotkeysLoadFromOldAndNewKeysAndSaveEncoded) {
    AppSettings s = Load(
        "[Quillmate]\r\n履歴を表示=854\r\nメニューを表示=833\r\n"
        "「よく使うテキストの登録」を表示=834\r\n「登録テキストの編集」を表示=835\r\n"
        "[ホットキー]\r\nメニューを表示=836\r\nテキストの登録=4182\r\n履歴のクリア=600\r\n"
        "日時の取得=600\r\n");
    const HotkeySettings& g = s.hotkeys;
    EXPECT_EQ(EncodeHotkey(g.slots[0]), 854) << "an old key alone counts";
    EXPECT_EQ(EncodeHotkey(g.slots[1]), 836) << "the hotkey section wins over the old key";
    EXPECT_EQ(EncodeHotkey(g.slots[2]), 835) << "the newer of the two old names wins";
    EXPECT_TRUE(IsEmptyHotkey(g.slots[3])) << "modifier byte 16";
    EXPECT_TRUE(IsEmptyHotkey(g.slots[8]) && IsEmptyHotkey(g.slots[4])) << "duplicates";
    SaveHotkeys(g, path);
    IniView ini = ReadIni();
    EXPECT_EQ(ini["ホットキー"]["履歴を表示"], "854");
    EXPECT_EQ(ini["ホットキー"]["履歴のクリア"], "0");
    EXPECT_EQ(ini["ホットキー"].size(), kHotkeySlotCount);
}

TEST_F(SettingsFile, OldHotkeyKeysAreCarriedIntoTheHotkeySectionAtTheFirstSave) {
    AppSettings s = Load(
        "[Quillmate]\r\n履歴を表示=854\r\n「よく使うテキストの登録」を表示=834\r\n"
        "メニューを表示=833\r\n[ホットキー]\r\nメニューを表示=836\r\n");
    s.hotkeys.slots[1] = Hotkey{0, 0};  // differs from the file: shows which side was kept
    SaveSettings(path, s);
    IniView ini = ReadIni();
    EXPECT_EQ(ini["ホットキー"]["履歴を表示"], "854");
    EXPECT_EQ(ini["ホットキー"]["「登録テキストの編集」を表示"], "834");
    EXPECT_EQ(ini["ホットキー"]["メニューを表示"], "836") << "a key the section holds stays";
    EXPECT_FALSE(HasKey(ini, "ホットキー", "テキストの登録")) << "only old keys are carried";
    for (const char* old : {"履歴を表示", "メニューを表示", "「よく使うテキストの登録」を表示"}) {
        EXPECT_FALSE(HasKey(ini, "Quillmate", old)) << old;
    }
}

// A hotkey registered by our window makes the same combination unavailable to another one.
bool Taken(HWND probe, UINT modifiers, UINT key) {
    if (!RegisterHotKey(probe, 1, modifiers, key)) return true;
    UnregisterHotKey(probe, 1);
    return false;
}

TEST(HotkeyRegistration, AllRowsOnARealWindow) {
    HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HWND probe = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window && probe);
    const UINT all = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
    HotkeySettings g;
    SetDefaultHotkeys(g);
    g.slots[0] = Hotkey{kHotkeyModControl | kHotkeyModAlt | kHotkeyModShift, VK_F11};
    g.slots[6] = Hotkey{kHotkeyModExtended | kHotkeyModShift, VK_F12};  // clear clipboard
    ASSERT_FALSE(Taken(probe, all, VK_F11) || Taken(probe, MOD_SHIFT, VK_F12));

    RegisterAllHotkeys(window, g);
    EXPECT_TRUE(Taken(probe, all, VK_F11));
    EXPECT_TRUE(Taken(probe, MOD_SHIFT, VK_F12)) << "the extended mark is not passed on";
    ASSERT_TRUE(UnregisterHotKey(window, IDM_CLEAR_CLIPBOARD)) << "registered under its command";
    EXPECT_FALSE(Taken(probe, MOD_SHIFT, VK_F12));
    EXPECT_TRUE(RegisterHotkeySlot(window, IDM_CLEAR_CLIPBOARD, g.slots[6]));

    UnregisterAllHotkeys(window);
    EXPECT_FALSE(Taken(probe, all, VK_F11) || Taken(probe, MOD_SHIFT, VK_F12));

    ASSERT_TRUE(RegisterHotkeySlot(window, IDM_TEXT_MENU, g.slots[0]));
    EXPECT_TRUE(RegisterHotkeySlot(window, IDM_TEXT_MENU, Hotkey{0, 0})) << "unassigned: removed";
    EXPECT_FALSE(Taken(probe, all, VK_F11));
    DestroyWindow(probe);
    DestroyWindow(window);
}

}  // namespace
