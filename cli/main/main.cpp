// The command line's entry: the parser around the subcommands, --help and --version, and the exit
// codes.
#include <csignal>
#include <vector>

#include "cli/commands/commands.h"
#include "cli/files/output.h"

#ifndef PIXELSIEVE_VERSION
#error "PIXELSIEVE_VERSION comes from the build (the project's version)"
#endif

int main(int argc, char** argv) {
    // A file-size limit then shows up as a failed write, reported and cleaned up, instead of a
    // killed process that leaves its temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);

    CLI::App program(
        "Shows the bytes of any file as a bitmap, one bit per pixel, from a shell: the viewer's "
        "pictures, a sheet across widths, sprites and fonts exported for developers, and the "
        "pictures inside a file found for you.",
        PROGRAM_NAME);
    program.set_version_flag("--version", std::string(PROGRAM_NAME) + " " + PIXELSIEVE_VERSION,
                             "Print the version and exit");
    program.footer(EXIT_CODES_HELP);
    program.require_subcommand(1);
    const std::vector<Command> commands = {add_render_command(program), add_sheet_command(program),
                                           add_export_command(program), add_widths_command(program),
                                           add_scan_command(program),   add_find_command(program),
                                           add_fonts_command(program),  add_gallery_command(program)};
    if (argc > 1 && argv[1][0] != '-') {
        std::string names;
        bool known = false;
        for (const Command& command : commands) {
            known = known || command.app->get_name() == argv[1];
            names += (names.empty() ? "" : ", ") + command.app->get_name();
        }
        if (!known) {
            return report(EXIT_BAD_ARGUMENTS,
                          std::string("unknown command \"") + argv[1] + "\" (" + names + "; see --help)");
        }
    }
    try {
        program.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return program.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return program.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return program.exit(e);
    } catch (const CLI::ParseError& e) {
        std::string where;
        for (const Command& command : commands) {
            if (command.app->parsed()) where = command.app->get_name() + ": ";
        }
        return report(EXIT_BAD_ARGUMENTS, where + e.what() + " (see --help)");
    }
    for (const Command& command : commands) {
        if (command.app->parsed()) return command.run();
    }
    return report(EXIT_BAD_ARGUMENTS, "no command given (see --help)");
}
