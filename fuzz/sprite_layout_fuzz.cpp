#include "fuzz/fuzz_entry.h"
#include "fuzz/sprite_layout_property.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFailure(check_sprite_layout(data, size));
}
