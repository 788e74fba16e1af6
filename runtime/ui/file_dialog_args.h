#pragma once
// Reading the arguments of the file dialogs, kept toolkit-free so that the rules are tested
// on their own. Internal to runtime/ui.
#include <string>
#include <vector>

struct FilePattern {
    std::string label;
    // One or more wildcards separated by ";".
    std::string pattern;
};

// "label|pattern|label|pattern…" as pairs. The list ends at the first empty label or pattern,
// and a label without its pattern is dropped.
[[nodiscard]] std::vector<FilePattern> parsePatternList(const std::string& patterns);

struct InitialLocation {
    // Empty: the dialog chooses.
    std::string folder;
    // Empty: the name field starts empty.
    std::string name;
};

// Splits a default path at its last "/" or "\": the folder before it, the name after it. A
// separator at the very start leaves the whole path as the name, except that a leading "/" is
// the root folder. A name holding a character below 32 or one of " * / : < > ? \ | is not
// offered, so a path ending in a separator opens its folder with an empty name. Names are cut
// to 259 characters.
[[nodiscard]] InitialLocation splitDefaultPath(const std::string& defaultPath);
