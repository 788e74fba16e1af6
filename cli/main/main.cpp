// The command line's entry: everything else lives in the cli library, where the tests reach it.
#include "cli/commands.h"

int main(int argc, char** argv) { return run_cli(argc, argv); }
