// The link label's hand cursor as two monochrome planes. Pure: no platform calls.
#pragma once

#include <cstddef>

constexpr int kHandCursorSize = 32;  // pixels, square
constexpr int kHandCursorHotX = 7;   // the tip of the index finger
constexpr int kHandCursorHotY = 0;
constexpr size_t kHandCursorPlaneBytes = kHandCursorSize / 8 * kHandCursorSize;

// Fills the AND and XOR planes for CreateCursor: four bytes per row, top row first, the
// leftmost pixel in the highest bit. AND 1 keeps the screen; AND 0 with XOR 0 is black,
// with XOR 1 white.
void BuildHandCursorPlanes(unsigned char* andPlane, unsigned char* xorPlane);
