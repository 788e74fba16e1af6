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

// The option's long name as messages show it ("--offset" for "-d,--offset"), or its positional name.
[[nodiscard]] std::string shown_option_name(const std::string& names);

// An option whose text goes through `parse(text, &why)`, a reader of arguments.h: the value it
// gives is stored in `target`, and a text it refuses is reported with its reason after the
// option's name ("--zoom: "3" is not 1, 2, 4 or 8"). `target` must outlive the parse.
template <typename Target, typename Parse>
CLI::Option* add_parsed(CLI::App& command, const std::string& names, Target& target, const std::string& help,
                        const std::string& type_name, Parse parse) {
    const std::string shown = shown_option_name(names);
    return command
        .add_option_function<std::string>(
            names,
            [&target, shown, parse](const std::string& text) {
                std::string why;
                const auto value = parse(text, &why);
                if (!value) throw CLI::ValidationError(shown, why);
                target = static_cast<Target>(*value);
            },
            help)
        ->type_name(type_name);
}

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
