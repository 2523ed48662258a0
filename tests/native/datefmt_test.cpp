// The date/time format engine: directives, flags, names, escapes and the buffer bound.
#include "datefmt/datefmt.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "TOOLS/tooltext.h"

using DateFormatter::LocalTime;

namespace {

LocalTime At(int year, int month, int dow, int day, int hour = 8, int minute = 3, int second = 7) {
    auto w = [](int v) { return static_cast<uint16_t>(v); };
    return {w(year), w(month), w(dow), w(day), w(hour), w(minute), w(second), 0};
}

const LocalTime kWed = At(2007, 9, 3, 5);  // 2007-09-05, a Wednesday, 08:03:07
const LocalTime kMon = At(2007, 9, 1, 10);
const LocalTime kSun = At(2007, 9, 0, 9);

// Formats into a heap buffer of exactly size bytes, so the sanitizer sees any overrun.
std::string Format(const char* format, const LocalTime& t, size_t size = 1024) {
    std::vector<char> buf(size, 'X');
    DateFormatter::format(buf.data(), size, format, t);
    if (std::memchr(buf.data(), '\0', size) == nullptr) {
        ADD_FAILURE() << "unterminated: " << format;
        return std::string();
    }
    return std::string(buf.data());
}

struct Case {
    const char* format;
    LocalTime time;
    const char* expected;
};

void ExpectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases) EXPECT_EQ(Format(c.format, c.time), c.expected) << c.format;
}

TEST(DateFormatter, Numbers) {
    ExpectAll({
        {"%02H:%02M:%02S %04Y/%02m/%02d", kWed, "08:03:07 2007/09/05"},
        {"%d|%02d|%2d|%-3d|%-03d|%+3d", kWed, "5|05| 5|5  |5  |  5"},
        {"%*02d|%!02d|%*!03d|%*3d|%!-3d", kWed, "０５|〇五|〇〇五|　　５|五　　"},
        {"%!d|%*d|%!Y", At(2007, 9, 3, 25), "二五|２５|二〇〇七"},
        {"%.2Y|%.0Y|%.-2Y|%.-Y|%.Y|%05.2Y", kWed, "07|7|7|7|2007|00007"},
        {"%{-1988}Y|%{-2010}Y|%{+3}d|%{}d|%{-}d|%*.3{-7}Y", kWed, "19|3|8|5|5|０００"},
        {"%j", At(2007, 1, 1, 1), "1"},   {"%j", At(2007, 3, 4, 1), "60"},
        {"%j", At(2008, 3, 6, 1), "61"},  {"%j", At(2008, 12, 3, 31), "366"},
        {"%j", At(2000, 3, 3, 1), "61"},  {"%j", At(1900, 3, 4, 1), "60"},
        {"%I|%H", At(2007, 1, 1, 1, 12, 30), "0|12"}, {"%I", At(2007, 1, 1, 1, 0, 30), "0"},
        {"%I", At(2007, 1, 1, 1, 23), "11"},
        {"%N|%n|%M|%S|%m", kWed, "483|28987|3|7|9"},
        {"%w|%W|%u", kMon, "1|0|1"},      {"%w|%W|%u", kSun, "0|6|7"},
        {"%U", kWed, "35"}, {"%U", At(2007, 1, 6, 6), "0"}, {"%U", At(2007, 1, 0, 7), "1"},
    });
}

// The full-width form of an ASCII name, built from the code page's layout of the letters
// rather than copied from the engine's tables.
std::string Wide(const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
        if (c >= 'A' && c <= 'Z') out += {'\x82', static_cast<char>(0x60 + (c - 'A'))};
        if (c >= 'a' && c <= 'z') out += {'\x82', static_cast<char>(0x81 + (c - 'a'))};
        if (c == '.') out += "．";
    }
    return out;
}

TEST(DateFormatter, EveryMonthAndWeekdayNameInEveryForm) {
    const char* const months[12][3] = {
        {"Jan.", "January", "睦月"},  {"Feb.", "February", "如月"}, {"Mar.", "March", "弥生"},
        {"Apr.", "April", "卯月"},    {"May", "May", "皐月"},       {"Jun.", "June", "水無月"},
        {"Jul.", "July", "文月"},     {"Aug.", "August", "葉月"},   {"Sep.", "September", "長月"},
        {"Oct.", "October", "神無月"}, {"Nov.", "November", "霜月"}, {"Dec.", "December", "師走"},
    };
    for (int m = 1; m <= 12; ++m) {
        const auto& [b, B, T] = months[m - 1];
        std::string expected = std::string(b) + "|" + B + "|" + Wide(b) + "|" + Wide(B) + "|" + T;
        EXPECT_EQ(Format("%b|%B|%*b|%*B|%T", At(2007, m, 1, 1)), expected) << m;
    }
    const char* const days[7][3] = {
        {"Sun.", "Sunday", "日"},   {"Mon.", "Monday", "月"},    {"Tue.", "Tuesday", "火"},
        {"Wed.", "Wednesday", "水"}, {"Thu.", "Thursday", "木"}, {"Fri.", "Friday", "金"},
        {"Sat.", "Saturday", "土"},
    };
    for (int d = 0; d < 7; ++d) {
        const auto& [a, A, x] = days[d];
        std::string expected = std::string(a) + "|" + A + "|" + Wide(a) + "|" + Wide(A) + "|" + x;
        EXPECT_EQ(Format("%a|%A|%*a|%*A|%x", At(2007, 9, d, 9)), expected) << d;
    }
}

TEST(DateFormatter, Names) {
    ExpectAll({
        {"%b|%B|%*b|%*B|%T", At(2007, 1, 1, 1), "Jan.|January|Ｊａｎ．|Ｊａｎｕａｒｙ|睦月"},
        {"%b|%B|%*b|%*T", At(2007, 5, 2, 1), "May|May|Ｍａｙ|皐月"},
        {"%b|%B|%*B|%T", At(2007, 6, 5, 1), "Jun.|June|Ｊｕｎｅ|水無月"},
        {"%b|%*B|%T", At(2007, 12, 6, 1), "Dec.|Ｄｅｃｅｍｂｅｒ|師走"},
        {"%10A|%-10A|%*8a|%3A|%x", kMon, "    Monday|Monday    |　　　　Ｍｏｎ．|Monday|月"},
        {"%!-6a|%08.1{5}a|%*A", kMon, "Mon.　　|    Mon.|Ｍｏｎｄａｙ"},
        {"%a|%*A|%*x", kSun, "Sun.|Ｓｕｎｄａｙ|日"},
        {"%O|%p|%P|%q|%Q", At(2007, 1, 1, 1, 12, 0), "午後|p.m.|P.M.|pm|PM"},
        {"%O|%*p|%*P|%*q|%*Q", At(2007, 1, 1, 1, 0, 30), "午前|ａ．ｍ．|Ａ．Ｍ．|ａｍ|ＡＭ"},
        {"%O|%*O", At(2007, 1, 1, 1, 11, 59), "午前|午前"},
    });
}

TEST(DateFormatter, TwoHourPeriodsAcrossTheDay) {
    std::string all;
    for (int hour = 0; hour < 24; ++hour) all += Format("%k", At(2007, 1, 1, 1, hour, 59));
    EXPECT_EQ(all, "子丑丑寅寅卯卯辰辰巳巳午午未未申申酉酉戌戌亥亥子");
}

TEST(DateFormatter, InvalidDirectivesAndEscapes) {
    ExpectAll({
        {"%%|%5", kWed, "%|5"},  {"%{3d|%-#|%z|a%", kWed, "{3d|-#||a"},
        {"%5.3{2|%.{1}|%.{1}x", kWed, "5.3{2|.{1}|水"},
        {"a\\nb\\f\\r\\t", kWed, "a\nb\f\r\t"},  {"\\\\|\\%d|\\q|x\\", kWed, "\\|%d|q|x"},
        {"%表|\\表|表n|表%d", kWed, "表|表|表n|表5"},  // 表 is 0x95 0x5C
        {"ab\x82", kWed, "ab\x82"},  {"\\\x82", kWed, "\x82"},
    });
}

TEST(DateFormatter, FieldsOutOfRangeReadNoTable) {
    ExpectAll({
        {"[%b|%5B|%T|%*B]", At(2007, 0, 3, 5), "[|     ||]"},
        {"[%b|%*b|%T]%j", At(2007, 13, 3, 5), "[||]370"},
        {"[%a|%-3A|%x]%W", At(2007, 9, 7, 5), "[|   |]6"},
        {"[%B%A%k%O]%N", At(2007, 65535, 65535, 5, 65535, 65535), "[申午後]3997635"},
    });
}

struct BoundCase {
    const char* format;
    size_t size;
    std::string expected;
};

TEST(DateFormatter, StopsAtSizeMinusOneWithoutSplittingACharacter) {
    const BoundCase cases[] = {
        {"abcdef", 4, "abc"},  {"ab表c", 4, "ab"},  {"ab表", 5, "ab表"},  {"%*3d", 4, "　"},
        {"anything", 1, ""},   {"%5000d", 1024, std::string(1023, ' ')},
        {"%-5000d", 1023, "5" + std::string(1021, ' ')},  {"%*5000d", 8, "　　　"},
        {"%99999999999d", 16, std::string(15, ' ')},  {"%.99999999999Y", 16, "2007"},
        {"%{99999999999}d|%{-99999999999}d", 64, "2147483652|2147483642"},
    };
    for (const BoundCase& c : cases) {
        EXPECT_EQ(Format(c.format, kWed, c.size), c.expected) << c.format;
    }
    char untouched = 'X';
    DateFormatter::format(&untouched, 0, "abc", kWed);
    EXPECT_EQ(untouched, 'X');
}

// Random formats and records: the result must always be the longest character-whole prefix of
// the unbounded result that fits, and exact-size heap buffers let the sanitizer catch overruns.
TEST(DateFormatter, RandomFormatsStayInsideTheBuffer) {
    const char* tokens[] = {"%", "%", "-", "0", "*", "!", "+", ".", "{", "}", "\\", "1", "9",
                            "5000", "表", "\x82", "ａ", "n", "YmdjHIMSNnwWaAxbBTOpPqQkUuz"};
    std::mt19937 rng(12345);
    for (int round = 0; round < 20000; ++round) {
        std::string format;
        for (int n = rng() % 16; n > 0; --n) {
            const char* token = tokens[rng() % (sizeof tokens / sizeof *tokens)];
            format += std::strlen(token) > 20 ? std::string(1, token[rng() % 27]) : token;
        }
        LocalTime t;
        uint16_t* field = &t.year;
        for (int i = 0; i < 8; ++i) field[i] = rng() % 2 ? rng() % 70 : rng() % 65536;
        std::string full = Format(format.c_str(), t, 1 << 15);
        size_t size = 1 + rng() % 48;
        std::string cut = full.substr(0, tooltext::SafeCutLength(full.c_str(), size - 1));
        ASSERT_EQ(Format(format.c_str(), t, size), cut) << format << " size " << size;
    }
}

}  // namespace
