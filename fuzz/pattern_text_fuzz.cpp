#include "fuzz/fuzz_entry.h"
#include "fuzz/pattern_text_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFailure(check_pattern_text(data, size));
}
