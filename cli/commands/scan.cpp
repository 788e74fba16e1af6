// scan: the regions of a file that look like 1-bit pictures, in file order.
#include <cstdio>
#include <memory>

#include "cli/commands/commands.h"
#include "cli/files/mapped_file.h"
#include "cli/walk/long_run.h"
#include "cli/walk/scan_in_pieces.h"

namespace {

constexpr int SCAN_THREADS = 2;

struct ScanArgs {
    std::string input;
    uint64_t offset = 0;
    uint64_t length = UINT64_MAX;
    double min_score = 0;
    int max_width = MAX_ROW_WIDTH;
    bool progress = false;
};

std::string regionLine(const PictureRegion& region) {
    char line[96];
    std::snprintf(line, sizeof line, "%llu\t%llu\t%d\t%.4f", static_cast<unsigned long long>(region.start),
                  static_cast<unsigned long long>(region.end), region.width, region.score);
    return line;
}

int scan(const ScanArgs& args) {
    MappedFile file;
    if (!file.open(args.input)) {
        return report(EXIT_FILE_PROBLEM, file.error());
    }
    const FilePart part = file_part(file.size(), args.offset, args.length);
    LongRun session(args.progress);
    ScanOptions options;
    options.min_score = args.min_score;
    options.max_width = args.max_width;
    options.begin = part.begin;
    options.end = part.end;
    const WalkResult walk = scan_in_pieces(
        file, options, SCAN_THREADS,
        [&](const PictureRegion& region) { session.out().line(regionLine(region)); }, session.control());
    return session.finish(file, walk,
                          "# interrupted after about " + std::to_string(walk.reached) +
                              " bytes: regions further on were not looked for");
}

}  // namespace

Command add_scan_command(CLI::App& program) {
    auto args = std::make_shared<ScanArgs>();
    CLI::App* c =
        add_subcommand(program, "scan",
                       "Find the regions of FILE that look like 1-bit pictures (fonts, icons, sprites): "
                       "lines of start<TAB>end<TAB>width<TAB>score, in file order, end exclusive");
    add_input_file(*c, args->input);
    add_parsed(*c, "-s,--min-score", args->min_score,
               "Report only regions scoring at least this, 0 to 1 (default 0: all the scan accepts)", "S",
               parse_score);
    add_offset(*c, "-d,--offset", args->offset, "The first byte scanned (default 0)");
    add_offset(*c, "-l,--length", args->length, "Bytes scanned from there (default: to the end)")
        ->type_name("N");
    add_number(*c, "--max-width", args->max_width, 1, MAX_ROW_WIDTH, "The widest row tried (default 255)")
        ->type_name("W");
    c->add_flag("--progress", args->progress, "Draw a progress bar on standard error");
    return {c, [args] { return scan(*args); }};
}
