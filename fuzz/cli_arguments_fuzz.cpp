#include "fuzz/cli_arguments_property.h"
#include "fuzz/fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return abortOnFailure(check_cli_arguments(data, size));
}
