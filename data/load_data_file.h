#pragma once
// Reading a whole file into the one DataBuffer.
#include <cstdint>
#include <string>

#include "data/data_buffer.h"

// The loaded file, for the whole run: nothing loaded at start.
extern DataBuffer loaded_data;

// Largest file that loads: the length and its 16 zero bytes must fit a 32-bit signed count.
constexpr int64_t LARGEST_LOADABLE_FILE = INT32_MAX - 16;

// What a load tells its caller. The shell records the folder and name and sets the range of
// its row scroll bar from the new length.
struct LoadResult {
    bool loaded = false;
    std::string folder;  // the folder part, up to its last "/"; the current directory for a bare name
    std::string name;    // the name part, extension included
};

// Reads the whole file `path` into a new block followed by 16 zero bytes and, once it has been
// read, puts it in `data` in place of the old block: a load that fails leaves the data shown
// before untouched. On failure it shows one message box and returns loaded = false:
//   "Memory" / "Unable to allocate memory!"   the file is 2^31 - 16 bytes or larger (refused
//                                             before any allocation or read), or memory ran out
//   "File Error" / "Unable to open:<path>"     missing, a directory, not a regular file, no access
//   "File Read Error" / "Unable to read:<path>"  the read yields no byte (an empty file too)
// A read that stops early keeps the size queried before it; the unread rest stays zero.
[[nodiscard]] LoadResult load_data_file(const std::string& path, DataBuffer& data);
