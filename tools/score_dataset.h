#pragma once
// The labelled regions the picture score is learned from: what the scan finds in real files,
// each example marked a drawing (1) or data (0) by where the known pictures lie.
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/pictures/region_features.h"

struct KnownPicture {
    uint64_t start = 0, end = 0;
    int width = 0;
};

// One file the scan ran over, and the pictures known to be in it.
struct LabelledFile {
    std::string name;
    std::string group;  // files of one group are held out together
    std::vector<uint8_t> bytes;
    std::vector<KnownPicture> pictures;
};

struct Example {
    RegionFeatures features{};
    int label = 0;
    size_t file = 0;  // index into the files
    uint64_t start = 0, end = 0;
    int width = 0;
};

// Every file of the training set: whole programs and libraries with fonts, bitmaps and icons
// planted into them, whole console fonts, and the real files under `packages` (a folder holding
// Debian packages unpacked: a kernel, an emulator, boot loaders, firmware), their fonts located by
// their glyphs.
[[nodiscard]] std::vector<LabelledFile> training_files(const std::string& packages);

// The examples of one file: every region the scan finds and every font the region holds with the
// parts beside it, labelled by overlap with the known pictures; those half inside a picture of
// another width are left out.
[[nodiscard]] std::vector<Example> file_examples(const LabelledFile& file, size_t index);
