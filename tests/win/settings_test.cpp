// The settings file and the hotkeys against real INI files and real system hotkeys.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TOOLS/toolsys.h"
#include "resource.h"
#include "settings/hotkeysys.h"
#include "settings/settingsfile.h"
#include "support/testenv.h"

namespace {

class SettingsFile : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(testenv::BuildModuleSiblingPath(path, sizeof path, ".ini")); }

    AppSettings Load(const std::string& text) {
        EXPECT_TRUE(testenv::WriteFileBytes(path, text));
        AppSettings s;
        LoadSettings(testenv::WidePath(path), s);
        LoadHotkeys(testenv::WidePath(path), s.hotkeys);
        return s;
    }

    // A key's value as any reader of the file sees it; "-" when the key is missing.
    std::string Value(const char* section, const char* key) {
        char text[2048];
        GetPrivateProfileStringA(section, key, "-", text, sizeof text, path);
        return text;
    }

    testenv::TempModuleFolder folder;
    char path[522];
};

TEST_F(SettingsFile, LoadParsesClampsAndReadsOldKeysAndSaveReplacesThem) {
    AppSettings s = Load(
        "[Quillmate]\r\n履歴の記憶数=99999\r\nテキスト一覧の文字数=\r\n"
        "監視チェインの修復間隔=1000\r\nクリップボード文字列のクリア間隔=240000\r\n"
        "クリップボード文字列の自動クリア=2\r\nアイコンをアニメーションさせる=yes\r\n"
        "履歴機能を利用する=0\r\n履歴を保存する=0\r\nテキストをファイルへ保存=1\r\n"
        "イメージをファイルへ保存=0\r\nイメージをログへ書き出す=-1\r\n"
        "記録拒否の指定されたクリップボードを無視する=0\r\n[メニューの表示位置]\r\nx=-5\r\ny=12abc\r\n");
    EXPECT_EQ(s.history.historyCount, 4095);
    EXPECT_EQ(s.menu.labelChars, 64) << "an empty value keeps the default";
    EXPECT_EQ(s.history.repairInterval, 120000);
    EXPECT_EQ(s.history.clearInterval, 60000);
    EXPECT_TRUE(s.history.autoClear && s.log.logImage) << "any number but 0; the new key wins";
    EXPECT_TRUE(s.history.animateIcon) << "no number: the default";
    EXPECT_TRUE(s.log.logText) << "from the old key";
    EXPECT_FALSE(s.history.useHistory || s.history.useHistoryFile);
    EXPECT_FALSE(s.history.honourIgnoreMarkers);
    EXPECT_EQ(s.menu.menuX, 0);
    EXPECT_EQ(s.menu.menuY, 12);
    s.history.useHistory = true;  // turned on at run time: never saved
    SaveSettings(testenv::WidePath(path), s);
    EXPECT_EQ(Value("Quillmate", "履歴機能を利用する"), "0");
    EXPECT_EQ(Value("Quillmate", "履歴ファイルを利用する"), "0");
    EXPECT_EQ(Value("Quillmate", "テキストをログへ書き出す"), "1");
    EXPECT_EQ(Value("Quillmate", "記録拒否の指定されたクリップボードを無視する"), "0");
    for (const char* old :
         {"テキストをファイルへ保存", "イメージをファイルへ保存", "履歴を保存する"}) {
        EXPECT_EQ(Value("Quillmate", old), "-") << old;
    }
}

TEST_F(SettingsFile, SaveWritesShiftJisKeysAndLongTextsComeBackWhole) {
    AppSettings s;
    LoadSettings(testenv::WidePath(path), s);  // no file: defaults
    EXPECT_EQ(std::string(s.log.logFolder), folder.path() + "\\log");
    EXPECT_FALSE(testenv::FileExists(path)) << "loading never creates the file";
    SetDefaultHotkeys(s.hotkeys);
    std::string longFolder = "C:\\";
    while (longFolder.size() < 400) longFolder += "表示\\";
    longFolder += "表";
    std::string longFormat = std::string(kDateFormatSize - 3, '%') + "表";  // the field's full size
    std::strcpy(s.log.logFolder, longFolder.c_str());
    std::strcpy(s.dateFormat, longFormat.c_str());
    SaveSettings(testenv::WidePath(path), s);
    std::string bytes = testenv::ReadFileBytes(path);
    // "履歴の記憶数=30" as code page 932 bytes.
    EXPECT_NE(bytes.find("\x97\x9A\x97\xF0\x82\xCC\x8B\x4C\x89\xAF\x90\x94=30"), std::string::npos);
    EXPECT_EQ(bytes.find("[ホットキー]"), std::string::npos) << "saved by their dialog only";
    EXPECT_EQ(Value("Quillmate", "履歴機能を利用する"), "-");
    EXPECT_EQ(Value("Quillmate", "記録拒否の指定されたクリップボードを無視する"), "1") << "on by default";
    EXPECT_EQ(Value("日時の書式", "書式数"), "1");
    EXPECT_EQ(Value("日時の書式", "0"), longFormat);
    AppSettings back;
    LoadSettings(testenv::WidePath(path), back);
    EXPECT_EQ(std::string(back.log.logFolder), longFolder);
    EXPECT_EQ(std::string(back.dateFormat), longFormat);
    // 521 bytes fit; a character across that bound is left out whole.
    std::string folder520 = "C:\\" + std::string(517, 'a');
    EXPECT_EQ(Load("[Quillmate]\r\nログフォルダ=" + folder520 + "bc\r\n").log.logFolder,
              folder520 + "b");
    EXPECT_EQ(Load("[Quillmate]\r\nログフォルダ=" + folder520 + "表\r\n").log.logFolder, folder520);
}

// A shared folder code page 932 cannot hold comes back exactly; its exact form is dropped once an
// older program changed the folder.
TEST_F(SettingsFile, SharedFolderOutsideTheCodePageComesBackExactly) {
    AppSettings s = Load("");
    const std::u16string exact = u"C:\\共有\\한글";
    std::strcpy(s.shared.folder, AnsiFromWide(exact).c_str());
    s.shared.folderExact = exact;
    SaveSettings(testenv::WidePath(path), s);
    EXPECT_EQ(Value("共有", "フォルダ(Unicode)"), "C:\\%E5%85%B1%E6%9C%89\\%ED%95%9C%EA%B8%80");
    EXPECT_TRUE(Load(testenv::ReadFileBytes(path)).shared.folderExact == exact);
    WritePrivateProfileStringA("共有", "フォルダ", "C:\\other", path);
    EXPECT_TRUE(Load(testenv::ReadFileBytes(path)).shared.folderExact.empty());
}

TEST_F(SettingsFile, HotkeysComeFromOldAndNewKeysAndOldOnesAreCarriedOnlyWhenMissing) {
    // An empty or non-numeric value in the hotkey section counts as missing, here and on carry.
    AppSettings s = Load(
        "[Quillmate]\r\n履歴を表示=854\r\nメニューを表示=833\r\n"
        "「よく使うテキストの登録」を表示=834\r\n「登録テキストの編集」を表示=835\r\n"
        "[ホットキー]\r\n履歴を表示=\r\n「登録テキストの編集」を表示=abc\r\n"
        "メニューを表示=836\r\n日時の取得=600\r\nクリップボードのクリア=600\r\n"
        "履歴機能のオン・オフ=600\r\n");
    HotkeySettings& g = s.hotkeys;
    EXPECT_EQ(EncodeHotkey(g.slots[0]), 854) << "an old key alone counts";
    EXPECT_EQ(EncodeHotkey(g.slots[1]), 836) << "the hotkey section wins over the old key";
    EXPECT_EQ(EncodeHotkey(g.slots[2]), 835) << "the newer of the two old names wins";
    // Rows 5, 7 and 8 (slots 4, 7, 6) share one: the last row in table order keeps it.
    EXPECT_TRUE(IsEmptyHotkey(g.slots[4]) && IsEmptyHotkey(g.slots[7]));
    EXPECT_EQ(EncodeHotkey(g.slots[6]), 600);
    g.slots[1] = Hotkey{0, 0};  // differs from the file: shows which side was kept
    SaveSettings(testenv::WidePath(path), s);
    EXPECT_EQ(Value("ホットキー", "履歴を表示"), "854");
    EXPECT_EQ(Value("ホットキー", "「登録テキストの編集」を表示"), "835");
    EXPECT_EQ(Value("ホットキー", "メニューを表示"), "836") << "a key the section holds stays";
    EXPECT_EQ(Value("ホットキー", "IPアドレスの取得"), "-") << "only old keys are carried";
    for (const char* old : {"履歴を表示", "「よく使うテキストの登録」を表示"}) {
        EXPECT_EQ(Value("Quillmate", old), "-") << old;
    }
    SaveHotkeys(g, testenv::WidePath(path));
    for (const HotkeyBinding& row : HotkeyTable) {
        EXPECT_EQ(Value("ホットキー", row.key), std::to_string(EncodeHotkey(g.slots[row.slot])));
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
    RegisterAllHotkeys(window, g);
    EXPECT_TRUE(Taken(probe, all, VK_F11));
    EXPECT_TRUE(Taken(probe, MOD_SHIFT, VK_F12)) << "the extended mark is not passed on";
    EXPECT_TRUE(UnregisterHotKey(window, IDM_CLEAR_CLIPBOARD)) << "registered under its command";
    UnregisterAllHotkeys(window);
    EXPECT_FALSE(Taken(probe, all, VK_F11) || Taken(probe, MOD_SHIFT, VK_F12));
    ASSERT_TRUE(RegisterHotkeySlot(window, IDM_TEXT_MENU, g.slots[0]));
    EXPECT_TRUE(RegisterHotkeySlot(window, IDM_TEXT_MENU, Hotkey{0, 0})) << "unassigned: removed";
    EXPECT_FALSE(Taken(probe, all, VK_F11));
    DestroyWindow(probe);
    DestroyWindow(window);
}

}  // namespace
