// The eight line transforms offered on a text item: prefixes and white-space tidying.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Transform contract: text is NUL-terminated and size counts its bytes with the NUL. Returns
// the size of the result with its NUL. With out null it only measures; otherwise out receives
// exactly that many bytes holding the result, or stays empty when they cannot be allocated.
using LineTransformFunction = size_t (*)(std::vector<char>* out, const char* text, size_t size,
                                         intptr_t extra);

struct LineTransform {
    const char* label;
    LineTransformFunction function;
    intptr_t extra;
};

inline constexpr int kLineTransformCount = 8;

// In popup order; the popup item id of an entry is its position plus 1.
extern const LineTransform kLineTransforms[kLineTransformCount];

// The entry of a popup id 1..8, or null.
const LineTransform* FindLineTransform(int id);

// Runs the entry of id on text into out. False (out empty) for an unknown id or no memory.
bool ApplyLineTransform(int id, const char* text, std::vector<char>& out);

// The same transform on an exact text, its result exact too. False (out empty) for an unknown id
// or no memory.
bool ApplyLineTransformW(int id, std::u16string_view text, std::u16string& out);
