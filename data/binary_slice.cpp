#include "data/binary_slice.h"

#include <cstdio>

#include "data/file_extension.h"
#include "data/number_entry.h"
#include "runtime/files/files.h"
#include "runtime/ui/requesters.h"

namespace {

constexpr int SLICE_FILE = 0;
constexpr const char* SLICE_TITLE = "Save binary file";

// The same bit reversal as the view's table, computed here because this layer sits below the
// view and must not depend on its start-up having built the table.
constexpr uint8_t reversed_bits(uint8_t byte) {
    uint8_t out = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (byte & (1u << bit)) out |= static_cast<uint8_t>(0x80u >> bit);
    }
    return out;
}
static_assert(reversed_bits(0x01) == 0x80 && reversed_bits(0xFE) == 0x7F && reversed_bits(0xA0) == 0x05);

// Writes positions [start, start + count) as the view shows them under inverse and reverse.
// Positions before the data are zero bytes, untouched by the transform. The caller has checked
// that the run ends at or before the end of the data. False as soon as a byte does not reach the
// file or the close reports a loss.
[[nodiscard]] bool write_slice(const DataBuffer& data, int64_t start, int64_t count, bool inverse,
                               bool reverse) {
    const uint8_t mask = inverse ? 0xFF : 0x00;
    bool written = true;
    for (int64_t p = start; p < start + count && written; ++p) {
        uint8_t byte = 0;
        if (p >= 0) {
            byte = static_cast<uint8_t>(data.bytes[static_cast<size_t>(p)] ^ mask);
            if (reverse) byte = reversed_bits(byte);
        }
        written = writeOneByte(SLICE_FILE, byte) == 1;
    }
    // Close even after a failed write so the number is released; its result matters only when
    // everything before it succeeded.
    const bool closed = closeFileNumber(SLICE_FILE) != 0;
    return written && closed;
}

}  // namespace

void save_binary_slice(const DataBuffer& data, int32_t display_offset, bool inverse, bool reverse,
                       const std::string& last_folder) {
    const std::string typed = inputDialog("size", "Enter size(hex/dec)", "0000");
    if (typed.empty()) return;

    const EnteredNumber size = parse_entered_number(typed);
    if (!size.ok) {
        messageBox("wrong input", "can't convert:" + typed);
        return;
    }

    // 64-bit sums: a start near the top of the 32-bit range plus a large size must not wrap
    // into a small value that passes.
    const int64_t start = display_offset;
    const int64_t count = size.value;
    if (start + count > static_cast<int64_t>(data.len)) {
        messageBox(SLICE_TITLE, "Too big value!");
        return;
    }

    const std::string chosen =
        saveFileDialog("Please choose file to save", last_folder, "Binary file (*.bin)|*.bin", 0);
    if (chosen.empty()) return;
    const std::string name = with_extension(chosen, ".bin");

    if (createForWriting(SLICE_FILE, name) == 0) {
        messageBox(SLICE_TITLE, "Cannot save\r\n" + name);
        return;
    }
    if (!write_slice(data, start, count, inverse, reverse)) {
        // A short file must not pass for the slice: the user is told, and nothing is left behind.
        std::remove(name.c_str());
        messageBox(SLICE_TITLE, "Cannot save\r\n" + name);
    }
}
