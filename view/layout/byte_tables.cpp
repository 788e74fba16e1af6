#include "view/layout/sprite_layout.h"

#include <string>

#include "runtime/text/text.h"

uint8_t reverse_table[256];
uint8_t nibble_table[256];

void build_byte_tables() {
    for (int i = 0; i < 256; ++i) {
        // The eight binary digits, most significant first, read back in the opposite order.
        std::string binary = "%";
        binary += reverseText(padLeft(binaryText(i), 8, "0"));
        reverse_table[i] = static_cast<uint8_t>(parseNumber(binary));
        nibble_table[i] = static_cast<uint8_t>((i & 0x0F) * 16 + (i & 0xF0) / 16);
    }
}
