// The text menu as the user sees it: the built HMENU, and choosing a text.
#include "menu/textmenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/appshell.h"
#include "settings/appsettings.h"
#include "settings/settingsfile.h"
#include "store/textstore.h"
#include "support/testenv.h"
#include "TOOLS/toolsys.h"

namespace {

struct Item {
    std::string label;  // "-" for a separator
    UINT id;
    bool grayed;
    bool columnBreak;
    bool operator==(const Item& o) const {
        return label == o.label && id == o.id && grayed == o.grayed &&
               columnBreak == o.columnBreak;
    }
};

std::ostream& operator<<(std::ostream& out, const Item& item) {
    return out << "{" << item.label << ", " << item.id << (item.grayed ? ", grayed" : "")
               << (item.columnBreak ? ", break" : "") << "}";
}

class TextMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDefaultSettings(settings_);
        store_ = createTextStore();
    }
    void TearDown() override { destroyTextStore(store_); }

    int Add(ListKind kind, const char* text) {
        addText(*store_, kind, text);
        return idAt(*store_, kind, 0);
    }

    std::vector<Item> Items() {
        HMENU menu = BuildTextMenu(*store_, settings_);
        EXPECT_NE(menu, nullptr);
        std::vector<Item> items;
        if (!menu) return items;
        HMENU popup = GetSubMenu(menu, 0);
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            UINT state = GetMenuState(popup, static_cast<UINT>(i), MF_BYPOSITION);
            char label[257] = "";
            GetMenuStringA(popup, static_cast<UINT>(i), label, sizeof label, MF_BYPOSITION);
            bool separator = (state & MF_SEPARATOR) != 0;
            items.push_back({separator ? "-" : label,
                             separator ? 0u : GetMenuItemID(popup, i),
                             !separator && (state & MF_GRAYED) != 0,
                             (state & MF_MENUBARBREAK) != 0});
        }
        DestroyMenu(menu);
        return items;
    }

    AppSettings settings_;
    TextStore* store_ = nullptr;
};

const std::string kNone = "（なし）";

TEST_F(TextMenuTest, EmptyListsShowTwoGrayedPlaceholders) {
    EXPECT_EQ(Items(), (std::vector<Item>{{kNone, 0, true, false},
                                          {"-", 0, false, false},
                                          {kNone, 0, true, false}}));
}

TEST_F(TextMenuTest, SectionOrdersFollowTheSettings) {
    int r1 = Add(ListKind::RegisteredTexts, "reg a");
    int r2 = Add(ListKind::RegisteredTexts, "reg b");  // index 0
    int h1 = Add(ListKind::History, "one");
    int h2 = Add(ListKind::History, "two");
    int h3 = Add(ListKind::History, "three");  // newest

    EXPECT_EQ(Items(), (std::vector<Item>{{"reg b", UINT(r2), false, false},
                                          {"reg a", UINT(r1), false, false},
                                          {"-", 0, false, false},
                                          {"three", UINT(h3), false, false},
                                          {"two", UINT(h2), false, false},
                                          {"one", UINT(h1), false, false}}));
    settings_.menu.registeredOnTop = false;
    settings_.menu.newestOnTop = false;
    EXPECT_EQ(Items(), (std::vector<Item>{{"one", UINT(h1), false, false},
                                          {"two", UINT(h2), false, false},
                                          {"three", UINT(h3), false, false},
                                          {"-", 0, false, false},
                                          {"reg b", UINT(r2), false, false},
                                          {"reg a", UINT(r1), false, false}}));
}

TEST_F(TextMenuTest, HistoryCountLoweredShowsOnlyTheNewest) {
    for (int i = 1; i <= 8; ++i) Add(ListKind::History, std::to_string(i).c_str());
    settings_.history.historyCount = 5;
    std::vector<Item> items = Items();
    ASSERT_EQ(items.size(), 7u);  // placeholder, separator, five texts
    EXPECT_EQ(items[2].label, "8");
    EXPECT_EQ(items[6].label, "4");
}

TEST_F(TextMenuTest, LabelsAreShortenedAndColumnsBreak) {
    Add(ListKind::History, "a&b\r\nc");
    EXPECT_EQ(Items()[2].label, "a&&bc");

    settings_.history.historyCount = 4095;
    for (int i = 0; i < 300; ++i) Add(ListKind::History, ("text " + std::to_string(i)).c_str());
    int rows = GetSystemMetrics(SM_CYSCREEN) / (GetSystemMetrics(SM_CYMENU) + 2);
    std::vector<Item> items = Items();
    ASSERT_GT(static_cast<int>(items.size()), rows);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(items[i].columnBreak, i > 0 && i % static_cast<size_t>(rows) == 0) << i;
}

class ChooseTextTest : public TextMenuTest {
protected:
    void SetUp() override {
        TextMenuTest::SetUp();
        window_ = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
        SetPropA(window_, PROP_APPINFO, &settings_);
        SetPropA(window_, PROP_APPDATA, store_);
    }
    void TearDown() override {
        RemovePropA(window_, PROP_APPINFO);
        RemovePropA(window_, PROP_APPDATA);
        DestroyWindow(window_);
        testenv::HoldKeys({});
        TextMenuTest::TearDown();
    }
    static std::string Clipboard() {
        std::vector<char> copy = ReadClipboardFormat(nullptr, CF_TEXT);
        return copy.empty() ? "<none>" : copy.data();
    }
    HWND window_ = nullptr;
};

TEST_F(ChooseTextTest, ChosenTextGoesToTheClipboard) {
    int id = Add(ListKind::History, "chosen");
    ASSERT_TRUE(ChooseText(window_, id));
    EXPECT_EQ(Clipboard(), "chosen");
    EXPECT_EQ(listCount(*store_, ListKind::RegisteredTexts), 0);
    EXPECT_FALSE(ChooseText(window_, 12287));
}

TEST_F(ChooseTextTest, ShiftRegistersOnlyAHistoryText) {
    testenv::TempModuleFolder folder;
    int saves = 0;
    store_->saver = [&saves](ListKind kind) { saves += kind == ListKind::RegisteredTexts; };
    int history = Add(ListKind::History, "from history");
    int registered = Add(ListKind::RegisteredTexts, "already kept");
    testenv::HoldKeys({VK_SHIFT});
    ASSERT_TRUE(ChooseText(window_, history));
    EXPECT_EQ(Clipboard(), "from history");
    EXPECT_TRUE(isRegistered(*store_, "from history"));
    ASSERT_TRUE(ChooseText(window_, registered));
    EXPECT_EQ(Clipboard(), "already kept");
    EXPECT_EQ(listCount(*store_, ListKind::RegisteredTexts), 2);
    EXPECT_EQ(saves, 1);
}

TEST_F(ChooseTextTest, ExactTextShowsInItsLabelAndGoesBackInBothFormats) {
    const std::u16string exact = u"caf\u00E9 \U0001F600";
    const std::string bytes = AnsiFromWide(exact);
    recordHistoryText(*store_, 10, bytes.c_str(), std::make_shared<const std::u16string>(exact));
    int id = idAt(*store_, ListKind::History, 0);

    HMENU menu = BuildTextMenu(*store_, settings_);
    wchar_t label[64] = L"";
    GetMenuStringW(GetSubMenu(menu, 0), static_cast<UINT>(id), label, 64, MF_BYCOMMAND);
    DestroyMenu(menu);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(label)), exact);

    testenv::HoldKeys({VK_SHIFT});
    ASSERT_TRUE(ChooseText(window_, id));
    EXPECT_EQ(Clipboard(), bytes);
    std::vector<char> unicode = ReadClipboardFormat(nullptr, CF_UNICODETEXT);
    ASSERT_GE(unicode.size(), 2u);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(unicode.data())), exact);
    const std::u16string* registered =
        exactTextOfId(*store_, idAt(*store_, ListKind::RegisteredTexts, 0));
    ASSERT_NE(registered, nullptr);
    EXPECT_EQ(*registered, exact);
}

TEST_F(ChooseTextTest, MenuTipFollowsTheHighlightAndHidesWithTheMenu) {
    CreateMenuTips(window_, settings_.menu);
    HWND tip = static_cast<HWND>(GetPropA(window_, "PROP_TOOLTIPCTRL"));
    ASSERT_NE(tip, nullptr);
    int id = Add(ListKind::History, "line one\r\nline two & more");
    HMENU menu = CreatePopupMenu();
    auto select = [&](UINT item, UINT flags) {
        OnMenuSelect(window_, MAKEWPARAM(item, flags), reinterpret_cast<LPARAM>(menu));
        testenv::PumpMessages(50);
    };
    select(static_cast<UINT>(id), MF_HILITE);
    EXPECT_TRUE(IsWindowVisible(tip));
    EXPECT_STREQ(static_cast<char*>(GetPropA(window_, "PROP_TOOLTIPTEXTPTR")),
                 "line one\r\nline two & more");
    select(0, MF_HILITE);  // a placeholder or separator
    EXPECT_FALSE(IsWindowVisible(tip));
    select(static_cast<UINT>(id), MF_HILITE);
    ASSERT_TRUE(IsWindowVisible(tip));
    OnExitMenuLoop(window_);
    testenv::PumpMessages(50);
    EXPECT_FALSE(IsWindowVisible(tip)) << "the tip stays behind after the menu closed";
    DestroyMenu(menu);
    DestroyMenuTips(window_);
}

}  // namespace
