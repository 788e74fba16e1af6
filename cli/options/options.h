#pragma once
// The options the subcommands share, declared once: every offset, width, zoom and transform
// goes through the readers of arguments.h, so "0x1F", "$1F" and "31" mean the same everywhere
// and a bad value is reported the same way.
#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cli/options/arguments.h"

// What --help says about the exit codes, for the program and each subcommand.
extern const char* const EXIT_CODES_HELP;

// A subcommand as the program sees it: its parser and the work to do once it was chosen.
struct Command {
    CLI::App* app = nullptr;
    std::function<int()> run;
};

// Adds a subcommand with the shared help footer.
CLI::App* add_subcommand(CLI::App& program, const std::string& name, const std::string& description);

CLI::Option* add_input_file(CLI::App& command, std::string& path);
CLI::Option* add_offset(CLI::App& command, const std::string& names, uint64_t& target,
                        const std::string& help);
CLI::Option* add_number(CLI::App& command, const std::string& names, int64_t& target, int64_t low,
                        int64_t high, const std::string& help);
CLI::Option* add_number(CLI::App& command, const std::string& names, int& target, int low, int high,
                        const std::string& help);
CLI::Option* add_row_width(CLI::App& command, int& target, bool required = false);
// One of a few words, reported like the other values when it is none of them.
CLI::Option* add_choice(CLI::App& command, const std::string& names, std::string& target,
                        const std::vector<std::string>& choices, const std::string& help);
CLI::Option* add_zoom(CLI::App& command, int& target);
void add_transforms(CLI::App& command, Transforms& target);
