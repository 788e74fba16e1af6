#include "cli/formats/picture_file.h"

#include <algorithm>

#include "cli/formats/bit_picture.h"

namespace {

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return out;
}

}  // namespace

std::optional<PictureFormat> picture_format_named(std::string_view name) {
    const std::string n = lowered(name);
    if (n == "png") return PictureFormat::Png;
    if (n == "bmp") return PictureFormat::Bmp;
    if (n == "pbm") return PictureFormat::Pbm;
    return std::nullopt;
}

std::optional<PictureFormat> picture_format_of_path(const std::string& path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::nullopt;
    return picture_format_named(std::string_view(path).substr(dot + 1));
}

std::vector<uint8_t> encode_picture(const PixelSurface& picture, PictureFormat format, uint32_t set_colour) {
    switch (format) {
        case PictureFormat::Png:
            return encodePng(picture, CLI_PNG);
        case PictureFormat::Bmp:
            return encodeBmp24(picture);
        case PictureFormat::Pbm:
            return pbm_bytes(bits_of_view(picture, set_colour));
    }
    return {};
}
