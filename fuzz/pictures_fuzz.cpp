#include "fuzz/fuzz_entry.h"
#include "fuzz/pictures_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFailure(check_pictures(data, size));
}
