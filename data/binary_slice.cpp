#include "data/binary_slice.h"

#include "common/byte_tables.h"
#include "data/entry/number_entry.h"
#include "data/file_extension.h"
#include "runtime/files/files.h"
#include "runtime/ui/requesters.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int SLICE_FILE = 0;
constexpr const char* SLICE_TITLE = "Save binary file";

// Bytes go to the file in runs of this size: one byte per call would spend seconds per hundred
// megabytes in call overhead while the window is frozen.
constexpr int64_t CHUNK_BYTES = 64 * 1024;

// Writes positions [start, start + count) as the view shows them under inverse and reverse.
// Positions before the data are zero bytes, untouched by the transform. The caller has checked
// that the run ends at or before the end of the data. False as soon as a run does not reach the
// file whole, or when the close could not complete the file.
[[nodiscard]] bool write_slice(const DataBuffer& data, int64_t start, int64_t count, bool inverse,
                               bool reverse) {
    const uint8_t mask = inverse ? 0xFF : 0x00;
    std::vector<uint8_t> chunk(static_cast<size_t>(std::clamp<int64_t>(count, 0, CHUNK_BYTES)));
    bool written = true;
    for (int64_t done = 0; done < count && written;) {
        const int64_t run = std::min(count - done, CHUNK_BYTES);
        for (int64_t k = 0; k < run; ++k) {
            const int64_t p = start + done + k;
            uint8_t byte = 0;
            if (p >= 0) {
                byte = static_cast<uint8_t>(data.bytes[static_cast<size_t>(p)] ^ mask);
                if (reverse) byte = reverse_table[byte];
            }
            chunk[static_cast<size_t>(k)] = byte;
        }
        written = writeBlock(SLICE_FILE, chunk.data(), run) == run;
        done += run;
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
        // The file layer has dropped the incomplete file and left the target as it was.
        messageBox(SLICE_TITLE, "Cannot save\r\n" + name);
    }
}
