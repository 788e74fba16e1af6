#include "cli/formats/cells.h"

std::optional<CellRun> read_cells(std::span<const uint8_t> file, uint64_t offset, int width_bytes, int height,
                                  int count, const Transforms& transforms) {
    if (width_bytes < 1 || height < 1 || count < 1) return std::nullopt;
    const uint64_t total = uint64_t{static_cast<uint32_t>(width_bytes)} * static_cast<uint32_t>(height) *
                           static_cast<uint32_t>(count);
    if (offset > file.size() || total > file.size() - offset) return std::nullopt;
    CellRun run;
    run.width_bytes = width_bytes;
    run.height = height;
    run.count = count;
    run.bytes.resize(static_cast<size_t>(total));
    uint8_t shown[256];
    for (int b = 0; b < 256; ++b) {
        shown[b] = transformed_byte(static_cast<uint8_t>(b), transforms);
    }
    const uint8_t* from = file.data() + offset;
    for (size_t i = 0; i < run.bytes.size(); ++i) {
        run.bytes[i] = shown[from[i]];
    }
    return run;
}

std::string row_art(const uint8_t* row, int width_bytes) {
    std::string art;
    art.reserve(static_cast<size_t>(width_bytes) * 8);
    for (int j = 0; j < width_bytes; ++j) {
        for (int k = 0; k < 8; ++k) {
            art += (row[j] & (0x80 >> k)) != 0 ? '#' : '.';
        }
    }
    return art;
}

std::string identifier_from(const std::string& text) {
    std::string name;
    for (const char c : text) {
        const bool keep =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        name += keep ? c : '_';
    }
    if (name.empty() || (name[0] >= '0' && name[0] <= '9')) name.insert(name.begin(), '_');
    return name;
}
