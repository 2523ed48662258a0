// Text store: ids, move to front, trimming, the recording and registering policies.
#include "store/textstore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr ListKind kHistory = ListKind::History;
constexpr ListKind kRegistered = ListKind::RegisteredTexts;
using Rows = std::vector<std::pair<int, std::string>>;

Rows rowsOf(const TextStore& store, ListKind kind) {
    Rows out;
    for (int i = 0; i < listCount(store, kind); ++i)
        out.emplace_back(idAt(store, kind, i), textOfId(store, idAt(store, kind, i)));
    return out;
}

TEST(TextStore, LowestFreeIdsMoveToFrontAndByteForByteEquality) {
    TextStore store;
    for (const char* text : {"A", "B", "A", "a", "A\r\n", ""}) addText(store, kHistory, text);
    EXPECT_EQ(rowsOf(store, kHistory),
              (Rows{{4100, ""}, {4099, "A\r\n"}, {4098, "a"}, {4096, "A"}, {4097, "B"}}));
    trimHistory(store, 3);  // frees 4096 and 4097; the lowest comes back first
    for (const char* text : {"B", "C", "a"}) addText(store, kHistory, text);
    EXPECT_EQ(rowsOf(store, kHistory),
              (Rows{{4098, "a"}, {4097, "C"}, {4096, "B"}, {4100, ""}, {4099, "A\r\n"}}));
    for (int id : {4095, 4101, 12288}) EXPECT_EQ(textOfId(store, id), nullptr) << id;
    EXPECT_EQ(idAt(store, kHistory, 5), -1) << "index == count";
    EXPECT_FALSE(addText(store, static_cast<ListKind>(3), "x"));
    EXPECT_FALSE(addText(store, kHistory, nullptr));
}

// Texts moved in (as a file load does) keep the rules of copied ones; lengths around the hash's
// 16-byte steps, and texts equal but for their last byte, tell the lookup's edges.
TEST(TextStore, MovedInTextsBehaveAsCopiedOnes) {
    const std::string texts[] = {"A",
                                 "B",
                                 std::string("A\0x", 3),
                                 "",
                                 std::string(15, 'q'),
                                 std::string(16, 'q'),
                                 std::string(17, 'q'),
                                 std::string(16, 'q'),
                                 std::string(32, 'q') + "r",
                                 std::string(33, 'q'),
                                 "B"};
    TextStore copied, moved;
    for (const std::string& text : texts) {
        addText(copied, kHistory, text.c_str());
        std::string owned = text;
        EXPECT_TRUE(addText(moved, kHistory, std::move(owned)));
    }
    EXPECT_EQ(rowsOf(moved, kHistory), rowsOf(copied, kHistory));
    EXPECT_EQ(listCount(moved, kHistory), 8);  // "A\0x" is "A"; the second 16 q and B move
    EXPECT_EQ(textOfId(moved, idAt(moved, kHistory, 0)), std::string("B"));
    EXPECT_FALSE(addText(moved, static_cast<ListKind>(3), std::string("x")));
}

TEST(TextStore, FullPoolRefusesNewTextsAndLeavesBothListsAsTheyWere) {
    TextStore store;
    int saves = 0;
    store.saver = [&saves](ListKind) { ++saves; };
    addText(store, kHistory, "old");
    addText(store, kHistory, "new");
    for (int i = 0; i < kTextIdCount - 2; ++i)
        ASSERT_TRUE(addText(store, kRegistered, std::to_string(i).c_str()));
    const Rows history = rowsOf(store, kHistory);
    const Rows registered = rowsOf(store, kRegistered);
    EXPECT_FALSE(recordHistoryText(store, 30, "refused"));
    EXPECT_FALSE(registerText(store, "old"));  // in the History only: a new registered entry
    EXPECT_EQ(rowsOf(store, kHistory), history);
    EXPECT_EQ(rowsOf(store, kRegistered), registered);
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(recordHistoryText(store, 30, "old"));  // an equal text still moves
    EXPECT_EQ(rowsOf(store, kHistory), (Rows{{4096, "old"}, {4097, "new"}}));
    trimHistory(store, 1);  // frees 4097
    EXPECT_TRUE(registerText(store, "after"));
    EXPECT_EQ(rowsOf(store, kRegistered)[0], (std::pair<int, std::string>{4097, "after"}));
}

TEST(TextStore, FullPoolMakesRoomFromAHistoryLongerThanItsCount) {
    TextStore store;
    for (const char* text : {"1", "2", "3", "4", "5"}) addText(store, kHistory, text);
    auto fillPool = [&store] {
        while (addText(store, kRegistered, std::to_string(listCount(store, kRegistered)).c_str())) {
        }
    };
    fillPool();
    EXPECT_TRUE(recordHistoryText(store, 3, "new"));
    EXPECT_EQ(rowsOf(store, kHistory), (Rows{{4096, "new"}, {4100, "5"}, {4099, "4"}}));
    fillPool();
    EXPECT_TRUE(recordHistoryText(store, 3, "newer"));  // at its count: the oldest makes room
    EXPECT_EQ(rowsOf(store, kHistory), (Rows{{4099, "newer"}, {4096, "new"}, {4100, "5"}}));
}

TEST(TextStore, SaverIsAskedOnlyWhenAListChanged) {
    TextStore store;
    std::vector<ListKind> saved;
    store.saver = [&saved](ListKind kind) { saved.push_back(kind); };
    recordHistoryText(store, 30, "R");
    registerText(store, "R");
    recordHistoryText(store, 30, "R");  // registered: neither moved nor saved
    registerText(store, "R");
    recordHistoryText(store, 1, "S");  // cut to the count after the text is in
    EXPECT_EQ(rowsOf(store, kHistory), (Rows{{4098, "S"}}));
    clearHistory(store);
    EXPECT_EQ(saved, (std::vector<ListKind>{kHistory, kRegistered, kHistory}));
    EXPECT_FALSE(isTextIdUsed(store.pool, 4098));
    EXPECT_TRUE(isTextIdUsed(store.pool, 4097));
}

// Editor rows of code-page texts.
std::vector<TextRow> plainRows(std::initializer_list<const char*> texts) {
    std::vector<TextRow> rows;
    for (const char* text : texts) rows.push_back({text, nullptr});
    return rows;
}

TEST(TextStore, ReplacedRegisteredTextsCollapseAtTheTopmostRow) {
    TextStore store;
    registerText(store, "old");
    recordHistoryText(store, 30, "x");
    ASSERT_TRUE(replaceRegisteredTexts(store, plainRows({"x", "y", "x", "old"})));
    EXPECT_EQ(rowsOf(store, kRegistered), (Rows{{4098, "x"}, {4099, "y"}, {4096, "old"}}));
    EXPECT_TRUE(isHistoryId(store, 4097));
    EXPECT_FALSE(isHistoryId(store, 4098));
}

// With every id taken, a replace that needs one more id changes nothing at all.
TEST(TextStore, AReplaceThatCannotBeStoredLeavesTheRegisteredTextsAsTheyWere) {
    TextStore store;
    for (const char* text : {"c", "b", "a"}) registerText(store, text);
    for (int i = 3; i < kTextIdCount; ++i) addText(store, kHistory, std::to_string(i).c_str());
    ASSERT_EQ(allocateTextId(store.pool), -1);
    EXPECT_FALSE(replaceRegisteredTexts(store, plainRows({"a", "b", "c", "x"})));
    Rows texts = rowsOf(store, kRegistered);
    for (auto& row : texts) row.first = 0;  // ids may change, the texts and their order may not
    EXPECT_EQ(texts, (Rows{{0, "a"}, {0, "b"}, {0, "c"}}));
    EXPECT_TRUE(replaceRegisteredTexts(store, plainRows({"x", "a", "c"})));
    EXPECT_EQ(rowsOf(store, kRegistered).size(), 3u);
}

}  // namespace
