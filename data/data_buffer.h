#pragma once
// The loaded file: `len` bytes followed by 16 zero bytes; no block and len 0 while nothing
// is loaded.
#include <cstdint>
#include <memory>

struct DataBuffer {
    std::unique_ptr<uint8_t[]> bytes;
    int32_t len = 0;

    bool loaded() const { return bytes != nullptr; }
    void release() {
        bytes.reset();
        len = 0;
    }
};
