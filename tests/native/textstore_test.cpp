// Text store: ids, move to front, trimming, the recording and registering policies.
#include "store/textstore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr ListKind kHistory = ListKind::History;
constexpr ListKind kRegistered = ListKind::RegisteredTexts;

std::vector<std::pair<int, std::string>> listOf(const TextStore& store, ListKind kind) {
    std::vector<std::pair<int, std::string>> out;
    for (int i = 0; i < listCount(store, kind); ++i) {
        int id = idAt(store, kind, i);
        out.emplace_back(id, textOfId(store, id));
    }
    return out;
}

using Rows = std::vector<std::pair<int, std::string>>;

TEST(TextStore, NewTextsTakeLowestIdsAndGoToTheFront) {
    TextStore store;
    ASSERT_TRUE(addText(store, kHistory, "A"));
    ASSERT_TRUE(addText(store, kHistory, "B"));
    EXPECT_EQ(listOf(store, kHistory), (Rows{{4097, "B"}, {4096, "A"}}));
    ASSERT_TRUE(addText(store, kHistory, "A"));  // moves, keeps its id
    EXPECT_EQ(listOf(store, kHistory), (Rows{{4096, "A"}, {4097, "B"}}));
    // Byte for byte: case, a trailing CR LF and the empty text all make new entries.
    for (const char* text : {"a", "A\r\n", "", "A "}) ASSERT_TRUE(addText(store, kHistory, text));
    EXPECT_EQ(listCount(store, kHistory), 6);
    EXPECT_STREQ(textOfId(store, idAt(store, kHistory, 1)), "");
}

TEST(TextStore, RefusesWhatNamesNoListOrNoEntry) {
    TextStore store;
    addText(store, kHistory, "A");
    for (int kind : {0, 3, -1}) {
        ListKind bad = static_cast<ListKind>(kind);
        EXPECT_FALSE(addText(store, bad, "x"));
        EXPECT_FALSE(clearList(store, bad));
        EXPECT_EQ(listCount(store, bad), -1);
        EXPECT_EQ(idAt(store, bad, 0), -1);
    }
    EXPECT_FALSE(addText(store, kHistory, nullptr));
    EXPECT_EQ(idAt(store, kHistory, -1), -1);
    EXPECT_EQ(idAt(store, kHistory, 1), -1);  // index == count
    for (int id : {0, 4095, 4097, 12288, -1}) EXPECT_EQ(textOfId(store, id), nullptr) << id;
    EXPECT_EQ(listCount(store, kHistory), 1);
}

TEST(TextStore, TrimDropsOldestAndFreedIdsAreReused) {
    TextStore store;
    for (const char* text : {"1", "2", "3", "4"}) recordHistoryText(store, 3, text);
    EXPECT_EQ(listOf(store, kHistory), (Rows{{4099, "4"}, {4098, "3"}, {4097, "2"}}));
    EXPECT_FALSE(isTextIdUsed(store.pool, 4096));
    recordHistoryText(store, 3, "5");
    EXPECT_EQ(idAt(store, kHistory, 0), 4096);
    // A lower count waits for the next capture.
    trimHistory(store, 5);
    EXPECT_EQ(listCount(store, kHistory), 3);
    trimHistory(store, 0);
    EXPECT_EQ(listCount(store, kHistory), 0);
}

TEST(TextIdPool, BitLayoutExhaustionAndRelease) {
    TextIdPool pool;
    for (int expected = kFirstTextId; expected <= kLastTextId; ++expected)
        ASSERT_EQ(allocateTextId(pool), expected);
    EXPECT_EQ(allocateTextId(pool), -1);
    releaseTextId(pool, 4096 + 8 * 100 + 3);
    EXPECT_EQ(pool.bits[100], 0xFF & ~(1 << 3));
    releaseTextId(pool, 12288);  // outside the pool: ignored
    releaseTextId(pool, 4095);
    EXPECT_EQ(allocateTextId(pool), 4096 + 8 * 100 + 3);
}

TEST(TextStore, FullPoolGivesUpOldestHistoryThenRefuses) {
    TextStore store;
    addText(store, kHistory, "old");
    addText(store, kHistory, "new");
    for (int i = 0; i < kTextIdCount - 2; ++i)
        ASSERT_TRUE(addText(store, kRegistered, std::to_string(i).c_str()));
    // The new text is copied before the history entry holding it gives up its id.
    const char* oldText = textOfId(store, 4096);
    ASSERT_TRUE(registerText(store, oldText));
    EXPECT_EQ(listOf(store, kHistory), (Rows{{4097, "new"}}));
    EXPECT_EQ(idAt(store, kRegistered, 0), 4096);
    EXPECT_STREQ(textOfId(store, 4096), "old");
    ASSERT_TRUE(addText(store, kRegistered, "another"));  // takes the last history id
    EXPECT_EQ(listCount(store, kHistory), 0);
    EXPECT_FALSE(addText(store, kRegistered, "refused"));
    EXPECT_FALSE(recordHistoryText(store, 30, "refused"));
    EXPECT_EQ(listCount(store, kRegistered), kTextIdCount);
    EXPECT_TRUE(addText(store, kRegistered, "0"));  // an equal text still moves
    EXPECT_STREQ(textOfId(store, idAt(store, kRegistered, 0)), "0");
}

TEST(TextStore, RecordingSkipsRegisteredTextsAndSavesHistory) {
    TextStore store;
    std::vector<ListKind> saved;
    store.saver = [&saved](ListKind kind) { saved.push_back(kind); };
    recordHistoryText(store, 30, "R");
    recordHistoryText(store, 30, "H");
    ASSERT_TRUE(registerText(store, "R"));  // stays in the History
    EXPECT_EQ(saved, (std::vector<ListKind>{kHistory, kHistory, kRegistered}));
    recordHistoryText(store, 30, "R");  // not moved, not saved
    EXPECT_EQ(listOf(store, kHistory), (Rows{{4097, "H"}, {4096, "R"}}));
    registerText(store, "S");
    registerText(store, "R");  // already registered: keeps its place, no save
    EXPECT_EQ(listOf(store, kRegistered), (Rows{{4099, "S"}, {4098, "R"}}));
    EXPECT_EQ(saved.size(), 4u);
    EXPECT_TRUE(isHistoryId(store, 4096));
    EXPECT_FALSE(isHistoryId(store, 4098));
    clearHistory(store);
    EXPECT_FALSE(isTextIdUsed(store.pool, 4096));
    EXPECT_TRUE(isTextIdUsed(store.pool, 4098));
    EXPECT_EQ(saved.size(), 4u);
}

TEST(TextStore, ReplacingRegisteredTextsKeepsRowOrderAndCollapsesDuplicates) {
    TextStore store;
    registerText(store, "gone");
    recordHistoryText(store, 30, "h");
    ASSERT_TRUE(replaceRegisteredTexts(store, {"a", "b", "a", "c"}));
    EXPECT_EQ(listOf(store, kRegistered), (Rows{{4098, "a"}, {4099, "b"}, {4096, "c"}}));
    EXPECT_FALSE(isRegistered(store, "gone"));
}

// Model of the lists as plain front-first vectors with linear searches; the store's indexes
// must behave exactly like it under any sequence of operations.
struct Model {
    Rows lists[2];
    std::vector<bool> used = std::vector<bool>(kTextIdCount);

    Rows& of(ListKind kind) { return lists[kind == kHistory ? 0 : 1]; }
    void add(ListKind kind, const std::string& text) {
        Rows& list = of(kind);
        auto it = std::find_if(list.begin(), list.end(), [&](auto& r) { return r.second == text; });
        if (it != list.end()) {
            std::rotate(list.begin(), it, it + 1);
            return;
        }
        int n = int(std::find(used.begin(), used.end(), false) - used.begin());
        used[n] = true;
        list.insert(list.begin(), {kFirstTextId + n, text});
    }
    void trim(size_t max) {
        for (; lists[0].size() > max; lists[0].pop_back())
            used[lists[0].back().first - kFirstTextId] = false;
    }
    bool registered(const std::string& t) {
        for (auto& row : lists[1])
            if (row.second == t) return true;
        return false;
    }
    bool inHistory(int id) {
        for (auto& row : lists[0])
            if (row.first == id) return true;
        return false;
    }
};

TEST(TextStore, BehavesLikeTheLinearModel) {
    std::mt19937 rng(7);
    const std::vector<std::string> texts = {"", "a", "A", "a\r\n", "表", "b", "c", "d", "e", "f"};
    auto pick = [&] { return texts[rng() % texts.size()]; };
    TextStore store;
    Model model;
    for (int step = 0; step < 4000; ++step) {
        std::string text = pick();
        int max = int(rng() % 8);
        switch (rng() % 6) {
        case 0: addText(store, kRegistered, text.c_str()); model.add(kRegistered, text); break;
        case 1: trimHistory(store, max); model.trim(size_t(max)); break;
        case 2: if (rng() % 8 == 0) { clearList(store, kHistory); model.trim(0); } break;
        case 3:
            registerText(store, text.c_str());
            if (!model.registered(text)) model.add(kRegistered, text);
            break;
        case 4: {
            std::vector<std::string> rows = {pick(), pick(), pick()};
            replaceRegisteredTexts(store, rows);
            for (auto& r : model.lists[1]) model.used[r.first - kFirstTextId] = false;
            model.lists[1].clear();
            for (auto r = rows.rbegin(); r != rows.rend(); ++r) model.add(kRegistered, *r);
            break;
        }
        default:
            recordHistoryText(store, max + 1, text.c_str());
            if (model.registered(text)) break;
            model.add(kHistory, text);
            model.trim(size_t(max + 1));
        }
        ASSERT_EQ(listOf(store, kHistory), model.lists[0]) << step;
        ASSERT_EQ(listOf(store, kRegistered), model.lists[1]) << step;
        for (const std::string& t : texts)
            ASSERT_EQ(isRegistered(store, t.c_str()), model.registered(t)) << step;
        for (int n = 0; n < 32; ++n)
            ASSERT_EQ(isTextIdUsed(store.pool, kFirstTextId + n), model.used[n]) << step;
        for (int id = kFirstTextId; id < kFirstTextId + 32; ++id)
            ASSERT_EQ(isHistoryId(store, id), model.inHistory(id)) << step;
    }
}

TEST(TextStore, CreateAndDestroy) {
    TextStore* store = createTextStore();
    ASSERT_NE(store, nullptr);
    registerText(*store, "x");
    destroyTextStore(store);
    destroyTextStore(nullptr);
}

}  // namespace
