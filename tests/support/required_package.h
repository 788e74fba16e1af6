#pragma once
// Tests measured on files that packages install (console fonts, X bitmaps, icons, firmware,
// programs). scripts/setup installs them, so where CI runs a missing one is a fault: the test
// fails. Elsewhere the test is skipped, with a note on standard error that names the packages to
// install, since a skipped accuracy test otherwise passes unnoticed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

// True when the environment variable CI is set and not empty.
[[nodiscard]] bool running_in_ci();

// The note for a test that cannot run without `packages` ("seabios"), saying what is missing
// (`what`: files or a count); also written to standard error in a way that stands out.
[[nodiscard]] std::string missing_package_note(const std::string& packages, const std::string& what);

// The first few of a list of missing files, for `what`.
[[nodiscard]] std::string first_missing(const std::vector<std::string>& missing);

// Ends the test unless `present`: failed in CI, skipped elsewhere, with missing_package_note.
#define REQUIRE_PACKAGE(present, packages, what)                                            \
    do {                                                                                    \
        if (!(present)) {                                                                   \
            const std::string missing_package_note_ = missing_package_note(packages, what); \
            if (running_in_ci()) GTEST_FAIL() << missing_package_note_;                     \
            GTEST_SKIP() << missing_package_note_;                                          \
        }                                                                                   \
    } while (false)
