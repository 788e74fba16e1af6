#include "cli/options/options.h"

#include <algorithm>

const char* const EXIT_CODES_HELP =
    "Exit codes: 0 done; 1 an input file cannot be read or an output cannot be written; 2 bad "
    "arguments; 130 interrupted (scan and find print what they found until then). Numbers are "
    "decimal, or hexadecimal after 0x or $.";

std::string shown_option_name(const std::string& names) {
    const size_t dash = names.rfind("--");
    if (dash == std::string::npos) return names;
    const size_t end = names.find(',', dash);
    return names.substr(dash, end == std::string::npos ? std::string::npos : end - dash);
}

CLI::App* add_subcommand(CLI::App& program, const std::string& name, const std::string& description) {
    CLI::App* command = program.add_subcommand(name, description);
    command->footer(EXIT_CODES_HELP);
    return command;
}

CLI::Option* add_input_file(CLI::App& command, std::string& path) {
    // Whether it exists is found out when it is opened, so that a missing file is reported as
    // an unreadable input (exit 1) rather than as a bad argument.
    return command.add_option("FILE", path, "The file to look at (mapped, never copied; any size)")
        ->required()
        ->type_name("");
}

CLI::Option* add_offset(CLI::App& command, const std::string& names, uint64_t& target,
                        const std::string& help) {
    return add_parsed(command, names, target, help, "OFFSET", parse_offset);
}

CLI::Option* add_number(CLI::App& command, const std::string& names, int64_t& target, int64_t low,
                        int64_t high, const std::string& help) {
    return add_parsed(command, names, target, help, "N",
                      [low, high](const std::string& text, std::string* why) {
                          return parse_number_in(text, low, high, why);
                      });
}

CLI::Option* add_number(CLI::App& command, const std::string& names, int& target, int low, int high,
                        const std::string& help) {
    return add_parsed(command, names, target, help, "N",
                      [low, high](const std::string& text, std::string* why) {
                          return parse_number_in(text, low, high, why);
                      });
}

CLI::Option* add_row_width(CLI::App& command, int& target, bool required) {
    CLI::Option* option =
        add_number(command, "-w,--width", target, MIN_ROW_WIDTH, MAX_ROW_WIDTH_ARGUMENT,
                   required ? "Bytes per row, 1 to 255" : "Bytes per row, 1 to 255 (default 1)")
            ->type_name("W");
    return required ? option->required() : option;
}

CLI::Option* add_choice(CLI::App& command, const std::string& names, std::string& target,
                        const std::vector<std::string>& choices, const std::string& help) {
    std::string listed;
    for (const std::string& choice : choices) listed += (listed.empty() ? "" : "|") + choice;
    return add_parsed(
        command, names, target, help, listed,
        [choices, listed](const std::string& text, std::string* why) -> std::optional<std::string> {
            if (std::find(choices.begin(), choices.end(), text) != choices.end()) return text;
            *why = "\"" + text + "\" is not one of " + listed;
            return std::nullopt;
        });
}

CLI::Option* add_zoom(CLI::App& command, int& target) {
    return add_parsed(command, "-z,--zoom", target, "Screen pixels per data pixel: 1, 2, 4 or 8 (default 1)",
                      "Z", parse_zoom);
}

void add_transforms(CLI::App& command, Transforms& target) {
    command.add_flag("--inverse", target.inverse, "Flip every bit (set bits show black)");
    command.add_flag("--reverse", target.reverse, "Reverse the bit order inside each byte");
    command.add_flag("--nibble-swap", target.nibble_swap, "Exchange the two halves of each byte");
}
