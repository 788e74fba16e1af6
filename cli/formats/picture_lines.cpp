#include "cli/formats/picture_lines.h"

#include <cstdio>

std::string cell_text(const FoundPicture& picture) {
    if (picture.kind != PictureKind::Font) return "-";
    return std::to_string(picture.cell_width) + "x" + std::to_string(picture.cell_height);
}

std::string picture_line(const FoundPicture& picture) {
    char head[96];
    std::snprintf(head, sizeof head, "%llu\t%llu\t%d\t%.4f\t", static_cast<unsigned long long>(picture.start),
                  static_cast<unsigned long long>(picture.end), picture.width, picture.score);
    const bool font = picture.kind == PictureKind::Font;
    return std::string(head) + (font ? "font" : "picture") + "\t" + cell_text(picture) + "\t" +
           (font ? std::to_string(picture.glyphs) : "-");
}
