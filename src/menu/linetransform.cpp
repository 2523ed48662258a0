// Line transforms: every one walks its input once to measure and once to write, through the
// same code, so the two walks cannot disagree.
#include "menu/linetransform.h"

#include <cstring>
#include <new>

namespace {

// Counts what a transform emits; with a buffer also stores it, never beyond its end. Char is
// char for code-page bytes and char16_t for exact texts: the same rules walk both.
template <class Char>
struct Sink {
    Char* data = nullptr;
    size_t capacity = 0;
    size_t count = 0;

    void Put(Char c) {
        if (count < capacity) data[count] = c;
        ++count;
    }
    // Runs of the text, or ASCII prefixes and line ends: the same units in both forms.
    template <class Unit>
    void Put(const Unit* units, size_t n) {
        for (size_t i = 0; i < n; ++i) Put(static_cast<Char>(units[i]));
    }
};

// The text's length, bounded by the given size so that a wrong size cannot run past the NUL or
// past the bytes the caller owns.
size_t InputLength(const char* text, size_t size) {
    if (text == nullptr || size == 0) return 0;
    size_t length = 0;
    while (length < size - 1 && text[length] != '\0') ++length;
    return length;
}

template <class Char>
bool IsLineBreakByte(Char c) {
    return c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
template <class Char>
bool IsBlankByte(Char c) {
    return c == ' ' || c == '\t';
}
template <class Char>
bool IsWhiteByte(Char c) {
    return IsLineBreakByte(c) || IsBlankByte(c);
}

template <class Char>
void EmitPrefixed(Sink<Char>& sink, const Char* text, size_t length, const char* prefix) {
    const size_t prefixLength = std::strlen(prefix);
    for (size_t i = 0; i < length; ++i) {
        if (i == 0 || text[i - 1] == '\n') sink.Put(prefix, prefixLength);
        sink.Put(text[i]);
    }
}

// Spaces and tabs right before a line break or the end vanish; the rest is copied.
template <class Char>
void EmitTrailingTrimmed(Sink<Char>& sink, const Char* text, size_t length, const char*) {
    constexpr size_t kNoRun = static_cast<size_t>(-1);
    size_t run = kNoRun;
    for (size_t i = 0; i < length; ++i) {
        const Char c = text[i];
        if (IsLineBreakByte(c)) {
            run = kNoRun;
            sink.Put(c);
        } else if (IsBlankByte(c)) {
            if (run == kNoRun) run = i;
        } else {
            if (run != kNoRun) sink.Put(text + run, i - run);
            run = kNoRun;
            sink.Put(c);
        }
    }
}

// Lines of white space only become one CR LF per group; other lines are copied as they are.
template <class Char>
void EmitBlankLinesCompressed(Sink<Char>& sink, const Char* text, size_t length, const char*) {
    constexpr size_t kNoRun = static_cast<size_t>(-1);
    bool lineStart = true;
    bool mayEmit = true;
    size_t run = kNoRun;
    for (size_t i = 0; i < length; ++i) {
        const Char c = text[i];
        if (IsWhiteByte(c) && (lineStart || run != kNoRun)) {
            if (run == kNoRun) run = i;
        } else {
            mayEmit = true;
            if (run != kNoRun) sink.Put(text + run, i - run);
            run = kNoRun;
            sink.Put(c);
        }
        lineStart = c == '\n';
        if (lineStart && run != kNoRun) {
            if (mayEmit) sink.Put("\r\n", 2);
            mayEmit = false;
            run = kNoRun;
        }
    }
}

template <class Char>
using Emitter = void (*)(Sink<Char>& sink, const Char* text, size_t length, const char* prefix);

size_t Run(Emitter<char> emit, const char* prefix, std::vector<char>* out, const char* text,
           size_t size) {
    const size_t length = InputLength(text, size);
    Sink<char> measure;
    emit(measure, text, length, prefix);
    const size_t resultSize = measure.count + 1;
    if (out == nullptr) return resultSize;

    out->clear();
    try {
        out->resize(resultSize);
    } catch (const std::bad_alloc&) {
        out->clear();
        out->shrink_to_fit();
        return resultSize;
    }
    Sink<char> write{out->data(), resultSize - 1, 0};
    emit(write, text, length, prefix);
    (*out)[resultSize - 1] = '\0';
    return resultSize;
}

size_t PrefixQuote(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed<char>, ">", out, text, size);
}
size_t PrefixDoubleQuote(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed<char>, ">>", out, text, size);
}
size_t PrefixHash(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed<char>, "#", out, text, size);
}
size_t PrefixSlashes(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed<char>, "//", out, text, size);
}
size_t PrefixSpace(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed<char>, " ", out, text, size);
}
size_t PrefixTab(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed<char>, "\t", out, text, size);
}
size_t TrimTrailingWhiteSpace(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitTrailingTrimmed<char>, "", out, text, size);
}
size_t CompressBlankLines(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitBlankLinesCompressed<char>, "", out, text, size);
}

}  // namespace

const LineTransform kLineTransforms[kLineTransformCount] = {
    {"> - 行頭に > を挿入", PrefixQuote, 0},
    {">> - 行頭に >> を挿入", PrefixDoubleQuote, 0},
    {"# - 行頭に # を挿入", PrefixHash, 0},
    {"// - 行頭に // を挿入", PrefixSlashes, 0},
    {"空白 - 行頭に 半角空白 を挿入", PrefixSpace, 0},
    {"タブ - 行頭に タブ を挿入", PrefixTab, 0},
    {"行末の連続する空白を削除", TrimTrailingWhiteSpace, 0},
    {"連続する空白行を空行１行に圧縮する", CompressBlankLines, 0},
};

const LineTransform* FindLineTransform(int id) {
    if (id < 1 || id > kLineTransformCount) return nullptr;
    return &kLineTransforms[id - 1];
}

namespace {

// The wide form of each transform, in popup order.
struct WideRule {
    Emitter<char16_t> emit;
    const char* prefix;
};
const WideRule kWideRules[kLineTransformCount] = {
    {EmitPrefixed<char16_t>, ">"},       {EmitPrefixed<char16_t>, ">>"},
    {EmitPrefixed<char16_t>, "#"},       {EmitPrefixed<char16_t>, "//"},
    {EmitPrefixed<char16_t>, " "},       {EmitPrefixed<char16_t>, "\t"},
    {EmitTrailingTrimmed<char16_t>, ""}, {EmitBlankLinesCompressed<char16_t>, ""},
};

}  // namespace

bool ApplyLineTransformW(int id, std::u16string_view text, std::u16string& out) {
    out.clear();
    if (!FindLineTransform(id)) return false;
    const WideRule& rule = kWideRules[id - 1];
    try {
        Sink<char16_t> measure;
        rule.emit(measure, text.data(), text.size(), rule.prefix);
        out.resize(measure.count);
        Sink<char16_t> write{out.data(), out.size(), 0};
        rule.emit(write, text.data(), text.size(), rule.prefix);
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
    return true;
}

bool ApplyLineTransform(int id, const char* text, std::vector<char>& out) {
    out.clear();
    const LineTransform* entry = FindLineTransform(id);
    if (entry == nullptr || text == nullptr) return false;
    entry->function(&out, text, std::strlen(text) + 1, entry->extra);
    return !out.empty();
}
