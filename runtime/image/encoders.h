#pragma once
// Writing numbered images to BMP and PNG files.
#include <cstdint>
#include <string>

constexpr int32_t FORMAT_BMP = 0x504D42;  // "BMP" read as a little-endian integer
constexpr int32_t FORMAT_PNG = 0x474E50;  // "PNG"

// Adds the PNG encoder once; later calls do nothing.
void registerPngEncoder();
// 1 on success, 0 on failure. The picture goes to a new file beside the target, renamed over
// it once complete (see runtime/files/replacing_file.h): after a failure an existing file of
// that name is as it was and nothing is left beside it. A target that is not a regular file
// (directory, FIFO, device) is refused without being opened; a symbolic link is followed and
// a replaced file keeps its permission bits.
[[nodiscard]] int saveImageFile(int number, const std::string& path, int32_t formatCode);
[[nodiscard]] int saveImageBmp(int number, const std::string& path);
