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

TEST(TextStore, ReplacedRegisteredTextsCollapseAtTheTopmostRow) {
    TextStore store;
    registerText(store, "old");
    recordHistoryText(store, 30, "x");
    ASSERT_TRUE(replaceRegisteredTexts(store, {"x", "y", "x", "old"}));
    EXPECT_EQ(rowsOf(store, kRegistered), (Rows{{4098, "x"}, {4099, "y"}, {4096, "old"}}));
    EXPECT_TRUE(isHistoryId(store, 4097));
    EXPECT_FALSE(isHistoryId(store, 4098));
}

}  // namespace
