#include "tests/support/required_package.h"

#include <cstdio>
#include <cstdlib>

bool running_in_ci() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && ci[0] != '\0';
}

std::string missing_package_note(const std::string& packages, const std::string& what) {
    const std::string note = "needs " + packages + " (" + what + "); install with scripts/setup" +
                             (running_in_ci() ? " (CI is set: a missing package is a fault)" : "");
    std::fprintf(stderr, "\n*** NOT TESTED: %s ***\n\n", note.c_str());
    return note;
}

std::string first_missing(const std::vector<std::string>& missing) {
    if (missing.empty()) return "too few of its files";
    std::string listed = "missing " + missing[0];
    if (missing.size() > 1) listed += " and " + std::to_string(missing.size() - 1) + " more";
    return listed;
}
