// History and registered-text file bytes: records, line ends, damaged input, the temporary name.
#include "store/textfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::string>;
constexpr ListKind kHistory = ListKind::History;

// Feeds the bytes in two pieces cut at `cut`.
Texts decode(const std::string& bytes, size_t cut = 0) {
    Texts out;
    TextRecordSink sink = [&out](const std::string& text) { out.push_back(text); };
    TextRecordDecoder decoder;
    feedTextRecords(decoder, bytes.data(), cut, sink);
    feedTextRecords(decoder, bytes.data() + cut, bytes.size() - cut, sink);
    finishTextRecords(decoder, sink);
    return out;
}

Texts oldestFirst(const TextStore& store) {
    Texts out;
    for (int i = listCount(store, kHistory) - 1; i >= 0; --i)
        out.push_back(textOfId(store, idAt(store, kHistory, i)));
    return out;
}

TEST(TextRecords, DecodeWholeOrInAnyTwoPieces) {
    const std::pair<std::string, Texts> cases[] = {
        {std::string("x\r\r\ny\0a\r\0\r", 10), {"x\r\ny", "a\r", "\r"}},  // lone CRs stay
        // 0x1A is an ordinary byte; a cut last record is kept.
        {std::string("\0a\x1Az\0c", 6), {"", "a\x1Az", "c"}},
        {"", {}},
    };
    for (const auto& [bytes, texts] : cases)
        for (size_t cut = 0; cut <= bytes.size(); ++cut)
            EXPECT_EQ(decode(bytes, cut), texts) << cut;
}

std::string encode(const TextStore& store) {
    std::string bytes;
    ByteWriter write = [&bytes](const char* data, size_t size) {
        bytes.append(data, size);
        return true;
    };
    EXPECT_TRUE(writeTextRecords(store.history.chain, write));
    return bytes;
}

// Loading adds each record in file order, as the file reader does.
void load(TextStore& store, const std::string& bytes) {
    for (const std::string& text : decode(bytes)) addText(store, kHistory, text.c_str());
}

TEST(TextRecords, EncodeOldestFirstWithCrLfAndDecodeBack) {
    // Runs longer than a write block go out unbuffered, between buffered pieces.
    const std::string run(300 * 1024, 'L');
    const std::string big = run + "\n" + run + "\n";
    const Texts texts = {"B", "表示\r\n行", "", "a\x1Az", big, "x\r", "A"};
    TextStore store;
    for (const std::string& t : texts) addText(store, kHistory, t.c_str());
    const std::string head("B\0\x95\x5C\x8E\xA6\r\r\n\x8D\x73\0\0a\x1Az\0", 17);
    EXPECT_EQ(encode(store), head + run + "\r\n" + run + "\r\n" + std::string("\0x\r\0A\0", 6));
    TextStore loaded;
    addText(loaded, kHistory, "A");  // loading adds; an equal record moves it
    load(loaded, encode(store));
    EXPECT_EQ(oldestFirst(loaded), texts);
    clearList(loaded, kHistory);
    EXPECT_EQ(encode(loaded), "");
}

// Line ends are found a word at a time: one at every offset of the first words, alone and in
// runs, must come out byte for byte as a line end written one byte at a time.
TEST(TextRecords, LineEndsAtEveryOffsetOfAWord) {
    for (const std::string ending : {"\n", "\r\n", "\r", "\r\r\n", "\n\n"}) {
        for (size_t at = 0; at <= 17; ++at) {
            const std::string text = std::string(at, 'a') + ending + std::string(19 - at, 'b');
            std::string bytes;
            for (char c : text) bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
            bytes += '\0';
            TextStore store;
            addText(store, kHistory, text.c_str());
            SCOPED_TRACE(testing::Message() << "at " << at << ", ending of " << ending.size());
            EXPECT_EQ(encode(store), bytes);
            EXPECT_EQ(decode(bytes), Texts{text});
        }
    }
}

TEST(TextRecords, AFailingWriterStopsTheEncoding) {
    TextStore store;
    for (int i = 0; i < 3; ++i) addText(store, kHistory, std::string(40 * 1024, 'a' + i).c_str());
    int calls = 0;
    EXPECT_FALSE(writeTextRecords(store.history.chain, [&calls](const char*, size_t) {
        ++calls;
        return false;
    }));
    EXPECT_EQ(calls, 1);
}

TEST(TextRecords, ReadBlockHoldsAWholeSmallFileAndStopsAt256K) {
    const std::pair<uint64_t, size_t> cases[] = {
        {0, 4096},
        {4095, 4096},
        {4096, 4097},
        {262142, 262143},
        {262143, 262144},
        {262144, 262144},
        {uint64_t{1} << 40, 262144},
        {~uint64_t{0}, 262144},  // no wrap past the top
    };
    for (const auto& [fileSize, block] : cases)
        EXPECT_EQ(textFileReadBlock(fileSize), block) << fileSize;
}

TEST(TextRecords, TempSiblingKeepsTheLengthAndDiffers) {
    const std::pair<std::string, std::string> cases[] = {
        {"c:\\q\\quillmate.hst", "c:\\q\\quillmate.hs~"},
        {"c:\\q\\odd~", "c:\\q\\odd_"},
        {"", ""},
    };
    for (const auto& [path, temp] : cases) EXPECT_EQ(tempSiblingPath(path), temp) << path;
}

TEST(TextRecords, RandomBytesDecodeAlikeInPiecesAndEncodeAsTheirRecords) {
    std::mt19937 rng(5);
    for (int round = 0; round < 400; ++round) {
        std::string bytes;
        for (size_t n = rng() % 300; n > 0; --n)
            bytes.push_back(rng() % 3 ? "\0\r\n\x1Az\x82"[rng() % 6] : char(rng()));
        const Texts texts = decode(bytes);
        ASSERT_EQ(decode(bytes, rng() % (bytes.size() + 1)), texts) << round;
        Texts expected;  // a later equal record moves the earlier one to its own place
        for (const std::string& t : texts) {
            expected.erase(std::remove(expected.begin(), expected.end(), t), expected.end());
            expected.push_back(t);
        }
        TextStore store;
        load(store, bytes);
        ASSERT_EQ(oldestFirst(store), expected) << round;
        ASSERT_EQ(decode(encode(store)), expected) << round;
    }
}

}  // namespace
