#pragma once
// What scan and find share around their walk over a mapped file: the part of the file asked
// for, the progress bar, Ctrl+C and the ending (exit code 130 with a note of how far the walk
// came, or the output flushed).
#include <cstdint>
#include <string>

#include "cli/files/output.h"
#include "cli/walk/interruption.h"
#include "cli/walk/piece_walk.h"
#include "cli/walk/progress_bar.h"

// [begin, end) of a file of `size` bytes from an offset and a length, both clamped to the file.
struct FilePart {
    uint64_t begin = 0, end = 0;
};
[[nodiscard]] FilePart file_part(uint64_t size, uint64_t offset, uint64_t length);

class LongRun {
public:
    explicit LongRun(bool progress);
    LongRun(const LongRun&) = delete;
    LongRun& operator=(const LongRun&) = delete;

    [[nodiscard]] const WalkControl& control() const { return control_; }
    [[nodiscard]] TextOut& out() { return out_; }
    // Ends the progress bar's line (before lines that follow the results).
    void end_progress() { bar_.finish(); }
    // The exit code of the walk over `file`: interrupted, the note `interrupted_note` ends the
    // output; stopped because the file lost bytes, what was found is flushed and the file's
    // message follows on standard error (exit code 1); otherwise the output must have reached
    // standard output whole.
    [[nodiscard]] int finish(const MappedFile& file, const WalkResult& walk,
                             const std::string& interrupted_note);

private:
    TextOut out_;
    ProgressBar bar_;
    const Interruptible interruption_;
    WalkControl control_;
};
