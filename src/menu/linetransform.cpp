// Line transforms: every one walks its input once to measure and once to write, through the
// same code, so the two walks cannot disagree.
#include "menu/linetransform.h"

#include <cstring>
#include <new>

namespace {

// Counts what a transform emits; with a buffer also stores it, never beyond its end.
struct Sink {
    char* data = nullptr;
    size_t capacity = 0;
    size_t count = 0;

    void Put(char c) {
        if (count < capacity) data[count] = c;
        ++count;
    }
    void Put(const char* bytes, size_t n) {
        for (size_t i = 0; i < n; ++i) Put(bytes[i]);
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

bool IsLineBreakByte(char c) { return c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }
bool IsWhiteByte(char c) { return IsLineBreakByte(c) || IsBlankByte(c); }

void EmitPrefixed(Sink& sink, const char* text, size_t length, const char* prefix) {
    const size_t prefixLength = std::strlen(prefix);
    for (size_t i = 0; i < length; ++i) {
        if (i == 0 || text[i - 1] == '\n') sink.Put(prefix, prefixLength);
        sink.Put(text[i]);
    }
}

// Spaces and tabs right before a line break or the end vanish; the rest is copied.
void EmitTrailingTrimmed(Sink& sink, const char* text, size_t length, const char*) {
    constexpr size_t kNoRun = static_cast<size_t>(-1);
    size_t run = kNoRun;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
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
void EmitBlankLinesCompressed(Sink& sink, const char* text, size_t length, const char*) {
    constexpr size_t kNoRun = static_cast<size_t>(-1);
    bool lineStart = true;
    bool mayEmit = true;
    size_t run = kNoRun;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
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

using Emitter = void (*)(Sink& sink, const char* text, size_t length, const char* prefix);

size_t Run(Emitter emit, const char* prefix, std::vector<char>* out, const char* text,
           size_t size) {
    const size_t length = InputLength(text, size);
    Sink measure;
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
    Sink write{out->data(), resultSize - 1, 0};
    emit(write, text, length, prefix);
    (*out)[resultSize - 1] = '\0';
    return resultSize;
}

size_t PrefixQuote(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed, ">", out, text, size);
}
size_t PrefixDoubleQuote(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed, ">>", out, text, size);
}
size_t PrefixHash(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed, "#", out, text, size);
}
size_t PrefixSlashes(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed, "//", out, text, size);
}
size_t PrefixSpace(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed, " ", out, text, size);
}
size_t PrefixTab(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitPrefixed, "\t", out, text, size);
}
size_t TrimTrailingWhiteSpace(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitTrailingTrimmed, "", out, text, size);
}
size_t CompressBlankLines(std::vector<char>* out, const char* text, size_t size, intptr_t) {
    return Run(EmitBlankLinesCompressed, "", out, text, size);
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

bool ApplyLineTransform(int id, const char* text, std::vector<char>& out) {
    out.clear();
    const LineTransform* entry = FindLineTransform(id);
    if (entry == nullptr || text == nullptr) return false;
    entry->function(&out, text, std::strlen(text) + 1, entry->extra);
    return !out.empty();
}
