// widths: the row widths at which a part of a file looks most like a picture, best first.
#include <cstdio>
#include <memory>

#include "analysis/width_candidates.h"
#include "cli/commands/commands.h"
#include "cli/files/mapped_file.h"
#include "cli/files/output.h"

namespace {

constexpr uint64_t DEFAULT_LENGTH = 64 * 1024;  // as much as the window's width suggestion reads

struct WidthsArgs {
    std::string input;
    uint64_t offset = 0;
    uint64_t length = DEFAULT_LENGTH;
    int top = 10;
    int max_width = MAX_ROW_WIDTH;
};

int widths(const WidthsArgs& args) {
    MappedFile file;
    if (!file.open(args.input)) {
        return report(EXIT_FILE_PROBLEM, file.error());
    }
    TextOut out;
    const std::vector<WidthCandidate> candidates =
        width_candidates(file.bytes(), args.offset, args.length, args.max_width);
    if (file.lost_bytes()) {
        return report(EXIT_FILE_PROBLEM, file.lost_bytes_error());
    }
    if (candidates.empty()) {
        out.line("# no bytes at offset " + std::to_string(args.offset) + " (" + args.input + " has " +
                 std::to_string(file.size()) + ")");
    }
    for (size_t i = 0; i < candidates.size() && i < static_cast<size_t>(args.top); ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%d\t%.4f", candidates[i].width, candidates[i].score);
        out.line(line);
    }
    return out.finish() ? EXIT_DONE : report(EXIT_FILE_PROBLEM, "cannot write to standard output");
}

}  // namespace

Command add_widths_command(CLI::App& program) {
    auto args = std::make_shared<WidthsArgs>();
    CLI::App* c =
        add_subcommand(program, "widths",
                       "Rank the row widths at which bytes of FILE look like a picture, best first: lines "
                       "of width<TAB>score (0 no structure, 1 every row predicted by the one above)");
    add_input_file(*c, args->input);
    add_offset(*c, "-d,--offset", args->offset, "The first byte examined (default 0)");
    add_offset(*c, "-l,--length", args->length, "Bytes examined from there (default 65536; cut at the end)")
        ->type_name("N");
    add_number(*c, "-k,--top", args->top, 1, MAX_ROW_WIDTH, "How many widths to list (default 10)")
        ->type_name("K");
    add_number(*c, "--max-width", args->max_width, 1, MAX_ROW_WIDTH, "The widest row tried (default 255)")
        ->type_name("W");
    return {c, [args] { return widths(*args); }};
}
