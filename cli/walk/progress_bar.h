#pragma once
// A progress bar on standard error for long walks through a file, redrawn in place only when
// what it shows changes, and ended with a line break.
#include <cstdint>

class ProgressBar {
public:
    explicit ProgressBar(bool shown) : shown_(shown) {}
    ~ProgressBar() { finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(uint64_t done, uint64_t total);
    // Ends the bar's line; later updates draw nothing.
    void finish();

private:
    bool shown_;
    bool drawn_ = false;
    int last_permille_ = -1;
};
