#pragma once
// The program's entry and exit.
#include <string>

// The file named on the command line: the first argument after the program name, taken whole
// (a path with spaces arrives as one argument; enclosing double quotes, as a launcher may leave
// them, are removed). Empty when there is none.
[[nodiscard]] std::string command_line_file(int argc, char** argv);

// Starts the services, builds the window, reads the settings, loads the command-line file, runs
// the event loop and shuts down. Returns the process's exit code: 0 on every way out of a
// started program, 1 only when no display can be opened (a message says so on stderr).
int run_program(int argc, char** argv);
