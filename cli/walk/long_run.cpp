#include "cli/walk/long_run.h"

#include <algorithm>

FilePart file_part(uint64_t size, uint64_t offset, uint64_t length) {
    FilePart part;
    part.begin = std::min(offset, size);
    part.end = length > size - part.begin ? size : part.begin + length;
    return part;
}

LongRun::LongRun(bool progress) : bar_(progress) {
    control_.progress = [this](uint64_t done, uint64_t total) { bar_.update(done, total); };
    control_.cancel = &interruption_.flag();
}

int LongRun::finish(const MappedFile& file, const WalkResult& walk, const std::string& interrupted_note) {
    bar_.finish();
    if (walk.lost_bytes) {
        static_cast<void>(out_.finish());  // what was found goes out before the message
        return report(EXIT_FILE_PROBLEM,
                      file.lost_bytes_error() + "; the results above were found before that");
    }
    if (walk.cancelled) {
        out_.line(interrupted_note);
        static_cast<void>(out_.finish());  // already ending with a failure code
        return EXIT_INTERRUPTED;
    }
    return out_.finish() ? EXIT_DONE : report(EXIT_FILE_PROBLEM, "cannot write to standard output");
}
