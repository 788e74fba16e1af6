#include "fuzz/fuzz_entry.h"
#include "fuzz/region_scan_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFailure(check_region_scan(data, size));
}
