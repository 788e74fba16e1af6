#pragma once
// Writing numbered images to BMP and PNG files.
#include <cstdint>
#include <string>

constexpr int32_t FORMAT_BMP = 0x504D42;  // "BMP" read as a little-endian integer
constexpr int32_t FORMAT_PNG = 0x474E50;  // "PNG"

// Adds the PNG encoder once; later calls do nothing.
void registerPngEncoder();
// 1 on success, 0 on failure. A file created and then not completely written is deleted;
// a file that could not be created leaves an existing file of that name untouched.
[[nodiscard]] int saveImageFile(int number, const std::string& path, int32_t formatCode);
[[nodiscard]] int saveImageBmp(int number, const std::string& path);
