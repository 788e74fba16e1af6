#pragma once
// The fast sprite layout against the one-box-per-pixel reference, on random data and random
// view parameters, offsets near the ends of the 32-bit range included. Both start from a
// surface full of a colour neither draws, so a pixel left undrawn shows as a difference.
#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"

#include "runtime/image/image.h"
#include "view/layout/sprite_layout.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace sprite_check {

constexpr int FAST_IMAGE = 40;
constexpr int REFERENCE_IMAGE = 41;
constexpr ColourValue STALE = 0x345678;

inline bool drawInto(int number, void (*draw)(const SpriteLayoutInput&), const SpriteLayoutInput& in) {
    PixelSurface* surface = imageSurface(number);
    if (surface == nullptr || surface->width != VIEW_WIDTH || surface->height != VIEW_HEIGHT) {
        if (!newImage(number, VIEW_WIDTH, VIEW_HEIGHT)) return false;
    }
    if (!beginDrawing(imageTarget(number))) return false;
    fillBox(0, 0, VIEW_WIDTH, VIEW_HEIGHT, STALE);
    draw(in);
    endDrawing();
    return true;
}

inline std::string describe(const SpriteLayoutInput& in) {
    return "len " + std::to_string(in.len) + ", D " + std::to_string(in.display_offset) + ", W " +
           std::to_string(in.row_width) + ", zoom " + std::to_string(in.zoom) + (in.inverse ? ", inverse" : "") +
           (in.reverse ? ", reverse" : "") + (in.nibble_swap ? ", nibble swap" : "") + (in.multi ? ", multi" : "");
}

} // namespace sprite_check

inline std::string check_sprite_layout(const uint8_t* data, size_t size) {
    using namespace sprite_check;
    FuzzInput in(data, size);
    CheckReport r;
    build_byte_tables();

    SpriteLayoutInput layout;
    layout.len = static_cast<int32_t>(in.range(0, 48000));
    switch (in.byte() % 6) {
    case 0: layout.display_offset = in.edgyInt(1000); break;
    case 1: layout.display_offset = INT_MAX - static_cast<int32_t>(in.range(0, 140000)); break;
    default: layout.display_offset = static_cast<int32_t>(in.range(-300, layout.len + 300)); break;
    }
    layout.row_width = static_cast<int32_t>(in.byte() % 2 ? in.range(1, 12) : in.range(1, 255));
    layout.zoom = 1 << (in.byte() % 4);
    const uint8_t flags = in.byte();
    layout.inverse = flags & 1;
    layout.reverse = flags & 2;
    layout.nibble_swap = flags & 4;
    layout.multi = flags & 8;
    const std::string pattern = in.rest();

    // Like the loaded file: len bytes and then 16 zero bytes.
    std::vector<uint8_t> bytes(static_cast<size_t>(layout.len) + 16, 0);
    for (int32_t i = 0; i < layout.len; ++i)
        bytes[static_cast<size_t>(i)] = pattern.empty() ? static_cast<uint8_t>(i * 37 + (i >> 8))
                                                        : static_cast<uint8_t>(pattern[static_cast<size_t>(i) % pattern.size()]);
    layout.data = layout.len ? bytes.data() : nullptr;

    if (!drawInto(FAST_IMAGE, draw_sprite_layout, layout) ||
        !drawInto(REFERENCE_IMAGE, draw_sprite_layout_per_pixel, layout))
        return "cannot make or open the 600 x 512 images";
    const PixelSurface& fast = *imageSurface(FAST_IMAGE);
    const PixelSurface& reference = *imageSurface(REFERENCE_IMAGE);
    for (int y = 0; y < VIEW_HEIGHT && !r.failed(); ++y) {
        if (std::memcmp(fast.rowAt(y), reference.rowAt(y), VIEW_WIDTH * 3) == 0) continue;
        for (int x = 0; x < VIEW_WIDTH; ++x)
            if (fast.pixel(x, y) != reference.pixel(x, y)) {
                r.expectEqual(fast.pixel(x, y), reference.pixel(x, y),
                              "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") with " + describe(layout));
                break;
            }
    }

    // The top-left pixel, worked out here without either drawing routine.
    const int64_t d = layout.display_offset;
    ColourValue corner = COLOUR_PAST_END;
    if (d < 0) {
        corner = COLOUR_CLEAR_BIT;
    } else if (d < layout.len) {
        uint8_t v = bytes[static_cast<size_t>(d)] ^ (layout.inverse ? 0xFF : 0x00);
        if (layout.reverse) v = reverse_table[v];
        if (layout.nibble_swap) v = nibble_table[v];
        corner = (v & 0x80) ? COLOUR_SET_BIT : COLOUR_CLEAR_BIT;
    }
    r.expectEqual(reference.pixel(0, 0), corner, "reference pixel (0, 0) with " + describe(layout));
    return r.message();
}
