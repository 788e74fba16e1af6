#include "data/file_extension.h"

#include "runtime/text/text.h"

std::string with_extension(const std::string& name, const std::string& extension) {
    // A start position below 1 yields the whole name, which then cannot match a longer extension.
    const std::string tail = toLowerCase(substringFrom(name, textLength(name) - textLength(extension) + 1));
    return tail == toLowerCase(extension) ? name : name + extension;
}
