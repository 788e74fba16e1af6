#include "fuzz/fuzz_entry.h"
#include "fuzz/number_entry_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFailure(check_number_entry(data, size));
}
