#include "cli/walk/pictures_in_pieces.h"

#include "cli/walk/scan_in_pieces.h"

WalkResult pictures_in_pieces(const MappedFile& file, const ScanOptions& options, int threads,
                              const std::function<void(const FoundPicture&)>& emit,
                              const WalkControl& control) {
    PictureStream pictures(file.bytes());
    auto hand_out = [&](const std::vector<FoundPicture>& described) {
        for (const FoundPicture& picture : described) emit(picture);
    };
    WalkResult walk = scan_in_pieces(
        file, options, threads, [&](const PictureRegion& region) { hand_out(pictures.feed(region)); },
        control);
    // The regions handed out were scanned before any bytes were lost: theirs are described even
    // when the walk stopped for that.
    hand_out(pictures.finish());
    walk.lost_bytes = walk.lost_bytes || file.lost_bytes();
    return walk;
}
