// The date/time format engine: walks the format, parses each directive and writes numbers and
// names into a bounded output that keeps double-byte characters whole.
#include "datefmt/datefmt.h"

#include <climits>
#include <cstring>

#include "TOOLS/tooltext.h"

namespace DateFormatter {

namespace {

enum Flag : unsigned {
    kLeftJustify = 0x02,
    kZeroPad = 0x08,
    kFullWidth = 0x10,
    kKanji = 0x20,
};

constexpr int kDefaultPrecision = 32767;

struct Directive {
    unsigned flags = 0;
    int width = 0;
    int precision = kDefaultPrecision;
    int offset = 0;
    char letter = 0;
};

// Keeps the longest prefix of the text that fits in limit bytes: once a character does not fit,
// everything after it is dropped too, so a cut never splits a character or leaves a gap.
struct Output {
    char* buffer;
    size_t limit;
    size_t length;
    bool full;
};

void Put(Output& out, const char* bytes, size_t count) {
    if (out.full) return;
    if (count > out.limit - out.length) {
        out.full = true;
        return;
    }
    std::memcpy(out.buffer + out.length, bytes, count);
    out.length += count;
}

// Copies the character at text whole and returns its length (0 at the NUL).
size_t PutChar(Output& out, const char* text) {
    size_t length = tooltext::CharLength(text);
    Put(out, text, length);
    return length;
}

// Character by character, so a name cut at the buffer's end keeps its leading characters.
void PutText(Output& out, const char* text) {
    while (*text != '\0' && !out.full) text += PutChar(out, text);
}

// Stops as soon as the output is full, so a huge count costs no more than the buffer.
void PutRepeated(Output& out, const char* text, long long count) {
    for (long long i = 0; i < count && !out.full; ++i) PutText(out, text);
}

long long CountChars(const char* text) {
    long long count = 0;
    for (size_t length; (length = tooltext::CharLength(text)) != 0; text += length) ++count;
    return count;
}

const char* const kPlainDigits[10] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
const char* const kFullWidthDigits[10] = {"０", "１", "２", "３", "４",
                                          "５", "６", "７", "８", "９"};
const char* const kKanjiDigits[10] = {"〇", "一", "二", "三", "四", "五", "六", "七", "八", "九"};

const char* const kWeekdayShort[7] = {"Sun.", "Mon.", "Tue.", "Wed.", "Thu.", "Fri.", "Sat."};
const char* const kWeekdayShortWide[7] = {"Ｓｕｎ．", "Ｍｏｎ．", "Ｔｕｅ．", "Ｗｅｄ．",
                                          "Ｔｈｕ．", "Ｆｒｉ．", "Ｓａｔ．"};
const char* const kWeekdayLong[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
const char* const kWeekdayLongWide[7] = {"Ｓｕｎｄａｙ",   "Ｍｏｎｄａｙ", "Ｔｕｅｓｄａｙ",
                                         "Ｗｅｄｎｅｓｄａｙ", "Ｔｈｕｒｓｄａｙ", "Ｆｒｉｄａｙ",
                                         "Ｓａｔｕｒｄａｙ"};
const char* const kWeekdayKanji[7] = {"日", "月", "火", "水", "木", "金", "土"};

const char* const kMonthShort[12] = {"Jan.", "Feb.", "Mar.", "Apr.", "May",  "Jun.",
                                     "Jul.", "Aug.", "Sep.", "Oct.", "Nov.", "Dec."};
const char* const kMonthShortWide[12] = {"Ｊａｎ．", "Ｆｅｂ．", "Ｍａｒ．", "Ａｐｒ．",
                                         "Ｍａｙ",   "Ｊｕｎ．", "Ｊｕｌ．", "Ａｕｇ．",
                                         "Ｓｅｐ．", "Ｏｃｔ．", "Ｎｏｖ．", "Ｄｅｃ．"};
const char* const kMonthLong[12] = {"January", "February", "March",     "April",
                                    "May",     "June",     "July",      "August",
                                    "September", "October", "November", "December"};
const char* const kMonthLongWide[12] = {
    "Ｊａｎｕａｒｙ", "Ｆｅｂｒｕａｒｙ", "Ｍａｒｃｈ", "Ａｐｒｉｌ",
    "Ｍａｙ", "Ｊｕｎｅ", "Ｊｕｌｙ", "Ａｕｇｕｓｔ",
    "Ｓｅｐｔｅｍｂｅｒ", "Ｏｃｔｏｂｅｒ", "Ｎｏｖｅｍｂｅｒ", "Ｄｅｃｅｍｂｅｒ"};
const char* const kMonthKanji[12] = {"睦月", "如月", "弥生", "卯月", "皐月", "水無月",
                                     "文月", "葉月", "長月", "神無月", "霜月", "師走"};

const char* const kHalfDayKanji[2] = {"午前", "午後"};
const char* const kHalfDayDotted[2] = {"a.m.", "p.m."};
const char* const kHalfDayDottedWide[2] = {"ａ．ｍ．", "ｐ．ｍ．"};
const char* const kHalfDayDottedCaps[2] = {"A.M.", "P.M."};
const char* const kHalfDayDottedCapsWide[2] = {"Ａ．Ｍ．", "Ｐ．Ｍ．"};
const char* const kHalfDayPlain[2] = {"am", "pm"};
const char* const kHalfDayPlainWide[2] = {"ａｍ", "ｐｍ"};
const char* const kHalfDayCaps[2] = {"AM", "PM"};
const char* const kHalfDayCapsWide[2] = {"ＡＭ", "ＰＭ"};

const char* const kTwoHourPeriods[12] = {"子", "丑", "寅", "卯", "辰", "巳",
                                         "午", "未", "申", "酉", "戌", "亥"};

enum class IndexKind { Weekday, Month, HalfDay, TwoHourPeriod };

struct NameLetter {
    char letter;
    IndexKind kind;
    const char* const* names;
    const char* const* fullWidthNames;  // null: the full-width flag keeps the same table
    long long count;
};

const NameLetter kNameLetters[] = {
    {'a', IndexKind::Weekday, kWeekdayShort, kWeekdayShortWide, 7},
    {'A', IndexKind::Weekday, kWeekdayLong, kWeekdayLongWide, 7},
    {'x', IndexKind::Weekday, kWeekdayKanji, nullptr, 7},
    {'b', IndexKind::Month, kMonthShort, kMonthShortWide, 12},
    {'B', IndexKind::Month, kMonthLong, kMonthLongWide, 12},
    {'T', IndexKind::Month, kMonthKanji, nullptr, 12},
    {'O', IndexKind::HalfDay, kHalfDayKanji, nullptr, 2},
    {'p', IndexKind::HalfDay, kHalfDayDotted, kHalfDayDottedWide, 2},
    {'P', IndexKind::HalfDay, kHalfDayDottedCaps, kHalfDayDottedCapsWide, 2},
    {'q', IndexKind::HalfDay, kHalfDayPlain, kHalfDayPlainWide, 2},
    {'Q', IndexKind::HalfDay, kHalfDayCaps, kHalfDayCapsWide, 2},
    {'k', IndexKind::TwoHourPeriod, kTwoHourPeriods, nullptr, 12},
};

long long NameIndex(IndexKind kind, const LocalTime& t) {
    switch (kind) {
        case IndexKind::Weekday: return t.dayOfWeek;
        case IndexKind::Month: return static_cast<long long>(t.month) - 1;
        case IndexKind::HalfDay: return t.hour >= 12 ? 1 : 0;
        case IndexKind::TwoHourPeriod: return ((t.hour + 1) % 24) / 2;
    }
    return -1;
}

bool IsLeapYear(long long year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Months beyond December add nothing more: a record with month 13 still counts whole years only.
long long DayOfYear(const LocalTime& t) {
    static const int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    long long days = t.day;
    for (int m = 1; m < t.month && m <= 12; ++m) {
        days += kMonthDays[m - 1];
        if (m == 2 && IsLeapYear(t.year)) ++days;
    }
    return days;
}

long long WeekdayFromMonday(const LocalTime& t) { return (t.dayOfWeek + 6) % 7; }

// Week of the year, weeks starting on Sunday; the days before the year's first Sunday are week 0.
long long WeekOfYear(const LocalTime& t) {
    return (DayOfYear(t) - 1 + 7 - t.dayOfWeek % 7) / 7;
}

bool NumericValue(char letter, const LocalTime& t, long long* value) {
    switch (letter) {
        case 'Y': *value = t.year; return true;
        case 'm': *value = t.month; return true;
        case 'd': *value = t.day; return true;
        case 'j': *value = DayOfYear(t); return true;
        case 'H': *value = t.hour; return true;
        case 'I': *value = t.hour % 12; return true;
        case 'M': *value = t.minute; return true;
        case 'S': *value = t.second; return true;
        case 'N': *value = t.hour * 60LL + t.minute; return true;
        case 'n': *value = t.hour * 3600LL + t.minute * 60LL + t.second; return true;
        case 'w': *value = t.dayOfWeek; return true;
        case 'W': *value = WeekdayFromMonday(t); return true;
        case 'U': *value = WeekOfYear(t); return true;
        case 'u': *value = WeekdayFromMonday(t) + 1; return true;
    }
    return false;
}

const char* SpacePad(unsigned flags) {
    return (flags & (kFullWidth | kKanji)) ? "　" : " ";
}

const char* const* DigitSet(unsigned flags) {
    if (flags & kKanji) return kKanjiDigits;
    if (flags & kFullWidth) return kFullWidthDigits;
    return kPlainDigits;
}

void PutNumber(Output& out, const Directive& d, long long value) {
    long long sum = value + d.offset;
    unsigned long long v = sum < 0 ? 0ULL - static_cast<unsigned long long>(sum) : sum;
    const char* const* digits = DigitSet(d.flags);
    // The digits come lowest first; writing them back from the highest is the reversal, done on
    // whole characters so a double-byte digit is never split.
    unsigned char lowFirst[24];
    int count = 0;
    do {
        lowFirst[count++] = static_cast<unsigned char>(v % 10);
        v /= 10;
    } while (v != 0 && count < d.precision);
    long long pads = static_cast<long long>(d.width) - count;
    bool left = (d.flags & kLeftJustify) != 0;
    if (!left) PutRepeated(out, (d.flags & kZeroPad) ? digits[0] : SpacePad(d.flags), pads);
    for (int i = count - 1; i >= 0; --i) PutText(out, digits[lowFirst[i]]);
    if (left) PutRepeated(out, SpacePad(d.flags), pads);
}

void PutName(Output& out, const Directive& d, const char* name) {
    long long pads = static_cast<long long>(d.width) - CountChars(name);
    bool left = (d.flags & kLeftJustify) != 0;
    if (!left) PutRepeated(out, SpacePad(d.flags), pads);
    PutText(out, name);
    if (left) PutRepeated(out, SpacePad(d.flags), pads);
}

// A field outside its table's range (month 0 or 13, day of the week 7) names nothing: the
// directive keeps its pads but reads no entry.
const char* NameFor(const NameLetter& entry, unsigned flags, const LocalTime& t) {
    long long index = NameIndex(entry.kind, t);
    if (index < 0 || index >= entry.count) return "";
    bool wide = (flags & kFullWidth) && entry.fullWidthNames != nullptr;
    return (wide ? entry.fullWidthNames : entry.names)[index];
}

void PutDirective(Output& out, const Directive& d, const LocalTime& t) {
    long long value = 0;
    if (NumericValue(d.letter, t, &value)) {
        PutNumber(out, d, value);
        return;
    }
    for (const NameLetter& entry : kNameLetters) {
        if (entry.letter == d.letter) {
            PutName(out, d, NameFor(entry, d.flags, t));
            return;
        }
    }
}

unsigned FlagOf(char c) {
    switch (c) {
        case '-': return kLeftJustify;
        case '0': return kZeroPad;
        case '*': return kFullWidth;
        case '!': return kKanji;
    }
    return 0;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// An optional sign and decimal digits. Without digits *value keeps its default; a '-' negates
// whatever it then is. Saturates instead of overflowing.
const char* ReadSignedNumber(const char* p, int* value) {
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (IsDigit(*p)) {
        long long n = 0;
        for (; IsDigit(*p); ++p) {
            n = n * 10 + (*p - '0');
            if (n > INT_MAX) n = INT_MAX;
        }
        *value = static_cast<int>(n);
    }
    if (negative) *value = -*value;
    return p;
}

// Parses the directive at p (just after its '%'). Returns the position after it, or null when
// the directive is invalid.
const char* ParseDirective(const char* p, Directive* d) {
    for (unsigned flag; (flag = FlagOf(*p)) != 0; ++p) d->flags |= flag;
    p = ReadSignedNumber(p, &d->width);
    if (*p == '.') p = ReadSignedNumber(p + 1, &d->precision);
    if (*p == '{') {
        p = ReadSignedNumber(p + 1, &d->offset);
        if (*p != '}') return nullptr;
        ++p;
    }
    if (!IsAsciiLetter(*p)) return nullptr;
    d->letter = *p;
    return p + 1;
}

// p points just after the '%'. An invalid directive drops only the '%'.
const char* WriteDirective(Output& out, const char* p, const LocalTime& t) {
    if (*p == '%') {
        Put(out, "%", 1);
        return p + 1;
    }
    Directive d;
    const char* next = ParseDirective(p, &d);
    if (next == nullptr) return p;
    PutDirective(out, d, t);
    return next;
}

// p points just after the backslash; a backslash at the end of the format is dropped.
const char* WriteEscape(Output& out, const char* p) {
    switch (*p) {
        case '\0': return p;
        case 'f': Put(out, "\f", 1); return p + 1;
        case 'n': Put(out, "\n", 1); return p + 1;
        case 'r': Put(out, "\r", 1); return p + 1;
        case 't': Put(out, "\t", 1); return p + 1;
    }
    return p + PutChar(out, p);
}

}  // namespace

void format(char* buffer, size_t size, const char* formatText, const LocalTime& localTime) {
    if (buffer == nullptr || size == 0) return;
    Output out{buffer, size - 1, 0, false};
    const char* p = formatText != nullptr ? formatText : "";
    // Walking whole characters keeps a trail byte of 0x5C from starting an escape.
    while (*p != '\0' && !out.full) {
        if (*p == '\\') {
            p = WriteEscape(out, p + 1);
        } else if (*p == '%') {
            p = WriteDirective(out, p + 1, localTime);
        } else {
            p += PutChar(out, p);
        }
    }
    buffer[out.length] = '\0';
}

}  // namespace DateFormatter
