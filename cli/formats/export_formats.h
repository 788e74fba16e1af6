#pragma once
// Cells written in the formats developers use: source code (C, assembler), a picture (PBM),
// and fonts (PSF2 for the Linux console, BDF for X11 and most font tools).
#include <cstdint>
#include <string>
#include <vector>

#include "cli/formats/cells.h"

struct ExportNaming {
    std::string name = "cells";  // the array, label or font name; a C identifier
    std::string origin;          // for the heading comment, such as "font.bin at 0x1000"
};

// `const unsigned char name[N*H*W] = { ... };` with one line per row, every row followed by a
// comment that draws it in '#' and '.', and a comment line before each cell.
[[nodiscard]] std::string cells_as_c(const CellRun& cells, const ExportNaming& naming);

// A label `name:` and one `.byte %01010101,...` line per row with the same '#'/'.' comments
// after ';'.
[[nodiscard]] std::string cells_as_asm(const CellRun& cells, const ExportNaming& naming);

// The cells side by side in one P4 picture of N x 8W by H pixels; a set bit is 1 (black).
[[nodiscard]] std::vector<uint8_t> cells_as_pbm(const CellRun& cells);

// A PSF2 font: a 32-byte header (no Unicode table), then N glyphs of H rows of W bytes each,
// 8W pixels wide.
[[nodiscard]] std::vector<uint8_t> cells_as_psf(const CellRun& cells);

// A BDF 2.1 font of N glyphs, 8W x H pixels each, encoded from `first` on, with the baseline
// under the last row and Unicode (ISO 10646) as the declared character set.
[[nodiscard]] std::string cells_as_bdf(const CellRun& cells, const ExportNaming& naming, uint32_t first);
