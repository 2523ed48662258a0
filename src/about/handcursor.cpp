// The hand cursor: a pointing hand, white with a black outline, in the upper-left corner.
#include "about/handcursor.h"

#include <cstring>

namespace {

// '#' black, 'o' white, '.' transparent; rows shorter than the cursor are transparent beyond.
const char* const kHandPicture[] = {
    ".......##.........",  //
    "......#oo#........",  //
    "......#oo#........",  //
    "......#oo#........",  //
    "......#oo#........",  //
    "......#oo###......",  //
    "......#oo#oo###...",  //
    "......#oo#oo#oo##.",  //
    "......#oo#oo#oo#o#",  //
    "..###.#oo#oo#oo#o#",  //
    "..#oo##oooooooooo#",  //
    "..#ooo#oooooooooo#",  //
    "...#oo#oooooooooo#",  //
    "...#ooooooooooooo#",  //
    "....#oooooooooooo#",  //
    "....#ooooooooooo#.",  //
    ".....#oooooooooo#.",  //
    ".....#ooooooooo#..",  //
    "......#oooooooo#..",  //
    "......#oooooooo#..",  //
    "......#oooooooo#..",  //
    "......##########..",  //
};

}  // namespace

void BuildHandCursorPlanes(unsigned char* andPlane, unsigned char* xorPlane) {
    std::memset(andPlane, 0xFF, kHandCursorPlaneBytes);
    std::memset(xorPlane, 0x00, kHandCursorPlaneBytes);
    constexpr int kRowBytes = kHandCursorSize / 8;
    int row = 0;
    for (const char* line : kHandPicture) {
        for (int x = 0; line[x] != '\0' && x < kHandCursorSize; ++x) {
            if (line[x] == '.') continue;
            unsigned char bit = static_cast<unsigned char>(0x80 >> (x % 8));
            size_t at = static_cast<size_t>(row * kRowBytes + x / 8);
            andPlane[at] &= static_cast<unsigned char>(~bit);
            if (line[x] == 'o') xorPlane[at] |= bit;
        }
        ++row;
    }
}
