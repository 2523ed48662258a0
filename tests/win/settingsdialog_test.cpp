// The settings dialog created from its resource and driven through its controls under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "app/appshell.h"
#include "app/dialogcommands.h"
#include "resource.h"
#include "settings/settingsdialog.h"
#include "settings/settingsfile.h"
#include "support/dialogdriver.h"
#include "support/testenv.h"
#include "TOOLS/toolsys.h"

namespace {

using testenv::ClickButton;
using testenv::DriveModal;
using testenv::FindDialog;
using testenv::FindMessageBox;

const char* const kCaption = "設定の変更";

std::string FieldText(HWND dialog, int id) {
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The dialog's tooltip control, or null.
HWND TipsOf(HWND dialog) {
    HWND tips = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    while (tips && GetWindow(tips, GW_OWNER) != dialog)
        tips = FindWindowExA(nullptr, tips, TOOLTIPS_CLASSA, nullptr);
    return tips;
}

// The tip text of the date-format field, which the tooltip itself asks the dialog for.
std::string DateTip(HWND dialog) {
    char text[1024] = "";
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(dialog, IDC_SETTINGS_DATE_FORMAT));
    tool.lpszText = text;
    SendMessageA(TipsOf(dialog), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
    return text;
}

std::string Today() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u/%02u/%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

// The name of the folder selected in a folder browser's tree.
std::string SelectedFolderName(HWND browser) {
    HWND tree = browser ? FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr) : nullptr;
    if (!tree) return "";
    TVITEMA item = {};
    char text[MAX_PATH] = "";
    item.mask = TVIF_TEXT;
    item.hItem = TreeView_GetSelection(tree);
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (!item.hItem || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) {
        return "";
    }
    return text;
}

std::string FolderName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

class SettingsDialog : public testenv::DialogFixture {
protected:
    SettingsDialog() : DialogFixture(kCaption) {}
};

TEST_F(SettingsDialog, OkStoresEveryFieldAndTheFileHoldsThemAtOnce) {
    std::string tip, before, after;
    DriveModal(
        [&] {
            RunSettingsDialogCommand(owner);
            return INT_PTR{0};
        },
        {Found(), [&] {
             EXPECT_EQ(FieldText(dialog, IDC_SETTINGS_HISTORY_COUNT), "30");
             EXPECT_EQ(FieldText(dialog, IDC_SETTINGS_DATE_FORMAT), settings.dateFormat);
             EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_SETTINGS_REGISTERED_ON_TOP), BST_CHECKED);
             EXPECT_FALSE(ShowSettingsDialog(owner, settings)) << "the open one comes forward";
             HWND tips = TipsOf(dialog);
             EXPECT_EQ(tips ? SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0) : 0, 4);
             // The preview follows the pattern as typed, before OK.
             SetDlgItemTextA(dialog, IDC_SETTINGS_DATE_FORMAT, "%04Y/%02m/%02d");
             before = Today();
             tip = DateTip(dialog);
             after = Today();
             SetDlgItemTextA(dialog, IDC_SETTINGS_DATE_FORMAT, "");
             EXPECT_EQ(DateTip(dialog), "") << "an empty pattern shows no tip";
             SetDlgItemTextA(dialog, IDC_SETTINGS_HISTORY_COUNT, "4095");
             SetDlgItemTextA(dialog, IDC_SETTINGS_DATE_FORMAT, "%04Y年%02m月");
             SetDlgItemTextA(dialog, IDC_SETTINGS_LOG_FOLDER, "C:\\ログ");
             for (int id : {IDC_SETTINGS_HISTORY_ON_TOP, IDC_SETTINGS_OLDEST_ON_TOP,
                            IDC_SETTINGS_USE_HISTORY_FILE, IDC_SETTINGS_MENU_TIPS,
                            IDC_SETTINGS_AUTO_CLEAR, IDC_SETTINGS_LOG_IMAGE}) {
                 SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
             }
             ClickButton(dialog, IDOK);
             return true;
         }});
    EXPECT_TRUE(tip == before || tip == after) << tip;
    EXPECT_EQ(settings.history.historyCount, 4095);
    EXPECT_FALSE(settings.menu.registeredOnTop || settings.menu.newestOnTop);
    EXPECT_FALSE(settings.history.useHistoryFile || settings.menu.showMenuTips);
    EXPECT_TRUE(settings.history.autoClear && settings.log.logImage);
    EXPECT_TRUE(settings.history.animateIcon && settings.history.repairChain);
    EXPECT_STREQ(settings.dateFormat, "%04Y年%02m月");
    EXPECT_STREQ(settings.log.logFolder, "C:\\ログ");
    EXPECT_EQ(Value("Quillmate", "履歴の記憶数"), "4095");
    EXPECT_EQ(Value("日時の書式", "0"), "%04Y年%02m月");
    EXPECT_EQ(Value("Quillmate", "履歴ファイルを利用する"), "0");
    EXPECT_EQ(Value("Quillmate", "登録テキストを上側に配置"), "0");
}

TEST_F(SettingsDialog, CountsOutOfRangeAreRefusedWithTheBoundInTheField) {
    std::string small, large, fieldAfterSmall, fieldAfterLarge;
    HWND focus = nullptr, countField = nullptr;
    auto typeAndOk = [&](const char* count) {
        return [&, count] {
            SetDlgItemTextA(dialog, IDC_SETTINGS_HISTORY_COUNT, count);
            ClickButton(dialog, IDOK);
            return true;
        };
    };
    INT_PTR result =
        DriveModal([&] { return INT_PTR{ShowSettingsDialog(owner, settings)}; },
                   {Found(), typeAndOk("0"), Answer("1 以上", IDOK), BoxGone(),
                    [&] {
                        small = message;
                        fieldAfterSmall = FieldText(dialog, IDC_SETTINGS_HISTORY_COUNT);
                        focus = GetFocus();
                        countField = GetDlgItem(dialog, IDC_SETTINGS_HISTORY_COUNT);
                        return true;
                    },
                    typeAndOk("5000"), Answer("4095 以下", IDOK), BoxGone(),
                    [&] {
                        large = message;
                        fieldAfterLarge = FieldText(dialog, IDC_SETTINGS_HISTORY_COUNT);
                        PostMessageA(dialog, WM_CLOSE, 0, 0);
                        return true;
                    },
                    Answer("保存しますか？", IDNO)});
    EXPECT_EQ(result, FALSE);
    EXPECT_NE(small.find("履歴の記憶数が少なすぎます。"), std::string::npos) << small;
    EXPECT_NE(large.find("履歴の記憶数が多すぎます。"), std::string::npos) << large;
    EXPECT_EQ(fieldAfterSmall, "1");
    EXPECT_EQ(fieldAfterLarge, "4095");
    EXPECT_EQ(focus, countField);
    EXPECT_EQ(settings.history.historyCount, 30) << "no field changes on a refusal";
    EXPECT_FALSE(testenv::FileExists(ini));
}

TEST_F(SettingsDialog, DeleteMovesTheHistoryFileAwayOnlyWhenConfirmed) {
    const std::string hst = folder.file("quillmate.hst");
    ASSERT_TRUE(testenv::WriteFileBytes(hst, std::string("old\0", 4)));
    bool keptOnCancel = false;
    DWORD quietSince = 0;
    INT_PTR result = DriveModal([&] { return INT_PTR{ShowSettingsDialog(owner, settings)}; },
                                {Found(),
                                 [&] {
                                     ClickButton(dialog, IDC_SETTINGS_DELETE_HISTORY);
                                     return true;
                                 },
                                 Answer("履歴ファイルを削除しますか？", IDCANCEL), BoxGone(),
                                 [&] {
                                     keptOnCancel = testenv::FileExists(hst);
                                     ClickButton(dialog, IDC_SETTINGS_DELETE_HISTORY);
                                     return true;
                                 },
                                 Answer("履歴ファイルを削除しますか？", IDOK), BoxGone(),
                                 [&] { return !testenv::FileExists(hst); },
                                 [&] {
                                     // Without a file the button asks nothing.
                                     ClickButton(dialog, IDC_SETTINGS_DELETE_HISTORY);
                                     quietSince = GetTickCount();
                                     return true;
                                 },
                                 [&] {
                                     EXPECT_EQ(FindMessageBox(dialog), nullptr);
                                     return GetTickCount() - quietSince > 500;
                                 },
                                 [&] {
                                     ClickButton(dialog, IDCANCEL);
                                     return true;
                                 }});
    EXPECT_EQ(result, FALSE);
    EXPECT_TRUE(keptOnCancel);
    EXPECT_FALSE(testenv::FileExists(hst));
}

TEST_F(SettingsDialog, TheBrowserOpensOnTheFieldsFolderItsPickFillsItAndCancelKeepsTheRecord) {
    const std::string before = settings.log.logFolder;
    const std::string parent = folder.path().substr(0, folder.path().rfind('\\'));
    std::string chosen;
    constexpr DWORD kBrowserWalkMs = 8000;
    DWORD opened = 0;
    int retry = 0;  // 1: the first browser is being closed, 2: the second one was asked for
    INT_PTR result = DriveModal(
        [&] { return INT_PTR{ShowSettingsDialog(owner, settings)}; },
        {Found(),
         [&] {
             SetDlgItemTextA(dialog, IDC_SETTINGS_LOG_FOLDER, folder.path().c_str());
             ClickButton(dialog, IDC_SETTINGS_BROWSE);
             opened = GetTickCount();
             return true;
         },
         // The browser's tree reaches the field's folder. The first browser of a new Wine
         // prefix may stop its walk at a parent folder: then it is closed and opened once more.
         [&] {
             HWND browser = FindMessageBox(dialog);
             if (SelectedFolderName(browser) == FolderName(folder.path())) return true;
             if (retry == 0 && browser && GetTickCount() - opened > kBrowserWalkMs) {
                 PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
                 retry = 1;
             } else if (retry == 1 && !browser) {
                 ClickButton(dialog, IDC_SETTINGS_BROWSE);
                 retry = 2;
             }
             return false;
         },
         // Another folder than the one it opened on is picked: its parent, chosen in the tree.
         [&] {
             HWND tree = FindWindowExA(FindMessageBox(dialog), nullptr, WC_TREEVIEWA, nullptr);
             TreeView_SelectItem(tree, TreeView_GetParent(tree, TreeView_GetSelection(tree)));
             return true;
         },
         [&] {
             HWND browser = FindMessageBox(dialog);
             if (SelectedFolderName(browser) != FolderName(parent)) return false;
             PostMessageA(browser, WM_COMMAND, IDOK, 0);
             return true;
         },
         BoxGone(),
         [&] {
             chosen = FieldText(dialog, IDC_SETTINGS_LOG_FOLDER);
             ClickButton(dialog, IDCANCEL);
             return true;
         }});
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(lstrcmpiA(chosen.c_str(), parent.c_str()), 0)
        << chosen << " in the field, " << parent << " picked";
    EXPECT_EQ(before, settings.log.logFolder) << "Cancel leaves the record alone";
}

}  // namespace
