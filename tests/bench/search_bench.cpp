// The history search's matcher per keystroke over a full history: 4,095 texts of 4 KB of mixed
// Japanese and ASCII, queries typed one character at a time, some of them found only through the
// kana folding; then the worst case of a repetitive text. Prints p50 and p99 in ms.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "search/searchrules.h"
#include "store/textstore.h"
#include "TOOLS/tooltext.h"

namespace {

constexpr int kFullHistory = 4095;
constexpr size_t kTextSize = 4096;

// Words of the texts, in the code page: prose, names, numbers, code and addresses.
const char* const kWords[] = {
    "会議",
    "議事録",
    "資料",
    "の",
    "を",
    "に",
    "は",
    "明日",
    "確認",
    "お願い",
    "します",
    "。",
    "、",
    "ファイル",
    "送付",
    "担当",
    "予定",
    "変更",
    "東京",
    "大阪",
    "プロジェクト",
    "ｸﾘｯﾌﾟﾎﾞｰﾄﾞ",
    "ﾃﾞﾝﾋﾟｮｳ",
    "かたかな",
    "表示",
    "ソース",
    "Hello",
    "world",
    "return",
    "int",
    "const",
    "std::string",
    "https://example.com/",
    "path",
    "TODO",
    "2026",
    "12",
    "ＡＢＣ",
    "１２３",
    "e-mail",
    "the",
    "and",
    "of",
    "data",
    "value",
    "user",
    "\r\n",
    " ",
    "\t",
};

std::string MakeText(std::mt19937& rng, int serial) {
    std::string text = "#" + std::to_string(serial) + " ";
    std::uniform_int_distribution<size_t> pick(0, sizeof kWords / sizeof kWords[0] - 1);
    while (text.size() < kTextSize) {
        text += kWords[pick(rng)];
        if (rng() % 3 == 0) text += ' ';
    }
    text.resize(tooltext::SafeCutLength(text.c_str(), kTextSize));
    return text;
}

// Every prefix of the query that ends on a character boundary: one per keystroke.
std::vector<std::string> Keystrokes(const std::string& query) {
    std::vector<std::string> prefixes;
    for (size_t i = 0; i < query.size();) {
        i += tooltext::CharLength(query.c_str() + i);
        prefixes.push_back(query.substr(0, i));
    }
    return prefixes;
}

double Percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

// A field of the longest length the window takes that almost matches everywhere in a text of
// one character repeated: a matcher that starts over after each near match reads the text once
// per character of the field.
void WorstCase(const char* what, const std::string& unit, const std::string& field) {
    std::string text;
    while (text.size() < (1u << 20)) text += unit;
    SearchQuery query = BuildSearchQuery(field, u"", true);
    std::vector<double> times;
    size_t reads = 0;
    for (int round = 0; round < 20; ++round) {
        auto start = std::chrono::steady_clock::now();
        MatchesBytes(query, text, &reads);
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::printf(
        "search matcher worst case, a 256-character field over 1 MiB of %s: p50 %.2f ms, "
        "max %.2f ms (%.2f characters read per byte)\n",
        what, Percentile(times, 0.5), *std::max_element(times.begin(), times.end()),
        static_cast<double>(reads) / static_cast<double>(text.size()));
}

}  // namespace

int main() {
    std::mt19937 rng(4095);
    TextStore* store = createTextStore();
    for (int i = 0; i < kFullHistory; ++i)
        recordHistoryText(*store, kFullHistory, MakeText(rng, i).c_str());
    std::vector<SearchRow> all = AllSearchRows(*store, kFullHistory);

    // What a user looks for: words that are there, a word that is nowhere, folded forms.
    const char* const queries[] = {
        "議事録 2026 確認", "std::string return value", "https://example", "ａｂｃ １２３",
        "zebra crossing",   "プロジェクト 大阪 TODO",   "#4000 ",
        // Found only through the folding: hiragana, half-width and full-width katakana.
        "くりっぷぼーど 送付", "ﾌﾟﾛｼﾞｪｸﾄ でんぴょう", "カタカナ ファイル"};
    std::vector<double> times;
    size_t matched = 0;
    for (int round = 0; round < 5; ++round) {
        for (const char* query : queries) {
            for (const std::string& typed : Keystrokes(query)) {
                auto start = std::chrono::steady_clock::now();
                std::vector<SearchRow> rows =
                    MatchingRows(*store, all, BuildSearchQuery(typed, u"", true));
                auto end = std::chrono::steady_clock::now();
                matched += rows.size();
                times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
            }
        }
    }
    std::printf(
        "search matcher per keystroke, %d texts of %zu bytes (%zu keystrokes): "
        "p50 %.2f ms, p99 %.2f ms, max %.2f ms (rows seen %zu)\n",
        kFullHistory, kTextSize, times.size(), Percentile(times, 0.5), Percentile(times, 0.99),
        *std::max_element(times.begin(), times.end()), matched);
    destroyTextStore(store);
    WorstCase("one letter", "a", std::string(255, 'A') + "b");
    std::string voiced;
    for (int i = 0; i < 255; ++i) voiced += "ガ";
    WorstCase("half-width voiced kana", "ｶﾞ", voiced + "x");
    return 0;
}
