#include "cli/formats/bit_picture.h"

#include <string>

BitPicture::BitPicture(int w, int h)
    : width(w), height(h), rows(static_cast<size_t>(h) * static_cast<size_t>((w + 7) / 8), 0) {}

bool BitPicture::at(int x, int y) const {
    return (rows[static_cast<size_t>(y) * static_cast<size_t>(rowBytes()) + static_cast<size_t>(x / 8)] &
            (0x80 >> (x % 8))) != 0;
}

BitPicture bits_of_view(const PixelSurface& view, ColourValue set_colour) {
    BitPicture bits(view.width, view.height);
    const auto blue = static_cast<uint8_t>(set_colour >> 16);
    const auto green = static_cast<uint8_t>(set_colour >> 8);
    const auto red = static_cast<uint8_t>(set_colour);
    for (int y = 0; y < view.height; ++y) {
        const uint8_t* p = view.rowAt(y);
        uint8_t* out = bits.row(y);
        for (int x = 0; x < view.width; ++x, p += 3) {
            if (p[0] == blue && p[1] == green && p[2] == red) {
                out[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    return bits;
}

std::vector<uint8_t> pbm_bytes(const BitPicture& picture) {
    const std::string header =
        "P4\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n";
    std::vector<uint8_t> file(header.begin(), header.end());
    file.insert(file.end(), picture.rows.begin(), picture.rows.end());
    return file;
}
