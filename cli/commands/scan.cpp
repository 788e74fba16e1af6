// scan: the pictures of a file, in file order or best first.
#include <memory>
#include <vector>

#include "cli/commands/commands.h"
#include "cli/files/mapped_file.h"
#include "cli/formats/picture_lines.h"
#include "cli/walk/long_run.h"
#include "cli/walk/pictures_in_pieces.h"

namespace {

constexpr int SCAN_THREADS = 2;

struct ScanArgs {
    std::string input;
    uint64_t offset = 0;
    uint64_t length = UINT64_MAX;
    double min_score = 0;
    int max_width = MAX_ROW_WIDTH;
    bool progress = false;
    bool rank = false;
};

int scan(const ScanArgs& args) {
    MappedFile file;
    if (!file.open(args.input)) {
        return report(EXIT_FILE_PROBLEM, file.error());
    }
    const FilePart part = file_part(file.size(), args.offset, args.length);
    LongRun session(args.progress);
    ScanOptions options;
    options.max_width = args.max_width;
    options.begin = part.begin;
    options.end = part.end;
    // Ranked, the lines wait for the whole walk (or its interruption); in file order they go out
    // as they are found.
    std::vector<FoundPicture> ranked;
    const WalkResult walk = pictures_in_pieces(
        file, options, SCAN_THREADS,
        [&](const FoundPicture& picture) {
            if (picture.score < args.min_score) return;
            if (args.rank)
                ranked.push_back(picture);
            else
                session.out().line(picture_line(picture));
        },
        session.control());
    rank_pictures(ranked);
    for (const FoundPicture& picture : ranked) session.out().line(picture_line(picture));
    return session.finish(file, walk,
                          "# interrupted after about " + std::to_string(walk.reached) +
                              " bytes: regions further on were not looked for");
}

}  // namespace

Command add_scan_command(CLI::App& program) {
    auto args = std::make_shared<ScanArgs>();
    CLI::App* c = add_subcommand(
        program, "scan",
        "Find the pictures in FILE (fonts, icons, sprites): lines of start<TAB>end<TAB>width<TAB>"
        "score<TAB>kind<TAB>cell<TAB>glyphs in file order, end exclusive; score is the chance "
        "(0 to 1) that the part is a drawing rather than data, kind font or picture, cell "
        "like 8x16 and glyphs a count for fonts (- otherwise)");
    add_input_file(*c, args->input);
    add_parsed(*c, "-s,--min-score", args->min_score,
               "Report only pictures scoring at least this, 0 to 1 (default 0: all; the window shows 0.5 "
               "and more)",
               "S", parse_score);
    c->add_flag("--rank", args->rank, "List the pictures best first instead of in file order");
    add_offset(*c, "-d,--offset", args->offset, "The first byte scanned (default 0)");
    add_offset(*c, "-l,--length", args->length, "Bytes scanned from there (default: to the end)")
        ->type_name("N");
    add_number(*c, "--max-width", args->max_width, 1, MAX_ROW_WIDTH, "The widest row tried (default 255)")
        ->type_name("W");
    c->add_flag("--progress", args->progress, "Draw a progress bar on standard error");
    return {c, [args] { return scan(*args); }};
}
