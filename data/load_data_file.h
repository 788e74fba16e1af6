#pragma once
// Reading a whole file into the one DataBuffer.
#include <cstdint>
#include <string>

#include "data/data_buffer.h"

// The loaded file, for the whole run: nothing loaded at start.
extern DataBuffer loaded_data;

// Largest file that loads: the length and its 16 zero bytes must fit a 32-bit signed count.
constexpr int64_t LARGEST_LOADABLE_FILE = INT32_MAX - 16;

// Where a successful load records the file, and the scroll bar whose range follows it.
struct LoadTargets {
    std::string* last_folder = nullptr;     // set to the folder part, up to its last "/"
    std::string* last_file_name = nullptr;  // set to the name part, extension included
    int32_t row_width = 1;                  // the row scroll bar's maximum becomes len / row_width
    int row_scroll_bar = 1;
};

// Replaces `data` (the old block is freed first) with the whole file `path` followed by 16 zero
// bytes. On failure it shows one message box, leaves `data` empty and returns false; the caller
// then ends the program without storing its settings:
//   "Memory" / "Unable to allocate memory!"   the file is 2^31 - 16 bytes or larger (refused
//                                             before any allocation or read), or memory ran out
//   "File Error" / "Unable to open:<path>"     missing, a directory, not a regular file, no access
//   "File Read Error" / "Unable to read:<path>"  the read yields no byte (an empty file too)
// A read that stops early keeps the size queried before it; the unread rest stays zero.
[[nodiscard]] bool load_data_file(const std::string& path, DataBuffer& data, const LoadTargets& targets);
