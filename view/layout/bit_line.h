#pragma once
// Turning a run of bytes into one zoom-1 screen line: 8 pixels per byte, most significant bit
// leftmost, white for set bits and black for clear ones.
#include <cstdint>

class BitLine {
public:
    // Takes the value drawn for each data byte (after inverse, reverse and nibble swap).
    explicit BitLine(const uint8_t shown[256]);
    // Writes exactly 24 x count bytes (blue, green, red per pixel) from `out` on, for the bytes
    // at from[0], from[stride], from[2 x stride] ...
    void expand(uint8_t* out, const uint8_t* from, int64_t stride, int count) const;

private:
    // 64-byte masked stores where the active instruction set has them (common/instruction_sets.h),
    // chosen once for the line's life.
    bool wide_;
    // Only the form the chosen way reads is filled.
    uint8_t pixels_[256][24];  // the pixel bytes of each data byte
    uint64_t masks_[256];      // the same as one bit per pixel byte
};
