#include "view/layout/bit_line.h"

#include <cstring>

#include "common/instruction_sets.h"
#include "view/layout/sprite_layout.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

static_assert(COLOUR_SET_BIT == 0xFFFFFF && COLOUR_CLEAR_BIT == 0,
              "the masked stores write all-ones and all-zero pixel bytes");

#if PIXELSIEVE_HAS_LEVELS
// 16 pixels (48 bytes) per store, from the masks of two bytes. Stores that still have a
// following one write 64 bytes and leave the excess to it; the last ones are masked to fit.
PIXELSIEVE_TARGET_AVX512 void expandWide(uint8_t* out, const uint8_t* from, int64_t stride, int count,
                                         const uint64_t* masks) {
    const __m512i ones = _mm512_set1_epi8(static_cast<char>(0xFF));
    int k = 0;
    for (; k + 4 <= count; k += 2, out += 48, from += 2 * stride) {
        const uint64_t m = masks[from[0]] | masks[from[stride]] << 24;
        _mm512_storeu_si512(out, _mm512_maskz_mov_epi8(m, ones));
    }
    for (; k + 2 <= count; k += 2, out += 48, from += 2 * stride) {
        const uint64_t m = masks[from[0]] | masks[from[stride]] << 24;
        _mm512_mask_storeu_epi8(out, (1ull << 48) - 1, _mm512_maskz_mov_epi8(m, ones));
    }
    if (k < count) {
        _mm512_mask_storeu_epi8(out, (1ull << 24) - 1, _mm512_maskz_mov_epi8(masks[from[0]], ones));
    }
}
#endif

}  // namespace

BitLine::BitLine(const uint8_t shown[256])
    : wide_(PIXELSIEVE_HAS_LEVELS && active_instruction_set() == InstructionSet::Avx512) {
    const bool useMasks = wide_;
    for (int b = 0; b < 256; ++b) {
        const unsigned v = shown[b];
        if (useMasks) {
            uint64_t mask = 0;
            for (int k = 0; k < 8; ++k) {
                mask |= static_cast<uint64_t>((v >> (7 - k)) & 1) * (uint64_t{7} << (3 * k));
            }
            masks_[b] = mask;
        } else {
            for (int k = 0; k < 8; ++k) {
                std::memset(&pixels_[b][3 * k], (v & (0x80 >> k)) != 0 ? 0xFF : 0, 3);
            }
        }
    }
}

void BitLine::expand(uint8_t* out, const uint8_t* from, int64_t stride, int count) const {
    if (count <= 0) {
        return;
    }
#if PIXELSIEVE_HAS_LEVELS
    if (wide_) {
        expandWide(out, from, stride, count, masks_);
        return;
    }
#endif
    for (int k = 0; k < count; ++k, out += 24, from += stride) {
        std::memcpy(out, pixels_[*from], 24);
    }
}
