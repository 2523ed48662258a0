// The settings file and the hotkeys against real INI files and real system hotkeys.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "TOOLS/toolsys.h"
#include "resource.h"
#include "settings/hotkeysys.h"
#include "settings/settingsfile.h"
#include "support/testenv.h"

namespace {

// The file's bytes split into sections and keys, read without the system's help so the tests
// see exactly what was written.
using IniView = std::map<std::string, std::map<std::string, std::string>>;

IniView ParseIni(const std::string& bytes) {
    IniView view;
    std::string section;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            section = line.substr(1, line.size() - 2);
            view[section];
            continue;
        }
        size_t eq = line.find('=');
        if (eq != std::string::npos) view[section][line.substr(0, eq)] = line.substr(eq + 1);
    }
    return view;
}

bool HasKey(const IniView& view, const std::string& section, const std::string& key) {
    auto s = view.find(section);
    return s != view.end() && s->second.count(key) != 0;
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
        return s;
    }

    testenv::TempModuleFolder folder;
    char path[522];
};

struct IntCase {
    const char* file;
    std::function<int32_t(const AppSettings&)> field;
    int32_t want;
};

TEST_F(SettingsFile, NumbersAreClampedAtLoad) {
    auto count = [](const AppSettings& s) { return s.history.historyCount; };
    auto repair = [](const AppSettings& s) { return s.history.repairInterval; };
    auto clear = [](const AppSettings& s) { return s.history.clearInterval; };
    const IntCase cases[] = {
        {"[Quillmate]\r\n履歴の記憶数=0\r\n", count, 1},
        {"[Quillmate]\r\n履歴の記憶数=99999\r\n", count, 4095},
        {"[Quillmate]\r\n履歴の記憶数=12abc\r\n", count, 12},
        {"[Quillmate]\r\n履歴の記憶数=\r\n", count, 30},
        {"[Quillmate]\r\n監視チェインの修復間隔=1000\r\n", repair, 120000},
        {"[Quillmate]\r\n監視チェインの修復間隔=1000\r\n"
         "クリップボード文字列のクリア間隔=240000\r\n",
         clear, 60000},
        {"[Quillmate]\r\nクリップボード文字列のクリア間隔=5\r\n", clear, 60000},
        {"[Quillmate]\r\n監視チェインの修復間隔=-1\r\n", repair, 120000},
        {"[Quillmate]\r\n監視チェインの修復間隔=3000000000\r\n", repair, INT32_MAX},
        {"[Quillmate]\r\nテキスト一覧の文字数=1\r\n",
         [](const AppSettings& s) { return s.menu.labelChars; }, 3},
        {"[Quillmate]\r\nメニューチップの文字数=70000\r\n",
         [](const AppSettings& s) { return s.menu.menuTipChars; }, 65534},
        {"[メニューの表示位置]\r\nx=-5\r\ny=700\r\n",
         [](const AppSettings& s) { return s.menu.menuX; }, 0},
        {"[メニューの表示位置]\r\nx=-5\r\ny=700\r\n",
         [](const AppSettings& s) { return s.menu.menuY; }, 700},
    };
    for (const IntCase& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(c.field(Load(c.file)), c.want);
    }
}

TEST_F(SettingsFile, BooleansAreAnyNonZeroNumber) {
    struct Case {
        const char* file;
        std::function<bool(const AppSettings&)> field;
        bool want;
    };
    auto autoClear = [](const AppSettings& s) { return s.history.autoClear; };
    auto animate = [](const AppSettings& s) { return s.history.animateIcon; };
    const Case cases[] = {
        {"[Quillmate]\r\nクリップボード文字列の自動クリア=2\r\n", autoClear, true},
        {"[Quillmate]\r\nクリップボード文字列の自動クリア=-1\r\n", autoClear, true},
        {"[Quillmate]\r\nクリップボード文字列の自動クリア=yes\r\n", autoClear, false},
        {"[Quillmate]\r\nアイコンをアニメーションさせる=yes\r\n", animate, true},
        {"[Quillmate]\r\nアイコンをアニメーションさせる=0\r\n", animate, false},
        {"[Quillmate]\r\n履歴機能を利用する=0\r\n",
         [](const AppSettings& s) { return s.history.useHistory; }, false},
        // The newer key wins over the older one; the older one alone still counts.
        {"[Quillmate]\r\n履歴を保存する=0\r\n",
         [](const AppSettings& s) { return s.history.useHistoryFile; }, false},
        {"[Quillmate]\r\n履歴を保存する=0\r\n履歴ファイルを利用する=1\r\n",
         [](const AppSettings& s) { return s.history.useHistoryFile; }, true},
        {"[Quillmate]\r\nイメージをログへ書き出す=0\r\nイメージをファイルへ保存=1\r\n",
         [](const AppSettings& s) { return s.log.logImage; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(c.field(Load(c.file)), c.want);
    }
}

TEST_F(SettingsFile, MissingFileGivesDefaults) {
    AppSettings s;
    LoadSettings(path, s);
    EXPECT_EQ(s.history.historyCount, 30);
    EXPECT_EQ(s.history.clearInterval, 240000);
    EXPECT_STREQ(s.dateFormat, "%02H:%02M:%02S %04Y/%02m/%02d");
    EXPECT_EQ(std::string(s.log.logFolder), folder.path() + "\\log");
    EXPECT_FALSE(testenv::FileExists(path)) << "loading never creates the file";
}

TEST_F(SettingsFile, SaveOfDefaultsWritesShiftJisKeys) {
    AppSettings s;
    SetDefaultSettings(s);
    SetDefaultHotkeys(s.hotkeys);
    SaveSettings(path, s);
    std::string bytes = testenv::ReadFileBytes(path);
    // "履歴の記憶数=30" as code page 932 bytes.
    EXPECT_NE(bytes.find("\x97\x9A\x97\xF0\x82\xCC\x8B\x4C\x89\xAF\x90\x94=30"), std::string::npos);
    IniView ini = ParseIni(bytes);
    EXPECT_EQ(ini["Quillmate"]["監視チェインの修復間隔"], "600000");
    EXPECT_EQ(ini["Quillmate"]["クリップボード文字列の自動クリア"], "0");
    EXPECT_EQ(ini["Quillmate"]["ログフォルダ"], folder.path() + "\\log");
    EXPECT_EQ(ini["メニューの表示位置"]["x"], "0");
    EXPECT_EQ(ini["日時の書式"]["書式数"], "1");
    EXPECT_EQ(ini["日時の書式"]["0"], "%02H:%02M:%02S %04Y/%02m/%02d");
    EXPECT_FALSE(HasKey(ini, "Quillmate", "履歴機能を利用する"));
    EXPECT_EQ(ini.count("ホットキー"), 0u) << "hotkeys are saved by their dialog only";
}

TEST_F(SettingsFile, OldLogKeyIsReadThenReplacedAtSave) {
    AppSettings s = Load("[Quillmate]\r\nテキストをファイルへ保存=1\r\n履歴を保存する=0\r\n");
    EXPECT_TRUE(s.log.logText);
    EXPECT_FALSE(s.history.useHistoryFile);
    SaveSettings(path, s);
    IniView ini = ReadIni();
    EXPECT_EQ(ini["Quillmate"]["テキストをログへ書き出す"], "1");
    EXPECT_EQ(ini["Quillmate"]["履歴ファイルを利用する"], "0");
    EXPECT_FALSE(HasKey(ini, "Quillmate", "テキストをファイルへ保存"));
    EXPECT_FALSE(HasKey(ini, "Quillmate", "履歴を保存する"));
}

TEST_F(SettingsFile, HistoryOnOffKeyIsLeftAloneBySave) {
    AppSettings s = Load("[Quillmate]\r\n履歴機能を利用する=0\r\n");
    EXPECT_FALSE(s.history.useHistory);
    s.history.useHistory = true;  // turned on at run time
    SaveSettings(path, s);
    EXPECT_EQ(ReadIni()["Quillmate"]["履歴機能を利用する"], "0");
}

TEST_F(SettingsFile, LongTextsSurviveSaveAndLoad) {
    AppSettings s;
    SetDefaultSettings(s);
    SetDefaultHotkeys(s.hotkeys);
    // A folder of 400 bytes with double-byte names, and a date format of the field's full size.
    std::string longFolder = "C:\\";
    while (longFolder.size() + 5 <= 400) longFolder += "表示\\";
    longFolder.append(400 - longFolder.size(), 'f');
    ASSERT_EQ(longFolder.size(), 400u);
    std::string longFormat(kDateFormatSize - 3, '%');
    longFormat += "表";
    ASSERT_EQ(longFormat.size(), kDateFormatSize - 1);
    std::strcpy(s.log.logFolder, longFolder.c_str());
    std::strcpy(s.dateFormat, longFormat.c_str());
    SaveSettings(path, s);
    AppSettings back;
    LoadSettings(path, back);
    EXPECT_EQ(std::string(back.log.logFolder), longFolder);
    EXPECT_EQ(std::string(back.dateFormat), longFormat);
}

TEST_F(SettingsFile, OverlongFolderIsCutWithoutSplittingACharacter) {
    // 520 single bytes then a double-byte character: 522 bytes, one more than the field holds.
    std::string folder520 = "C:\\" + std::string(517, 'a');
    std::string s521 = Load("[Quillmate]\r\nログフォルダ=" + folder520 + "b\r\n").log.logFolder;
    EXPECT_EQ(s521, folder520 + "b");
    std::string cut = Load("[Quillmate]\r\nログフォルダ=" + folder520 + "表\r\n").log.logFolder;
    EXPECT_EQ(cut, folder520);
}

class Hotkeys : public SettingsFile {
protected:
    HotkeySettings LoadKeys(const std::string& text) {
        WriteIni(text);
        HotkeySettings g;
        LoadHotkeys(path, g);
        return g;
    }
};

Hotkey At(const HotkeySettings& g, size_t slot) { return g.slots[slot]; }

bool Is(const Hotkey& h, uint32_t modifiers, uint32_t key) {
    return h.modifiers == modifiers && h.virtualKey == key;
}

TEST_F(Hotkeys, LoadDecodesAndSaveWritesTheSameValue) {
    HotkeySettings g = LoadKeys("[ホットキー]\r\nテキストの登録=854\r\n日時の取得=4182\r\n");
    EXPECT_TRUE(Is(At(g, 3), 3, 0x56));
    EXPECT_TRUE(IsEmptyHotkey(At(g, 4)));
    SaveHotkeys(g, path);
    IniView ini = ReadIni();
    EXPECT_EQ(ini["ホットキー"]["テキストの登録"], "854");
    EXPECT_EQ(ini["ホットキー"]["日時の取得"], "0");
    EXPECT_EQ(ini["ホットキー"].size(), kHotkeySlotCount);
}

TEST_F(Hotkeys, OldKeysAreFallbacks) {
    HotkeySettings g = LoadKeys(
        "[Quillmate]\r\n履歴を表示=854\r\nメニューを表示=833\r\n"
        "「よく使うテキストの登録」を表示=834\r\n「登録テキストの編集」を表示=835\r\n"
        "[ホットキー]\r\nメニューを表示=836\r\n");
    EXPECT_TRUE(Is(At(g, 0), 3, 0x56));
    EXPECT_TRUE(Is(At(g, 1), 3, 0x44)) << "the hotkey section wins over the old key";
    EXPECT_TRUE(Is(At(g, 2), 3, 0x43)) << "the newer of the two old names wins";
}

TEST_F(Hotkeys, DuplicatesInTheFileLoadUnassigned) {
    HotkeySettings g = LoadKeys("[ホットキー]\r\n履歴のクリア=854\r\n日時の取得=854\r\n");
    EXPECT_TRUE(IsEmptyHotkey(At(g, 8)));
    EXPECT_TRUE(IsEmptyHotkey(At(g, 4)));
}

TEST_F(Hotkeys, OldKeysAreCarriedIntoTheHotkeySectionAtTheFirstSave) {
    AppSettings s;
    WriteIni(
        "[Quillmate]\r\n履歴を表示=854\r\n「よく使うテキストの登録」を表示=834\r\n"
        "メニューを表示=833\r\n[ホットキー]\r\nメニューを表示=836\r\n");
    LoadSettings(path, s);
    LoadHotkeys(path, s.hotkeys);
    SaveSettings(path, s);
    IniView ini = ReadIni();
    EXPECT_EQ(ini["ホットキー"]["履歴を表示"], "854");
    EXPECT_EQ(ini["ホットキー"]["「登録テキストの編集」を表示"], "834");
    EXPECT_EQ(ini["ホットキー"]["メニューを表示"], "836") << "a key the section holds stays";
    EXPECT_FALSE(HasKey(ini, "ホットキー", "テキストの登録")) << "only old keys are carried";
    for (const char* old : {"履歴を表示", "メニューを表示", "「よく使うテキストの登録」を表示"}) {
        EXPECT_FALSE(HasKey(ini, "Quillmate", old)) << old;
    }
    HotkeySettings again;
    LoadHotkeys(path, again);
    for (size_t slot = 0; slot < kHotkeySlotCount; ++slot) {
        EXPECT_EQ(EncodeHotkey(again.slots[slot]), EncodeHotkey(s.hotkeys.slots[slot])) << slot;
    }
}

// A hotkey registered by our window makes the same combination unavailable to another one.
bool CombinationTaken(HWND probe, UINT modifiers, UINT key) {
    if (RegisterHotKey(probe, 1, modifiers, key)) {
        UnregisterHotKey(probe, 1);
        return false;
    }
    return true;
}

TEST(HotkeyRegistration, AllRowsOnARealWindow) {
    HWND window =
        CreateWindowA("STATIC", "owner", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HWND probe =
        CreateWindowA("STATIC", "probe", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window && probe);
    HotkeySettings g;
    SetDefaultHotkeys(g);
    g.slots[0] = Hotkey{kHotkeyModControl | kHotkeyModAlt | kHotkeyModShift, VK_F11};
    g.slots[6] = Hotkey{kHotkeyModExtended | kHotkeyModShift, VK_F12};  // row 8, 40055
    ASSERT_FALSE(CombinationTaken(probe, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F11));
    ASSERT_FALSE(CombinationTaken(probe, MOD_SHIFT, VK_F12));

    RegisterAllHotkeys(window, g);
    EXPECT_TRUE(CombinationTaken(probe, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F11));
    EXPECT_TRUE(CombinationTaken(probe, MOD_SHIFT, VK_F12)) << "the extended mark is not MOD_WIN";

    // Each is registered under its command: unregistering that id frees it.
    ASSERT_TRUE(UnregisterHotKey(window, IDM_CLEAR_CLIPBOARD));
    EXPECT_FALSE(CombinationTaken(probe, MOD_SHIFT, VK_F12));
    EXPECT_TRUE(RegisterHotkeySlot(window, IDM_CLEAR_CLIPBOARD, g.slots[6]));

    UnregisterAllHotkeys(window);
    EXPECT_FALSE(CombinationTaken(probe, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F11));
    EXPECT_FALSE(CombinationTaken(probe, MOD_SHIFT, VK_F12));

    // An unassigned slot unregisters its id.
    ASSERT_TRUE(RegisterHotkeySlot(window, IDM_TEXT_MENU, g.slots[0]));
    EXPECT_TRUE(RegisterHotkeySlot(window, IDM_TEXT_MENU, Hotkey{0, 0}));
    EXPECT_FALSE(CombinationTaken(probe, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F11));
    DestroyWindow(probe);
    DestroyWindow(window);
}

}  // namespace
