#pragma once
// The libFuzzer side of a property check: a failed property aborts, which libFuzzer records
// as a crash and saves the input for.
#include <cstdio>
#include <cstdlib>
#include <string>

inline int abortOnFailure(const std::string& failure) {
    if (!failure.empty()) {
        std::fprintf(stderr, "property failed: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
