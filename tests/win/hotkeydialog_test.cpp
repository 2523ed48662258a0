// The hotkey dialog created from its resource and driven through its controls under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/appshell.h"
#include "app/dialogcommands.h"
#include "resource.h"
#include "settings/hotkeydialog.h"
#include "settings/hotkeysys.h"
#include "settings/settingsfile.h"
#include "support/dialogdriver.h"
#include "support/testenv.h"
#include "TOOLS/toolsys.h"

namespace {

using testenv::ClickButton;
using testenv::DriveModal;
using testenv::FindDialog;
using testenv::FindMessageBox;

const char* const kCaption = "ホットキーの設定";
constexpr WORD kCtrlAlt = HOTKEYF_CONTROL | HOTKEYF_ALT;

LRESULT ControlValue(HWND dialog, int id) {
    return SendDlgItemMessageA(dialog, id, HKM_GETHOTKEY, 0, 0);
}
void SetControl(HWND dialog, int id, WORD flags, WORD key) {
    SendDlgItemMessageA(dialog, id, HKM_SETHOTKEY, MAKEWORD(key, flags), 0);
}

// Whether another window can take the combination: false while the owner holds it.
bool CombinationFree(UINT modifiers, UINT key) {
    HWND probe =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    bool free = RegisterHotKey(probe, 1, modifiers, key) != FALSE;
    UnregisterHotKey(probe, 1);
    DestroyWindow(probe);
    return free;
}

class HotkeyDialog : public testenv::DialogFixture {
protected:
    HotkeyDialog() : DialogFixture(kCaption) {}
    void TearDown() override {
        UnregisterAllHotkeys(owner);
        DialogFixture::TearDown();
    }
    std::string Value(const char* key) { return DialogFixture::Value(kHotkeySection, key); }
};

TEST_F(HotkeyDialog, OkStoresTheControlsWritesTheSectionAndRegistersAgain) {
    settings.hotkeys.slots[3] = DecodeHotkey(854);  // Ctrl+Alt+V on "テキストの登録"
    RegisterAllHotkeys(owner, settings.hotkeys);
    ASSERT_FALSE(CombinationFree(MOD_CONTROL | MOD_ALT, 'V'));
    bool freeWhileOpen = false;
    LRESULT typed = 0;
    INT_PTR shown = DriveModal(
        [&] {
            RunHotkeyDialogCommand(owner);
            return INT_PTR{0};
        },
        {Found(), [&] {
             EXPECT_EQ(ControlValue(dialog, IDC_HOTKEY_REGISTER_TEXT), MAKEWORD('V', kCtrlAlt));
             freeWhileOpen = CombinationFree(MOD_CONTROL | MOD_ALT, 'V');
             // A second command only brings the open dialog forward.
             EXPECT_FALSE(ShowHotkeyDialog(owner, settings.hotkeys));
             // A plain letter typed into a control becomes Ctrl+Alt+letter.
             SendDlgItemMessageA(dialog, IDC_HOTKEY_DATE_TIME, WM_KEYDOWN, 'Q', 0);
             typed = ControlValue(dialog, IDC_HOTKEY_DATE_TIME);
             SetControl(dialog, IDC_HOTKEY_CLEAR_HISTORY, HOTKEYF_SHIFT | HOTKEYF_EXT, VK_F5);
             SetControl(dialog, IDC_HOTKEY_SEARCH, kCtrlAlt, 'F');
             ClickButton(dialog, IDOK);
             return true;
         }});
    EXPECT_EQ(shown, 0);
    EXPECT_TRUE(freeWhileOpen) << "the program's hotkeys are unregistered while the dialog is open";
    EXPECT_EQ(typed, MAKEWORD('Q', kCtrlAlt));
    const Hotkey& date = settings.hotkeys.slots[4];
    const Hotkey& clear = settings.hotkeys.slots[8];
    EXPECT_TRUE(date.modifiers == (MOD_CONTROL | MOD_ALT) && date.virtualKey == 'Q');
    EXPECT_TRUE(clear.modifiers == (MOD_SHIFT | 8) && clear.virtualKey == VK_F5);
    EXPECT_EQ(EncodeHotkey(settings.hotkeys.slots[3]), 854);
    EXPECT_EQ(Value("テキストの登録"), "854");
    EXPECT_EQ(Value("日時の取得"), std::to_string(3 * 256 + 'Q'));
    EXPECT_EQ(Value("履歴のクリア"), std::to_string(12 * 256 + VK_F5));
    EXPECT_EQ(Value("履歴を表示"), "0");
    EXPECT_EQ(Value("「履歴の検索」を表示"), std::to_string(3 * 256 + 'F'));
    EXPECT_FALSE(CombinationFree(MOD_CONTROL | MOD_ALT, 'F')) << "the tenth row is registered";
    EXPECT_FALSE(CombinationFree(MOD_CONTROL | MOD_ALT, 'Q')) << "registered after OK";
    EXPECT_FALSE(CombinationFree(MOD_SHIFT, VK_F5)) << "registered without the extended mark";
    EXPECT_FALSE(CombinationFree(MOD_CONTROL | MOD_ALT, 'V'));
}

TEST_F(HotkeyDialog, DuplicatesAreRefusedAndTheCloseQuestionAnswersLikeOkOrCancel) {
    const char* duplicate = "ホットキーが重複しています。\n異なるホットキーを割り当ててください。";
    const char* question = "保存しますか？";
    settings.hotkeys.slots[3] = DecodeHotkey(854);  // Ctrl+Alt+V on "テキストの登録"
    RegisterAllHotkeys(owner, settings.hotkeys);
    HWND focusAfterRefusal = nullptr;
    HWND ipField = nullptr;
    auto close = [&] {
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return true;
    };
    INT_PTR result =
        DriveModal([&] { return INT_PTR{ShowHotkeyDialog(owner, settings.hotkeys)}; },
                   {Found(),
                    [&] {
                        // Visually 1049 is above 1027; the check goes by the control table, where
                        // 1027 comes first. Empty controls never conflict.
                        SetControl(dialog, IDC_HOTKEY_HISTORY_ON_OFF, kCtrlAlt, 'X');
                        SetControl(dialog, IDC_HOTKEY_IP_ADDRESS, kCtrlAlt, 'X');
                        ClickButton(dialog, IDOK);
                        return true;
                    },
                    Answer(duplicate, IDOK), BoxGone(),
                    [&] {
                        focusAfterRefusal = GetFocus();
                        ipField = GetDlgItem(dialog, IDC_HOTKEY_IP_ADDRESS);
                        return true;
                    },
                    // The close box: Yes acts as OK, so the duplicate holds the dialog open again.
                    close, Answer(question, IDYES), Answer(duplicate, IDOK), BoxGone(), close,
                    Answer(question, IDNO)});
    EXPECT_EQ(result, FALSE) << "No acts as Cancel";
    EXPECT_EQ(focusAfterRefusal, ipField) << "the first of the pair in the control table";
    for (size_t slot = 0; slot < kHotkeySlotCount; ++slot)
        EXPECT_EQ(EncodeHotkey(settings.hotkeys.slots[slot]), slot == 3 ? 854 : 0) << slot;
    EXPECT_FALSE(CombinationFree(MOD_CONTROL | MOD_ALT, 'V')) << "registered again after Cancel";
    EXPECT_FALSE(testenv::FileExists(ini)) << "Cancel writes nothing";
}

}  // namespace
