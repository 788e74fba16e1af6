#pragma once
// The subcommands. Each adds itself to the program's parser and returns the work to run when
// it was the one chosen; the work reports its own failures (one line on standard error) and
// returns the exit code.
#include "cli/options/options.h"

Command add_render_command(CLI::App& program);
Command add_sheet_command(CLI::App& program);
Command add_export_command(CLI::App& program);
Command add_widths_command(CLI::App& program);
Command add_scan_command(CLI::App& program);
Command add_find_command(CLI::App& program);
Command add_fonts_command(CLI::App& program);
Command add_gallery_command(CLI::App& program);
