// fonts: the fonts in a file, as lines or written out as font files.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "cli/commands/commands.h"
#include "cli/files/mapped_file.h"
#include "cli/formats/export_formats.h"
#include "cli/formats/picture_lines.h"
#include "cli/walk/long_run.h"
#include "cli/walk/pictures_in_pieces.h"

namespace {

constexpr int SCAN_THREADS = 2;

struct FontsArgs {
    std::string input;
    std::string extract;  // a folder, or empty
    std::string format = "psf";
    uint64_t offset = 0;
    uint64_t length = UINT64_MAX;
    bool progress = false;
};

std::string font_line(const FoundPicture& font) {
    char score[16];
    std::snprintf(score, sizeof score, "%.4f", font.score);
    return std::to_string(font.start) + "\t" + cell_text(font) + "\t" + std::to_string(font.glyphs) + "\t" +
           score;
}

// The font file's name: where the font starts in the input (hexadecimal) and its cell.
std::string font_file_name(const FoundPicture& font, const std::string& format) {
    char start[24];
    std::snprintf(start, sizeof start, "0x%llx", static_cast<unsigned long long>(font.start));
    return std::string("font-") + start + "-" + cell_text(font) + "." + format;
}

// Writes the font into the folder; an error message, or empty.
std::string write_font(const MappedFile& file, const FoundPicture& font, const FontsArgs& args) {
    const std::optional<CellRun> cells = read_cells(file.bytes(), font.start, font.width, font.cell_height,
                                                    static_cast<int>(font.glyphs), Transforms{});
    if (!cells) return "the font at " + std::to_string(font.start) + " lies outside " + args.input;
    const std::string path =
        (std::filesystem::path(args.extract) / font_file_name(font, args.format)).string();
    ExportNaming naming;
    naming.name = identifier_from(font_file_name(font, args.format));
    naming.origin =
        std::filesystem::path(args.input).filename().string() + " at " + std::to_string(font.start);
    std::string error;
    const bool written = args.format == "psf" ? write_output(path, cells_as_psf(*cells), &error)
                                              : write_output(path, cells_as_bdf(*cells, naming, 0), &error);
    return written ? "" : error;
}

int fonts(const FontsArgs& args) {
    MappedFile file;
    if (!file.open(args.input)) return report(EXIT_FILE_PROBLEM, file.error());
    if (!args.extract.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(args.extract, ec);
        if (!std::filesystem::is_directory(args.extract))
            return report(EXIT_FILE_PROBLEM, "cannot make the folder " + args.extract);
    }
    const FilePart part = file_part(file.size(), args.offset, args.length);
    LongRun session(args.progress);
    ScanOptions options;
    options.begin = part.begin;
    options.end = part.end;
    std::string failure;
    const WalkResult walk = pictures_in_pieces(
        file, options, SCAN_THREADS,
        [&](const FoundPicture& picture) {
            if (picture.kind != PictureKind::Font || !failure.empty()) return;
            session.out().line(font_line(picture));
            if (!args.extract.empty()) failure = write_font(file, picture, args);
        },
        session.control());
    if (!failure.empty()) {
        session.end_progress();
        (void)session.out().finish();
        return report(EXIT_FILE_PROBLEM, failure);
    }
    return session.finish(file, walk,
                          "# interrupted after about " + std::to_string(walk.reached) +
                              " bytes: fonts further on were not looked for");
}

}  // namespace

Command add_fonts_command(CLI::App& program) {
    auto args = std::make_shared<FontsArgs>();
    CLI::App* c =
        add_subcommand(program, "fonts",
                       "List the fonts in FILE: lines of start<TAB>cell<TAB>glyphs<TAB>score in file "
                       "order (cell like 8x16, in pixels); with --extract, write each as a font file");
    add_input_file(*c, args->input);
    c->add_option("-x,--extract", args->extract,
                  "Write each font into this folder (made if missing), named by its start and cell: "
                  "font-0x7220-8x16.psf")
        ->type_name("DIR");
    add_choice(*c, "-f,--format", args->format, {"psf", "bdf"},
               "--extract: psf (a PSF2 console font, the default) or bdf (a BDF font, codes from 0)");
    add_offset(*c, "-d,--offset", args->offset, "The first byte scanned (default 0)");
    add_offset(*c, "-l,--length", args->length, "Bytes scanned from there (default: to the end)")
        ->type_name("N");
    c->add_flag("--progress", args->progress, "Draw a progress bar on standard error");
    return {c, [args] { return fonts(*args); }};
}
