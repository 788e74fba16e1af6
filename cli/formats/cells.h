#pragma once
// Cells cut out of a file for export: N cells one after another, each H rows of W bytes, the
// bytes transformed as the view shows them (most significant bit leftmost).
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/options/arguments.h"

struct CellRun {
    int width_bytes = 1;         // W
    int height = 1;              // H
    int count = 1;               // N
    std::vector<uint8_t> bytes;  // N x H x W, cell after cell, row after row

    [[nodiscard]] int cellBytes() const { return width_bytes * height; }
    [[nodiscard]] const uint8_t* row(int cell, int y) const {
        return bytes.data() + static_cast<size_t>(cell) * static_cast<size_t>(cellBytes()) +
               static_cast<size_t>(y) * static_cast<size_t>(width_bytes);
    }
};

// The cells from `offset` on, or nullopt when they do not all lie inside the file.
[[nodiscard]] std::optional<CellRun> read_cells(std::span<const uint8_t> file, uint64_t offset,
                                                int width_bytes, int height, int count,
                                                const Transforms& transforms);

// A row as '#' (set) and '.' (clear) pixels, most significant bit first.
[[nodiscard]] std::string row_art(const uint8_t* row, int width_bytes);

// A C identifier made from any text: letters, digits and '_' kept, anything else '_', and a '_'
// in front of a leading digit. "vgabios-isavga.bin" gives "vgabios_isavga_bin".
[[nodiscard]] std::string identifier_from(const std::string& text);
