#include "fuzz/fuzz_entry.h"
#include "fuzz/text_routines_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFailure(check_text_routines(data, size));
}
