#pragma once
// "Save binary...": writes a run of bytes starting at the first byte shown.
#include <cstdint>
#include <string>

#include "data/data_buffer.h"

// Asks for the size and the file name, then writes the bytes with inverse and bit reversal
// applied (never the nibble swap). Every outcome is shown to the user or is a silent cancel.
// Positions before the data are written as zero bytes; a run reaching past the end of the data
// is refused before the file dialog. The slice replaces the chosen file only once every byte
// reached the disk: when anything fails, an existing file of that name keeps its bytes, nothing
// is left beside it, and the failure is reported like a file that cannot be created. A name
// that is not a regular file (folder, FIFO, device) is refused with the same message; a
// symbolic link is followed, and a replaced file keeps its permission bits.
void save_binary_slice(const DataBuffer& data, int32_t display_offset, bool inverse, bool reverse,
                       const std::string& last_folder);
