// Fuzz target of the eight line transforms: the measuring walk and the writing walk agree, the
// result fills its block exactly, nothing is read past the given size, and each transform only
// does what it is for (prefixes only added, white space only removed, tidying idempotent).
#include "fuzzcheck.h"
#include "menu/linetransform.h"

#include <memory>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineBreak(char c) {
    return c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string Apply(const LineTransform& entry, const char* text, size_t size) {
    const size_t measured = entry.function(nullptr, text, size, entry.extra);
    std::vector<char> out;
    const size_t written = entry.function(&out, text, size, entry.extra);
    FUZZ_CHECK(measured == written);
    FUZZ_CHECK(out.size() == written && written >= 1);
    FUZZ_CHECK(out.back() == '\0');
    const std::string result(out.data(), out.size() - 1);
    FUZZ_CHECK(result.find('\0') == std::string::npos);
    return result;
}

std::string Without(const std::string& s, bool (*drop)(char)) {
    std::string out;
    for (char c : s)
        if (!drop(c)) out += c;
    return out;
}

bool IsWhite(char c) {
    return IsBlank(c) || IsLineBreak(c);
}

void CheckPrefix(const std::string& text, const std::string& result, const std::string& prefix) {
    std::string back;
    size_t at = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i == 0 || text[i - 1] == '\n') {
            FUZZ_CHECK(result.compare(at, prefix.size(), prefix) == 0);
            at += prefix.size();
        }
        back += result[at++];
    }
    FUZZ_CHECK(at == result.size());
    FUZZ_CHECK(back == text);
}

void CheckTrimmed(const std::string& text, const std::string& result) {
    FUZZ_CHECK(Without(result, IsBlank) == Without(text, IsBlank));
    for (size_t i = 0; i < result.size(); ++i)
        if (IsBlank(result[i])) FUZZ_CHECK(i + 1 < result.size() && !IsLineBreak(result[i + 1]));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader in(data, size);
    const uint16_t sizeChoice = in.U16();
    const std::string text = in.Text();

    for (int id = 1; id <= kLineTransformCount; ++id) {
        const LineTransform* entry = FindLineTransform(id);
        FUZZ_CHECK(entry != nullptr);
        const std::string result = Apply(*entry, text.c_str(), text.size() + 1);

        // A size short of the text: an exact block without its NUL, nothing read beyond it.
        const size_t shortSize = sizeChoice % (text.size() + 1) + 1;
        std::unique_ptr<char[]> block(new char[shortSize]);
        std::memcpy(block.get(), text.data(), shortSize - 1);
        block[shortSize - 1] = 'Z';
        FUZZ_CHECK(Apply(*entry, block.get(), shortSize) ==
                   Apply(*entry, text.substr(0, shortSize - 1).c_str(), shortSize));

        std::vector<char> viaId;
        FUZZ_CHECK(ApplyLineTransform(id, text.c_str(), viaId));
        FUZZ_CHECK(std::string(viaId.data()) == result);

        switch (id) {
            case 1: CheckPrefix(text, result, ">"); break;
            case 2: CheckPrefix(text, result, ">>"); break;
            case 3: CheckPrefix(text, result, "#"); break;
            case 4: CheckPrefix(text, result, "//"); break;
            case 5: CheckPrefix(text, result, " "); break;
            case 6: CheckPrefix(text, result, "\t"); break;
            case 7: CheckTrimmed(text, result); break;
            case 8: FUZZ_CHECK(Without(result, IsWhite) == Without(text, IsWhite)); break;
        }
        if (id >= 7) FUZZ_CHECK(Apply(*entry, result.c_str(), result.size() + 1) == result);
    }
    FUZZ_CHECK(FindLineTransform(0) == nullptr &&
               FindLineTransform(kLineTransformCount + 1) == nullptr);
    return 0;
}
