// Text menu labels, column arithmetic and the order of items.
#include "menu/menulayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct LabelCase {
    std::string text;
    int budget;
    std::string expected;
};

TEST(MenuLabel, Table) {
    const std::string letters100(100, 'x');
    const std::string x61(61, 'x'), x62(62, 'x'), x60(60, 'x');
    const LabelCase cases[] = {
        {"a&b", 64, "a&&b"},
        {"a&b", 3, "a"},                            // the '&' would reach the last byte allowed
        {letters100, 64, std::string(63, 'x')},
        {std::string(63, 'x'), 64, std::string(63, 'x')},  // exactly L-1 bytes: no cut
        {x61 + "表" + "yyyy", 64, x61 + "表"},      // character at 61..62 kept whole
        {x62 + "表" + "yyyy", 64, x62},              // lead byte at 62: cut before it
        // A trail byte may look like a lead byte: only a walk from the start tells them apart.
        {x61 + "\x81\x81\x81\x81", 64, x61 + "\x81\x81"},
        {x60 + "\x81\x81\x81\x81", 64, x60 + "\x81\x81"},
        {x61 + "&b", 64, x61 + "&&"},               // the pair ends right at L-1
        {x62 + "&b", 64, x62},                      // no room for the pair: taken back
        {"a&&b", 5, "a&&"},                         // the second '&' of the text is taken back
        {"one\r\ntwo", 64, "onetwo"},
        {"\r\n\t\x7f\x01", 64, ""},                 // control bytes only
        {"a\tb\x7f" "c", 64, "abc"},
        {"ab\x82", 64, "ab\x82"},                   // a lone lead byte at the end of the text
        {"", 64, ""},
        {"abc", 1, ""},
        {"abc", 0, ""},
        {"表", 2, ""},                               // L-1 = 1 would split the character
    };
    for (const LabelCase& c : cases) {
        EXPECT_EQ(BuildMenuLabel(c.text.c_str(), c.budget), c.expected)
            << "text of " << c.text.size() << " bytes, budget " << c.budget;
    }
}

struct ColumnCase {
    int total, screenHeight, itemHeight, labelChars;
    MenuColumns expected;
};

TEST(MenuColumns, Table) {
    const ColumnCase cases[] = {
        {28, 200, 18, 64, {10, 3, 21}},
        {20, 200, 18, 64, {10, 2, 32}},    // a full last column opens no new one
        {21, 200, 18, 64, {10, 3, 21}},
        {3, 1024, 19, 64, {48, 1, 64}},
        {28, 200, 18, 3, {10, 3, 3}},      // the budget never drops below 3
        {3, 10, 18, 64, {1, 3, 21}},       // screen shorter than one item: one row
        {3, 0, 0, 64, {1, 3, 21}},
        {3, 100, -5, 64, {1, 3, 21}},      // nonsense item height
    };
    for (const ColumnCase& c : cases) {
        MenuColumns got = ComputeMenuColumns(c.total, c.screenHeight, c.itemHeight, c.labelChars);
        EXPECT_EQ((std::vector<int>{got.rows, got.columns, got.labelBudget}),
                  (std::vector<int>{c.expected.rows, c.expected.columns, c.expected.labelBudget}))
            << c.total << " items, screen " << c.screenHeight;
    }
}

// "R0 R1 - |H2 H1": R/H text items with their index, N a placeholder of its section (R or H),
// "-" the separator, "|" before an item that opens a column.
std::string Render(const TextMenuPlan& plan) {
    std::string s;
    for (const MenuPlanItem& item : plan.items) {
        if (!s.empty()) s += ' ';
        if (item.columnBreak) s += '|';
        char section = item.section == MenuSection::History ? 'H' : 'R';
        switch (item.kind) {
        case MenuItemKind::Separator: s += '-'; break;
        case MenuItemKind::Placeholder: s += 'N'; s += section; break;
        case MenuItemKind::Text: s += section; s += std::to_string(item.index); break;
        }
    }
    return s;
}

TextMenuInput Input(int registered, int history, int historyCount, bool registeredOnTop,
                    bool newestOnTop, int screenHeight = 1000) {
    return {registered, history, historyCount, registeredOnTop, newestOnTop, 64,
            screenHeight, 18};
}

struct PlanCase {
    TextMenuInput input;
    const char* expected;
};

TEST(TextMenuPlan, OrderAndPlaceholders) {
    const PlanCase cases[] = {
        {Input(0, 0, 30, true, true), "NR - NH"},
        {Input(0, 0, 30, false, false), "NH - NR"},
        {Input(2, 3, 30, true, true), "R0 R1 - H0 H1 H2"},
        {Input(2, 3, 30, true, false), "R0 R1 - H2 H1 H0"},
        {Input(2, 3, 30, false, true), "H0 H1 H2 - R0 R1"},
        {Input(2, 3, 30, false, false), "H2 H1 H0 - R0 R1"},
        {Input(1, 0, 30, true, true), "R0 - NH"},
        {Input(0, 2, 30, true, true), "NR - H0 H1"},
        // The count was lowered after the entries were captured: only the newest show.
        {Input(0, 8, 5, true, true), "NR - H0 H1 H2 H3 H4"},
        {Input(0, 8, 5, true, false), "NR - H4 H3 H2 H1 H0"},
        // rows 3: a separator may open a column.
        {Input(0, 3, 30, false, true, 60), "H0 H1 H2 |- NR"},
        {Input(2, 2, 30, true, true, 40), "R0 R1 |- H0 |H1"},
    };
    for (const PlanCase& c : cases) {
        EXPECT_EQ(Render(PlanTextMenu(c.input)), c.expected);
    }
}

TEST(TextMenuPlan, ColumnBreaksEveryRowsItems) {
    // 12 registered and 15 shown history entries on a screen of 10 rows.
    TextMenuPlan plan = PlanTextMenu(Input(12, 20, 15, true, true, 200));
    ASSERT_EQ(plan.items.size(), 28u);
    EXPECT_EQ(plan.columns.rows, 10);
    EXPECT_EQ(plan.columns.columns, 3);
    EXPECT_EQ(plan.columns.labelBudget, 21);
    for (size_t p = 0; p < plan.items.size(); ++p) {
        EXPECT_EQ(plan.items[p].columnBreak, p == 10 || p == 20) << p;
    }
    EXPECT_EQ(plan.items[12].kind, MenuItemKind::Separator);
    EXPECT_EQ(plan.items[27].index, 14);
}

}  // namespace
