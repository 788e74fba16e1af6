// find: where a drawn pattern appears in a file at a given row width.
#include <memory>

#include "analysis/pattern_text.h"
#include "cli/commands/commands.h"
#include "cli/files/mapped_file.h"
#include "cli/walk/find_in_pieces.h"
#include "cli/walk/long_run.h"
namespace {

struct FindArgs {
    std::string input;
    std::string pattern_file;
    std::string rows;
    int width = 1;
    int max_errors = 0;
    std::string forms = "plain";
    uint64_t offset = 0;
    uint64_t length = UINT64_MAX;
    int max_hits = 10000;
    bool progress = false;
};

int find(const FindArgs& args) {
    if (args.pattern_file.empty() == args.rows.empty()) {
        return report(EXIT_BAD_ARGUMENTS, "find: give the pattern with either --pattern FILE.pbm or --rows");
    }
    std::optional<Pattern> pattern;
    std::string why;
    if (!args.rows.empty()) {
        pattern = parse_pattern_rows(args.rows, &why);
        if (!pattern) return report(EXIT_BAD_ARGUMENTS, "find: --rows: " + why);
    } else {
        MappedFile drawn;
        if (!drawn.open(args.pattern_file)) return report(EXIT_FILE_PROBLEM, drawn.error());
        pattern = parse_pattern_pbm(drawn.bytes(), &why);
        if (drawn.lost_bytes()) return report(EXIT_FILE_PROBLEM, drawn.lost_bytes_error());
        if (!pattern)
            return report(EXIT_FILE_PROBLEM, "cannot read the pattern " + args.pattern_file + ": " + why);
    }
    if (pattern->width > 8 * args.width) {
        return report(EXIT_BAD_ARGUMENTS, "find: the pattern is " + std::to_string(pattern->width) +
                                              " pixels wide, more than a row of " +
                                              std::to_string(args.width) + " bytes shows");
    }
    MappedFile file;
    if (!file.open(args.input)) {
        return report(EXIT_FILE_PROBLEM, file.error());
    }
    const FilePart part = file_part(file.size(), args.offset, args.length);
    LongRun session(args.progress);
    FindOptions options;
    options.row_width = args.width;
    options.max_errors = args.max_errors;
    options.all_forms = args.forms == "all";
    options.begin = part.begin;
    options.end = part.end;
    options.max_hits = static_cast<size_t>(args.max_hits);
    bool limited = false;
    const WalkResult walk = find_in_pieces(
        file, *pattern, options,
        [&](const PatternHit& hit) {
            session.out().line(std::to_string(hit.offset) + "\t" + std::to_string(hit.bit) + "\t" +
                               std::to_string(hit.errors) + "\t" + pattern_form_name(hit.form));
        },
        session.control(), &limited);
    session.end_progress();
    if (limited) {
        session.out().line("# stopped at " + std::to_string(args.max_hits) +
                           " hits (--max-hits); there may be more");
    }
    return session.finish(file, walk,
                          "# interrupted after " + std::to_string(walk.reached) +
                              " bytes: hits further on were not looked for");
}

}  // namespace

Command add_find_command(CLI::App& program) {
    auto args = std::make_shared<FindArgs>();
    CLI::App* c =
        add_subcommand(program, "find",
                       "Find a drawn pattern in FILE at a row width, at every byte and bit shift: lines of "
                       "offset<TAB>bit<TAB>errors<TAB>form, in file order");
    add_input_file(*c, args->input);
    c->add_option("-p,--pattern", args->pattern_file, "The pattern as a PBM picture (P1 or P4; black is set)")
        ->type_name("FILE.pbm");
    c->add_option(
         "--rows", args->rows,
         "The pattern typed as rows separated by commas: # X 1 set, . _ 0 clear, e.g. \"..##..,.####.\"")
        ->type_name("TEXT");
    add_row_width(*c, args->width, true);
    add_number(*c, "-e,--max-errors", args->max_errors, 0, MAX_PATTERN_WIDTH * 16,
               "Wrong pixels allowed in a hit (default 0)")
        ->type_name("E");
    add_choice(
        *c, "--forms", args->forms, {"plain", "all"},
        "plain (default), or all: also inverted, bit-reversed and nibble-swapped, and their combinations");
    add_offset(*c, "-d,--offset", args->offset, "The first byte a hit may start at (default 0)");
    add_offset(*c, "-l,--length", args->length, "Bytes searched from there (default: to the end)")
        ->type_name("N");
    add_number(*c, "--max-hits", args->max_hits, 1, 100000000, "Stop after this many hits (default 10000)");
    c->add_flag("--progress", args->progress, "Draw a progress bar on standard error");
    return {c, [args] { return find(*args); }};
}
