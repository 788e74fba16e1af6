#include "cli/formats/export_formats.h"

#include <cstdio>

#include "cli/formats/bit_picture.h"

namespace {

constexpr uint32_t PSF2_MAGIC = 0x864AB572;
constexpr uint32_t PSF2_HEADER_SIZE = 32;

std::string hexByte(uint8_t value, const char* format) {
    char text[8];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string binaryByte(uint8_t value) {
    std::string text = "%";
    for (int k = 7; k >= 0; --k) text += (value >> k & 1) != 0 ? '1' : '0';
    return text;
}

// The geometry line every heading starts with.
std::string geometry(const CellRun& cells) {
    return std::to_string(8 * cells.width_bytes) + " x " + std::to_string(cells.height) +
           " pixels per cell (" + std::to_string(cells.width_bytes) +
           (cells.width_bytes == 1 ? " byte" : " bytes") + " by " + std::to_string(cells.height) +
           " rows), " + std::to_string(cells.count) + (cells.count == 1 ? " cell" : " cells");
}

// Comment text must not end the comment it stands in.
std::string commentSafe(std::string text) {
    for (size_t at = text.find("*/"); at != std::string::npos; at = text.find("*/", at))
        text.replace(at, 2, "* /");
    for (char& c : text) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

std::string cells_as_c(const CellRun& cells, const ExportNaming& naming) {
    std::string out =
        "/* " + commentSafe(geometry(cells) + (naming.origin.empty() ? "" : ", from " + naming.origin)) +
        " */\n";
    out += "const unsigned char " + naming.name + "[" + std::to_string(cells.bytes.size()) + "] = {\n";
    for (int n = 0; n < cells.count; ++n) {
        out += "    /* cell " + std::to_string(n) + " */\n";
        for (int y = 0; y < cells.height; ++y) {
            const uint8_t* row = cells.row(n, y);
            out += "   ";
            for (int j = 0; j < cells.width_bytes; ++j) {
                out += ' ';
                out += hexByte(row[j], "0x%02x");
                out += ',';
            }
            out += " /* " + row_art(row, cells.width_bytes) + " */\n";
        }
    }
    out += "};\n";
    return out;
}

std::string cells_as_asm(const CellRun& cells, const ExportNaming& naming) {
    std::string heading = geometry(cells) + (naming.origin.empty() ? "" : ", from " + naming.origin);
    for (char& c : heading) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    std::string out = "; " + heading + "\n" + naming.name + ":\n";
    for (int n = 0; n < cells.count; ++n) {
        out += "; cell " + std::to_string(n) + "\n";
        for (int y = 0; y < cells.height; ++y) {
            const uint8_t* row = cells.row(n, y);
            out += "    .byte ";
            for (int j = 0; j < cells.width_bytes; ++j) {
                if (j > 0) out += ',';
                out += binaryByte(row[j]);
            }
            out += " ; " + row_art(row, cells.width_bytes) + "\n";
        }
    }
    return out;
}

std::vector<uint8_t> cells_as_pbm(const CellRun& cells) {
    const int cellPixels = 8 * cells.width_bytes;
    BitPicture picture(cells.count * cellPixels, cells.height);
    for (int y = 0; y < cells.height; ++y) {
        uint8_t* out = picture.row(y);
        // Cells are whole bytes wide, so each row is the cells' rows one after another.
        for (int n = 0; n < cells.count; ++n) {
            const uint8_t* row = cells.row(n, y);
            std::copy(row, row + cells.width_bytes, out + static_cast<size_t>(n) * cells.width_bytes);
        }
    }
    return pbm_bytes(picture);
}

std::vector<uint8_t> cells_as_psf(const CellRun& cells) {
    std::vector<uint8_t> out;
    out.reserve(PSF2_HEADER_SIZE + cells.bytes.size());
    put32(out, PSF2_MAGIC);
    put32(out, 0);  // version
    put32(out, PSF2_HEADER_SIZE);
    put32(out, 0);  // flags: no Unicode table
    put32(out, static_cast<uint32_t>(cells.count));
    put32(out, static_cast<uint32_t>(cells.cellBytes()));
    put32(out, static_cast<uint32_t>(cells.height));
    put32(out, static_cast<uint32_t>(8 * cells.width_bytes));
    out.insert(out.end(), cells.bytes.begin(), cells.bytes.end());
    return out;
}

std::string cells_as_bdf(const CellRun& cells, const ExportNaming& naming, uint32_t first) {
    const int width = 8 * cells.width_bytes;
    const int height = cells.height;
    // At 72 dpi a point is a pixel, so the point size is the height; the scalable width is in
    // thousandths of it.
    const long swidth = (static_cast<long>(width) * 1000 + height / 2) / height;
    std::string out = "STARTFONT 2.1\n";
    std::string comment = geometry(cells) + (naming.origin.empty() ? "" : ", from " + naming.origin);
    for (char& c : comment) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    out += "COMMENT " + comment + "\n";
    out += "FONT -pixelsieve-" + naming.name + "-Medium-R-Normal--" + std::to_string(height) + "-" +
           std::to_string(height * 10) + "-72-72-C-" + std::to_string(width * 10) + "-ISO10646-1\n";
    out += "SIZE " + std::to_string(height) + " 72 72\n";
    out += "FONTBOUNDINGBOX " + std::to_string(width) + " " + std::to_string(height) + " 0 0\n";
    out += "STARTPROPERTIES 8\n";
    out += "FOUNDRY \"pixelsieve\"\nFAMILY_NAME \"" + naming.name + "\"\nSPACING \"C\"\n";
    out += "PIXEL_SIZE " + std::to_string(height) + "\n";
    out += "FONT_ASCENT " + std::to_string(height) + "\nFONT_DESCENT 0\n";
    out += "CHARSET_REGISTRY \"ISO10646\"\nCHARSET_ENCODING \"1\"\n";
    out += "ENDPROPERTIES\n";
    out += "CHARS " + std::to_string(cells.count) + "\n";
    for (int n = 0; n < cells.count; ++n) {
        const uint32_t code = first + static_cast<uint32_t>(n);
        out += "STARTCHAR char" + std::to_string(code) + "\n";
        out += "ENCODING " + std::to_string(code) + "\n";
        out += "SWIDTH " + std::to_string(swidth) + " 0\n";
        out += "DWIDTH " + std::to_string(width) + " 0\n";
        out += "BBX " + std::to_string(width) + " " + std::to_string(height) + " 0 0\n";
        out += "BITMAP\n";
        for (int y = 0; y < height; ++y) {
            const uint8_t* row = cells.row(n, y);
            for (int j = 0; j < cells.width_bytes; ++j) out += hexByte(row[j], "%02X");
            out += "\n";
        }
        out += "ENDCHAR\n";
    }
    out += "ENDFONT\n";
    return out;
}
