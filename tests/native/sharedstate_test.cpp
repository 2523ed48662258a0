// The shared folder's views: convergence under late, repeated and reordered files, the rules of
// concurrent changes, the clock across a restart, and the file codec's edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "sync/registeredlist.h"
#include "sync/sharedfile.h"
#include "sync/sharedhistory.h"
#include "sync/sharedstate.h"

namespace {

using List = std::vector<std::string>;
constexpr int64_t kNow = 1800000000;

std::vector<LocalText> local(const List& texts) {
    std::vector<LocalText> list;
    for (const std::string& text : texts) list.push_back({text, {}});
    return list;
}

List texts(const SharedState& state) {
    List out;
    for (const LocalText& text : liveTexts(state)) out.push_back(text.text);
    return out;
}

// A machine: its view, changed by its user and by the files it reads.
struct Replica {
    uint64_t machine;
    SharedState view;
    void edit(const List& list) { recordLocalList(view, local(list), machine, kNow); }
    // What it writes to the folder, read back as another machine reads it.
    SharedState file() const {
        SharedFile out{machine, kNow, "pc", view, {}}, in;
        EXPECT_EQ(parseSharedFile(encodeSharedFile(out), in), SharedFileRead::Read);
        return in.state;
    }
};

TEST(SharedState, RandomEditsOnThreeReplicasConvergeWhateverFilesArriveWhen) {
    std::mt19937 random(33);
    for (int round = 0; round < 40; ++round) {
        std::vector<Replica> replicas = {{7, {}}, {3, {}}, {11, {}}};
        std::vector<SharedState> sent;  // every file ever written, any of them may arrive again
        for (int step = 0; step < 60; ++step) {
            Replica& r = replicas[random() % 3];
            List list = texts(r.view);
            std::string word(1, static_cast<char>('a' + random() % 12));
            size_t at = random() % (list.size() + 1);
            int kind = list.empty() ? 0 : static_cast<int>(random() % 4);
            if (kind == 0) list.insert(list.begin() + at, word);
            if (kind == 1) list.erase(list.begin() + at % list.size());
            if (kind == 2) list[at % list.size()] = word + "'";
            if (kind == 3) std::rotate(list.begin(), list.begin() + at % list.size(), list.end());
            r.edit(list);
            for (int n = random() % 3; n > 0 && !sent.empty(); --n)
                mergeState(r.view, sent[random() % sent.size()]);
            sent.push_back(r.file());
        }
        // Then each reads every machine's last file, in an order of its own, among stale ones.
        for (int pass = 0; pass < 2; ++pass) {
            for (Replica& r : replicas) {
                std::vector<SharedState> arriving = {sent[random() % sent.size()]};
                for (const Replica& other : replicas) arriving.push_back(other.file());
                std::shuffle(arriving.begin(), arriving.end(), random);
                for (const SharedState& file : arriving) mergeState(r.view, file);
            }
        }
        for (Replica& r : replicas) {
            EXPECT_FALSE(recordLocalList(r.view, liveTexts(r.view), r.machine, kNow))
                << "a list just merged is no local change";
            EXPECT_EQ(texts(r.view), texts(replicas[0].view)) << "round " << round;
            EXPECT_EQ(r.file().texts.size(), replicas[0].view.texts.size());
        }
    }
}

TEST(SharedState, EditAgainstDeleteKeepsTheEditedText) {
    Replica a{1, {}}, b{2, {}};
    a.edit({"x", "y"});
    mergeState(b.view, a.file());
    a.edit({"x edited", "y"});
    b.edit({"y"});
    mergeState(a.view, b.file());
    mergeState(b.view, a.file());
    EXPECT_EQ(texts(a.view), (List{"x edited", "y"}));
    EXPECT_EQ(texts(b.view), texts(a.view));
}

TEST(SharedState, ReorderAgainstAddKeepsBoth) {
    Replica a{1, {}}, b{2, {}};
    a.edit({"a", "b", "c"});
    mergeState(b.view, a.file());
    a.edit({"c", "a", "b"});
    b.edit({"d", "a", "b", "c"});
    mergeState(a.view, b.file());
    mergeState(b.view, a.file());
    List merged = texts(a.view);
    EXPECT_EQ(merged.size(), 4u);
    EXPECT_EQ(List(merged.end() - 2, merged.end()), (List{"a", "b"})) << "c and d above a";
    EXPECT_EQ(texts(b.view), merged);
}

TEST(SharedState, SameTextRegisteredOnTwoMachinesIsOneEntry) {
    Replica a{1, {}}, b{2, {}};
    a.edit({"sig", "a"});
    b.edit({"sig"});
    mergeState(a.view, b.file());
    EXPECT_EQ(texts(a.view).size(), 2u);
    LocalText exact{"caf?", u"caf\u00E9"}, bytesOnly{"caf?", {}};
    EXPECT_NE(sharedTextId(exact.text, exact.exact), sharedTextId(bytesOnly.text, {}))
        << "an exact form makes another text";
}

// Machine 1 restarts with its view read back from its own file: its next change must outrank a
// delete it had seen from machine 2, whose id wins ties.
TEST(SharedState, ClockCarriesAcrossARestart) {
    Replica one{1, {}}, two{2, {}};
    for (int i = 0; i < 5; ++i) one.edit({std::string(1, static_cast<char>('a' + i))});
    mergeState(two.view, one.file());
    two.edit({});
    mergeState(one.view, two.file());
    EXPECT_TRUE(texts(one.view).empty());
    Replica restarted{1, one.file()};
    EXPECT_EQ(restarted.view.clock, one.view.clock);
    restarted.edit({"e"});
    mergeState(two.view, restarted.file());
    EXPECT_EQ(texts(two.view), List{"e"});
}

TEST(SharedState, TombstonesExpireAfterNinetyDays) {
    Replica a{1, {}};
    a.edit({"x"});
    a.edit({});
    expireTombstones(a.view, kNow + kTombstoneSeconds);
    EXPECT_EQ(a.view.texts.size(), 1u);
    expireTombstones(a.view, kNow + kTombstoneSeconds + 1);
    EXPECT_TRUE(a.view.texts.empty());
}

TEST(SharedFile, EveryCutOrFlippedByteIsDamagedAndNewerVersionsAreLeftAlone) {
    Replica a{0x0123456789abcdefULL, {}};
    a.view.texts[1].deleted = true;  // a tombstone beside texts with and without exact forms
    recordLocalList(a.view, {{"x", u"\U0001F600"}, {"y", {}}}, a.machine, kNow);
    std::string bytes = encodeSharedFile({a.machine, kNow, "PC-1", a.view, {}});
    SharedFile read;
    ASSERT_EQ(parseSharedFile(bytes, read), SharedFileRead::Read);
    EXPECT_EQ(read.computer, "PC-1");
    EXPECT_EQ(encodeSharedFile(read), bytes);
    for (size_t cut = 4; cut < bytes.size(); ++cut)
        EXPECT_EQ(parseSharedFile(bytes.substr(0, cut), read), SharedFileRead::Damaged) << cut;
    std::string flipped = bytes;
    flipped[bytes.size() / 2] ^= 1;
    EXPECT_EQ(parseSharedFile(flipped, read), SharedFileRead::Damaged);
    std::string newer = bytes;
    newer[4] = 3;
    EXPECT_EQ(parseSharedFile(newer, read), SharedFileRead::Newer);
    EXPECT_EQ(parseSharedFile("QMS", read), SharedFileRead::NotShared);
    EXPECT_EQ(parseSharedFile(std::string(kSharedFileMaxBytes + 1, 'x'), read),
              SharedFileRead::TooLarge);
    EXPECT_EQ(sharedFileName(a.machine), "0123456789abcdef.qms");
}

TEST(SharedFile, MachineIdIsKeptOnlyOnTheComputerItWasMadeOn) {
    uint64_t id = 0;
    EXPECT_TRUE(parseMachineId("00000000000000fF", id));
    EXPECT_EQ(id, 0xFFu);
    for (const char* bad : {"", "0000000000000000", "000000000000000g", "00000000000000001"})
        EXPECT_FALSE(parseMachineId(bad, id)) << bad;
    EXPECT_TRUE(sameComputer("Office-PC", "OFFICE-pc"));
    EXPECT_FALSE(sameComputer("", ""));
    EXPECT_FALSE(sameComputer("PC1", "PC10"));
    // 0x83 0x41 and 0x83 0x61 are two katakana: the trail byte is no ASCII capital.
    EXPECT_FALSE(sameComputer("\x83\x41", "\x83\x61"));
    EXPECT_TRUE(
        sameComputer("\x83\x41"
                     "A",
                     "\x83\x41"
                     "a"));
}

// An open text menu or search window holds ids: a merged list keeps each staying text's id, even
// past a free id below it and another list's entry among them.
TEST(RegisteredList, MergedRowsKeepTheIdsOfTextsThatStay) {
    TextStore store;
    for (const char* text : {"gone", "c", "b", "a"}) registerText(store, text);  // 4096..4099
    recordHistoryText(store, 10, "history");                                     // 4100
    registerText(store, "d");                                                    // 4101
    ASSERT_TRUE(replaceRegisteredKeepingIds(
        store, {{"new", {}}, {"a", {}}, {"d", {}}, {"b", {}}, {"c", {}}}));
    std::vector<std::pair<std::string, int>> rows;
    for (int i = 0; i < listCount(store, ListKind::RegisteredTexts); ++i) {
        int id = idAt(store, ListKind::RegisteredTexts, i);
        rows.emplace_back(textOfId(store, id), id);
    }
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, int>>{
                        {"new", 4096}, {"a", 4099}, {"d", 4101}, {"b", 4098}, {"c", 4097}}));
    EXPECT_STREQ(textOfId(store, 4100), "history");
}

List history(const TextStore& store) {
    List out;
    for (int i = 0; i < listCount(store, ListKind::History); ++i)
        out.push_back(textOfId(store, idAt(store, ListKind::History, i)));
    return out;
}

SharedHistory copies(std::vector<std::pair<std::string, uint64_t>> texts) {
    SharedHistory h;
    for (auto& [text, stamp] : texts) h.copies.push_back({stamp, text, {}});
    return h;
}

// Other machines' copies come in by time, one per text, past registered texts and up to the
// count; read again (a conflicted older copy too) they are not taken twice.
TEST(SharedHistory, NewCopiesComeInByTimeOnce) {
    TextStore store;
    registerText(store, "reg");
    for (const char* text : {"old", "a1", "mine"}) recordHistoryText(store, 5, text);
    SharedHistory own;
    noteOwnCopy(own, 1, 25, "mine", {}, 10);
    SharedHistory a = copies({{"a2", 20}, {"both", 12}, {"a1", 10}, {"mine", 5}});
    SharedHistory b = copies({{"both", 18}, {"reg", 16}, {"b1", 15}});
    SharedHistory aBefore = copies({{"a1", 10}, {"a0", 3}});
    std::vector<HistorySource> sources = {{2, &a}, {3, &b}, {1, &own}};
    recordArrivals(store, 5, takeNewCopies(own, 1, sources));
    EXPECT_EQ(history(store), (List{"a2", "both", "b1", "a1", "mine"}));
    sources.push_back({2, &aBefore});
    EXPECT_TRUE(takeNewCopies(own, 1, sources).empty());
    a.copies.insert(a.copies.begin(), {30, "a1", {}});
    recordArrivals(store, 5, takeNewCopies(own, 1, sources));
    EXPECT_EQ(history(store), (List{"a1", "a2", "both", "b1", "mine"}));
    std::map<uint64_t, uint64_t> origins = copyOrigins(own, 1, sources);
    EXPECT_EQ(origins[sharedTextId("both", {})], 3u);
    EXPECT_EQ(origins.count(sharedTextId("mine", {})), 0u);
}

// Own stamps rise over a clock set back; the file carries the newest own copies still in the
// History, and only a file that carries copies needs the later version.
TEST(SharedHistory, OwnCopiesAreStampedSharedAndReadBack) {
    TextStore store;
    SharedHistory own;
    for (const char* text : {"x", "gone", "y", "x", "x"}) {
        recordHistoryText(store, 10, text);
        noteOwnCopy(own, 1, 100, text, {}, 10);
    }
    recordHistoryText(store, 10, "?", std::make_shared<const std::u16string>(u"\u00e9"));
    noteOwnCopy(own, 1, 50, "?", u"\u00e9", 10);
    clearHistory(store);
    for (const char* text : {"y", "x"}) recordHistoryText(store, 10, text);
    recordHistoryText(store, 10, "?", std::make_shared<const std::u16string>(u"\u00e9"));
    std::vector<SharedCopy> shared = copiesToShare(own, store, 3);
    std::vector<std::pair<std::string, uint64_t>> got;
    for (const SharedCopy& copy : shared) got.emplace_back(copy.text, copy.stamp);
    using Stamped = std::vector<std::pair<std::string, uint64_t>>;
    EXPECT_EQ(got, (Stamped{{"?", 104}, {"x", 103}, {"y", 102}}));
    EXPECT_EQ(shared[0].exact, u"\u00e9");
    SharedFile file{1, kNow, "pc", {}, {shared, own.seen}}, read;
    std::string bytes = encodeSharedFile(file);
    ASSERT_EQ(parseSharedFile(bytes, read), SharedFileRead::Read);
    EXPECT_EQ(bytes[4], 2);
    EXPECT_EQ(encodeSharedFile(read), bytes);
    EXPECT_EQ(encodeSharedFile({1, kNow, "pc", {}, {}})[4], 1);
    for (size_t cut = 4; cut < bytes.size(); ++cut)
        EXPECT_EQ(parseSharedFile(bytes.substr(0, cut), read), SharedFileRead::Damaged) << cut;
}

}  // namespace
