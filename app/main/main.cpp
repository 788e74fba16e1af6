// The program's entry: everything else lives in the app library, where the tests reach it.
#include "app/program.h"

int main(int argc, char** argv) { return run_program(argc, argv); }
