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
using Rows = std::vector<std::pair<int, std::string>>;

Rows rowsOf(const TextStore& store, ListKind kind) {
    Rows out;
    for (int i = 0; i < listCount(store, kind); ++i)
        out.emplace_back(idAt(store, kind, i), textOfId(store, idAt(store, kind, i)));
    return out;
}

TEST(TextStore, LowestIdsMoveToFrontAndByteForByteEquality) {
    TextStore store;
    for (const char* text : {"A", "B", "A", "a", "A\r\n", ""}) addText(store, kHistory, text);
    EXPECT_EQ(rowsOf(store, kHistory),
              (Rows{{4100, ""}, {4099, "A\r\n"}, {4098, "a"}, {4096, "A"}, {4097, "B"}}));
    trimHistory(store, 3);  // frees 4096 and 4097; the lowest comes back first
    addText(store, kHistory, "C");
    EXPECT_EQ(idAt(store, kHistory, 0), 4096);
    EXPECT_EQ(listCount(store, kHistory), 4);
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
    EXPECT_EQ(rowsOf(store, kHistory), (Rows{{4096, "A"}}));
}

TEST(TextIdPool, BitLayoutExhaustionAndRelease) {
    TextIdPool pool;
    for (int expected = kFirstTextId; expected <= kLastTextId; ++expected)
        ASSERT_EQ(allocateTextId(pool), expected);
    EXPECT_EQ(allocateTextId(pool), -1);
    releaseTextId(pool, 4096 + 8 * 100 + 3);
    EXPECT_EQ(pool.bits[100], 0xFF & ~(1 << 3));
    releaseTextId(pool, 12288);  // outside the pool: ignored
    EXPECT_EQ(allocateTextId(pool), 4096 + 8 * 100 + 3);
}

TEST(TextStore, FullPoolGivesUpOldestHistoryThenRefuses) {
    TextStore store;
    addText(store, kHistory, "old");
    addText(store, kHistory, "new");
    for (int i = 0; i < kTextIdCount - 2; ++i)
        ASSERT_TRUE(addText(store, kRegistered, std::to_string(i).c_str()));
    // The text is copied before the history entry holding it gives up its id.
    ASSERT_TRUE(registerText(store, textOfId(store, 4096)));
    EXPECT_EQ(rowsOf(store, kHistory), (Rows{{4097, "new"}}));
    EXPECT_STREQ(textOfId(store, idAt(store, kRegistered, 0)), "old");
    ASSERT_TRUE(addText(store, kRegistered, "another"));
    EXPECT_EQ(listCount(store, kHistory), 0);
    EXPECT_FALSE(addText(store, kRegistered, "refused"));
    EXPECT_FALSE(recordHistoryText(store, 30, "refused"));
    EXPECT_EQ(listCount(store, kRegistered), kTextIdCount);
    EXPECT_TRUE(addText(store, kRegistered, "0"));  // an equal text still moves
    EXPECT_STREQ(textOfId(store, idAt(store, kRegistered, 0)), "0");
}

TEST(TextStore, SaverIsAskedOnlyWhenAListChanged) {
    TextStore store;
    std::vector<ListKind> saved;
    store.saver = [&saved](ListKind kind) { saved.push_back(kind); };
    recordHistoryText(store, 30, "R");
    registerText(store, "R");
    recordHistoryText(store, 30, "R");  // registered: neither moved nor saved
    registerText(store, "R");
    clearHistory(store);
    EXPECT_EQ(saved, (std::vector<ListKind>{kHistory, kRegistered}));
    EXPECT_FALSE(isTextIdUsed(store.pool, 4096));
    EXPECT_TRUE(isTextIdUsed(store.pool, 4097));
}

// The lists as front-first vectors searched linearly; the store's indexes must agree with it
// after any sequence of operations.
struct Model {
    Rows history, registered;
    std::vector<bool> used = std::vector<bool>(kTextIdCount);

    static bool has(const Rows& rows, const std::string& text) {
        return std::any_of(rows.begin(), rows.end(), [&](auto& r) { return r.second == text; });
    }
    void add(Rows& list, const std::string& text) {
        auto it = std::find_if(list.begin(), list.end(), [&](auto& r) { return r.second == text; });
        if (it != list.end()) {
            std::rotate(list.begin(), it, it + 1);
            return;
        }
        auto n = std::find(used.begin(), used.end(), false) - used.begin();
        used[n] = true;
        list.insert(list.begin(), {kFirstTextId + int(n), text});
    }
    void cut(Rows& list, size_t max) {
        for (; list.size() > max; list.pop_back()) used[list.back().first - kFirstTextId] = false;
    }
};

TEST(TextStore, BehavesLikeTheLinearModel) {
    std::mt19937 rng(7);
    const std::vector<std::string> texts = {"", "a", "A", "a\r\n", "表", "b", "c", "d", "e"};
    auto pick = [&] { return texts[rng() % texts.size()]; };
    TextStore store;
    Model m;
    for (int step = 0; step < 4000; ++step) {
        std::string text = pick();
        size_t max = rng() % 8;
        std::vector<std::string> rows = {pick(), pick(), pick()};
        switch (rng() % 5) {
        case 0:
            trimHistory(store, int(max));
            m.cut(m.history, max);
            break;
        case 1:
            clearList(store, kHistory);
            m.cut(m.history, 0);
            break;
        case 2:
            registerText(store, text.c_str());
            if (!m.has(m.registered, text)) m.add(m.registered, text);
            break;
        case 3:
            replaceRegisteredTexts(store, rows);
            m.cut(m.registered, 0);
            for (auto r = rows.rbegin(); r != rows.rend(); ++r) m.add(m.registered, *r);
            break;
        default:
            recordHistoryText(store, int(max + 1), text.c_str());
            if (m.has(m.registered, text)) break;
            m.add(m.history, text);
            m.cut(m.history, max + 1);
        }
        ASSERT_EQ(rowsOf(store, kHistory), m.history) << step;
        ASSERT_EQ(rowsOf(store, kRegistered), m.registered) << step;
        for (const std::string& t : texts)
            ASSERT_EQ(isRegistered(store, t.c_str()), m.has(m.registered, t)) << step;
        for (const auto& row : m.history) ASSERT_TRUE(isHistoryId(store, row.first)) << step;
        for (const auto& row : m.registered) ASSERT_FALSE(isHistoryId(store, row.first)) << step;
        for (int n = 0; n < 32; ++n)
            ASSERT_EQ(isTextIdUsed(store.pool, kFirstTextId + n), m.used[n]) << step;
    }
}

}  // namespace
