#pragma once
// "Save binary...": writes a run of bytes starting at the first byte shown.
#include <cstdint>
#include <string>

#include "data/data_buffer.h"

// Asks for the size and the file name, then writes the bytes with inverse and bit reversal
// applied (never the nibble swap). Every outcome is shown to the user or is a silent cancel.
// Positions before the data are written as zero bytes; a run reaching past the end of the data
// is refused before the file dialog. When any byte or the close fails to reach the file, the
// partial file is removed and the failure is reported like a file that cannot be created, so a
// slice file that exists is always complete.
void save_binary_slice(const DataBuffer& data, int32_t display_offset, bool inverse, bool reverse,
                       const std::string& last_folder);
