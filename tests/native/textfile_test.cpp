// History and registered-text files: record bytes, line ends, damaged input, safe replacement.
#include "store/textfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

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

struct TextFile : ::testing::Test {
    fs::path dir = fs::temp_directory_path() / ("qm_" + std::to_string(std::random_device{}()));
    std::string file = (dir / "q.hst").string();
    void SetUp() override { fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
    void write(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
    std::string read() {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
};

TEST_F(TextFile, SavesOldestFirstWithCrLfAndLoadsBack) {
    const std::string big(100 * 1024, 'L');  // longer than any piece read or written at once
    const Texts texts = {"B", "表示\r\n行", "", "a\x1Az", big, "x\r", "A"};
    TextStore store;
    for (const std::string& t : texts) addText(store, kHistory, t.c_str());
    write(std::string(300 * 1024, 'o'));  // a longer old file is replaced whole
    ASSERT_TRUE(saveTextFile(store, kHistory, file.c_str()));
    const std::string head("B\0\x95\x5C\x8E\xA6\r\r\n\x8D\x73\0\0a\x1Az\0", 17);
    EXPECT_EQ(read(), head + big + std::string("\0x\r\0A\0", 6));
    EXPECT_FALSE(fs::exists(file + ".tmp"));
    TextStore loaded;
    addText(loaded, kHistory, "A");  // loading adds; an equal record moves it
    ASSERT_TRUE(loadTextFile(loaded, kHistory, file.c_str()));
    EXPECT_EQ(oldestFirst(loaded), texts);
    clearList(loaded, kHistory);
    ASSERT_TRUE(saveTextFile(loaded, kHistory, file.c_str()));
    EXPECT_EQ(read(), "");
    std::string nowhere = (dir / "missing" / "q.hst").string();
    EXPECT_FALSE(saveTextFile(store, kHistory, nowhere.c_str()));
    EXPECT_FALSE(loadTextFile(store, kHistory, nowhere.c_str()));
}

TEST_F(TextFile, RandomBytesDecodeAlikeInPiecesAndLoadAndSaveAsTheirRecords) {
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
        write(bytes);
        TextStore store;
        ASSERT_TRUE(loadTextFile(store, kHistory, file.c_str()));
        ASSERT_EQ(oldestFirst(store), expected) << round;
        ASSERT_TRUE(saveTextFile(store, kHistory, file.c_str()));
        ASSERT_EQ(decode(read()), expected) << round;
    }
}

}  // namespace
