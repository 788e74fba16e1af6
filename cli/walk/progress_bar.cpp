#include "cli/walk/progress_bar.h"

#include <cstdio>
#include <string>

namespace {

constexpr int BAR_CELLS = 40;

std::string mebibytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

}  // namespace

void ProgressBar::update(uint64_t done, uint64_t total) {
    if (!shown_) return;
    const int permille = total == 0 ? 1000 : static_cast<int>(static_cast<long double>(done) * 1000 / total);
    if (permille == last_permille_) return;
    last_permille_ = permille;
    const int filled = permille * BAR_CELLS / 1000;
    const std::string bar =
        std::string(static_cast<size_t>(filled), '#') + std::string(BAR_CELLS - filled, '.');
    std::fprintf(stderr, "\r[%s] %3d.%d%%  %s of %s", bar.c_str(), permille / 10, permille % 10,
                 mebibytes(done).c_str(), mebibytes(total).c_str());
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressBar::finish() {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
    shown_ = false;
}
