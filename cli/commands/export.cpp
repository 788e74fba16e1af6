// export: cells of a file as C, assembler, PBM, a PSF2 console font or a BDF font.
#include <cstdio>
#include <memory>

#include "cli/commands/commands.h"
#include "cli/files/mapped_file.h"
#include "cli/files/output.h"
#include "cli/formats/export_formats.h"

namespace {

constexpr int MAX_CELL_HEIGHT = 4096;
constexpr int MAX_CELL_COUNT = 1 << 20;
constexpr int64_t LAST_CODE = 0x10FFFF;  // the last Unicode code point

struct ExportArgs {
    std::string input;
    std::string output = "-";
    std::string format;
    std::string name;
    uint64_t offset = 0;
    int width = 1;
    int height = 1;
    int count = 1;
    int64_t first = 0;
    Transforms transforms;
};

std::string baseName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string stem(const std::string& path) {
    std::string base = baseName(path);
    const size_t dot = base.rfind('.');
    return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

std::string hexOffset(uint64_t offset) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(offset));
    return text;
}

int export_cells(const ExportArgs& args) {
    if (args.first + args.count - 1 > LAST_CODE) {
        return report(EXIT_BAD_ARGUMENTS, "export: --first " + std::to_string(args.first) + " with " +
                                              std::to_string(args.count) + " cells runs past code 0x10FFFF");
    }
    MappedFile file;
    if (!file.open(args.input)) {
        return report(EXIT_FILE_PROBLEM, file.error());
    }
    const std::optional<CellRun> cells =
        read_cells(file.bytes(), args.offset, args.width, args.height, args.count, args.transforms);
    if (file.lost_bytes()) {
        return report(EXIT_FILE_PROBLEM, file.lost_bytes_error());
    }
    if (!cells) {
        const uint64_t need = uint64_t{static_cast<uint32_t>(args.width)} *
                              static_cast<uint32_t>(args.height) * static_cast<uint32_t>(args.count);
        return report(EXIT_BAD_ARGUMENTS,
                      "export: " + std::to_string(args.count) + " cells of " + std::to_string(args.width) +
                          " x " + std::to_string(args.height) + " bytes from " + std::to_string(args.offset) +
                          " need " + std::to_string(need) + " bytes, but " + args.input + " has " +
                          std::to_string(file.size()) + " bytes");
    }

    ExportNaming naming;
    naming.name = identifier_from(args.name.empty() ? stem(args.input) : args.name);
    naming.origin = baseName(args.input) + " at " + hexOffset(args.offset);
    std::vector<uint8_t> binary;
    std::string text;
    if (args.format == "c") {
        text = cells_as_c(*cells, naming);
    } else if (args.format == "asm") {
        text = cells_as_asm(*cells, naming);
    } else if (args.format == "pbm") {
        binary = cells_as_pbm(*cells);
    } else if (args.format == "psf") {
        binary = cells_as_psf(*cells);
    } else {
        text = cells_as_bdf(*cells, naming, static_cast<uint32_t>(args.first));
    }
    std::string error;
    const bool written =
        binary.empty() ? write_output(args.output, text, &error) : write_output(args.output, binary, &error);
    return written ? EXIT_DONE : report(EXIT_FILE_PROBLEM, error);
}

}  // namespace

Command add_export_command(CLI::App& program) {
    auto args = std::make_shared<ExportArgs>();
    CLI::App* c =
        add_subcommand(program, "export",
                       "Write N cells of H rows of W bytes, stored one after another, as C, assembler, "
                       "PBM, a PSF2 console font or a BDF font");
    add_input_file(*c, args->input);
    add_offset(*c, "-d,--offset", args->offset, "The first byte of the first cell")->required();
    add_row_width(*c, args->width, true);
    add_number(*c, "-H,--height", args->height, 1, MAX_CELL_HEIGHT, "Rows per cell, 1 to 4096")
        ->required()
        ->type_name("H");
    add_number(*c, "-n,--count", args->count, 1, MAX_CELL_COUNT, "Number of cells (default 1)")
        ->type_name("N");
    add_transforms(*c, args->transforms);
    add_choice(*c, "-f,--format", args->format, {"c", "asm", "pbm", "psf", "bdf"},
               "c (a const unsigned char array), asm (.byte %01010101 lines), pbm (the cells side by side), "
               "psf (PSF2 font, 8W x H), bdf (BDF font, 8W x H)")
        ->required();
    add_number(*c, "--first", args->first, 0, LAST_CODE, "bdf: the code of the first glyph (default 0)")
        ->type_name("CODE");
    c->add_option("--name", args->name,
                  "c, asm, bdf: the array, label or font name (default: from FILE's name)");
    c->add_option("-o,--output", args->output, "The file to write; - or none for standard output")
        ->type_name("OUT");
    return {c, [args] { return export_cells(*args); }};
}
