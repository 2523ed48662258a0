// Text menu labels, tip texts, column arithmetic and the order of items.
#include "menu/menulayout.h"
#include "menu/tiptext.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// 'L': a menu label of budget n (at most n-1 bytes); 'T': a tip of limit n (at most n bytes).
TEST(MenuLabelAndTip, Cuts) {
    const std::string x61(61, 'x'), x62(62, 'x');
    const struct {
        char kind;
        std::string text;
        int n;
        std::string expected;
    } cases[] = {
        {'L', "a&b", 64, "a&&b"},
        {'L', "a&b", 3, "a"},  // the '&' would reach the last byte allowed
        {'L', std::string(100, 'x'), 64, std::string(63, 'x')},
        {'L', std::string(63, 'x'), 64, std::string(63, 'x')},  // exactly L-1 bytes: no cut
        {'L', x61 + "表yyyy", 64, x61 + "表"},                  // character at 61..62 kept whole
        {'L', x62 + "表yyyy", 64, x62},                         // lead byte at 62: cut before it
        // A trail byte may look like a lead byte: only a walk from the start tells them apart.
        {'L', x61 + "\x81\x81\x81\x81", 64, x61 + "\x81\x81"},
        {'L', x61 + "&b", 64, x61 + "&&"},  // the pair ends right at L-1
        {'L', x62 + "&b", 64, x62},         // no room for the pair: taken back
        // An '&' that is the second byte of a lead byte: both go, never half a character.
        {'L', x61 + "\x95&b", 64, x61},
        {'L', "one\r\ntwo", 64, "onetwo"},
        {'L', "\r\n\t\x7f\x01", 64, ""},  // control bytes only
        {'L', "", 64, ""},
        {'L', "abc", 1, ""},
        {'L', "abc", 0, ""},
        {'L', "表", 2, ""},  // L-1 = 1 would split the character
        {'T', std::string(3000, 'a'), 1024, std::string(1024, 'a')},
        {'T', "表x", 2, "表"},
        {'T', "a表", 2, "a"},  // the character starting at the second byte
        {'T', "", 1024, ""},
        {'T', "abc", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << c.n << ", " << c.text.size() << " bytes");
        if (c.kind == 'L') {
            EXPECT_EQ(BuildMenuLabel(c.text.c_str(), c.n), c.expected);
            continue;
        }
        std::vector<char> buffer(TipBufferSize(c.n) + 1, 'X');
        EXPECT_EQ(CopyTipText(buffer.data(), c.n, c.text.c_str()), c.expected.size());
        EXPECT_EQ(std::string(buffer.data()), c.expected);
        EXPECT_EQ(buffer.back(), 'X') << "wrote past the buffer";
    }
}

TEST(MenuColumns, Table) {
    const struct {
        int total, screenHeight, itemHeight, labelChars;
        std::vector<int> rowsColumnsBudget;
    } cases[] = {
        {28, 200, 18, 64, {10, 3, 21}},
        {20, 200, 18, 64, {10, 2, 32}},  // a full last column opens no new one
        {28, 200, 18, 3, {10, 3, 3}},    // the budget never drops below 3
        {3, 10, 18, 64, {1, 3, 21}},     // screen shorter than one item: one row
    };
    for (const auto& c : cases) {
        MenuColumns got = ComputeMenuColumns(c.total, c.screenHeight, c.itemHeight, c.labelChars);
        EXPECT_EQ((std::vector<int>{got.rows, got.columns, got.labelBudget}), c.rowsColumnsBudget)
            << c.total << " items, screen " << c.screenHeight;
    }
}

// "R0 R1 - |H2 H1": R/H text items with their index, N a placeholder of its section (R or H),
// "-" the separator, "|" before an item that opens a column.
std::string Render(const TextMenuPlan& plan) {
    std::string s;
    for (const MenuPlanItem& item : plan.items) {
        const std::string section = item.section == MenuSection::History ? "H" : "R";
        s += std::string(s.empty() ? "" : " ") + (item.columnBreak ? "|" : "");
        s += item.kind == MenuItemKind::Separator     ? "-"
             : item.kind == MenuItemKind::Placeholder ? "N" + section
                                                      : section + std::to_string(item.index);
    }
    return s;
}

TEST(TextMenuPlan, OrderPlaceholdersAndColumnBreaks) {
    // {registered, history entries, history count, registered on top, newest on top, label
    // chars, screen height, item height}
    const std::pair<TextMenuInput, const char*> cases[] = {
        {{2, 3, 30, true, false, 64, 1000, 18}, "R0 R1 - H2 H1 H0"},
        {{2, 3, 30, false, true, 64, 1000, 18}, "H0 H1 H2 - R0 R1"},
        {{2, 0, 30, false, false, 64, 1000, 18}, "NH - R0 R1"},
        // The count was lowered after the entries were captured: only the newest show.
        {{0, 8, 5, true, true, 64, 1000, 18}, "NR - H0 H1 H2 H3 H4"},
        {{0, 8, 5, true, false, 64, 1000, 18}, "NR - H4 H3 H2 H1 H0"},
        // 3 rows: the separator may open a column.
        {{0, 3, 30, false, true, 64, 60, 18}, "H0 H1 H2 |- NR"},
        // 10 rows, 28 items.
        {{12, 20, 15, true, true, 64, 200, 18},
         "R0 R1 R2 R3 R4 R5 R6 R7 R8 R9 |R10 R11 - H0 H1 H2 H3 H4 H5 H6 |H7 H8 H9 H10 H11 H12 H13 "
         "H14"},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(Render(PlanTextMenu(input)), expected);
}

}  // namespace
