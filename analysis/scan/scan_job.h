#pragma once
// The caller-facing driver of a whole-file scan: the only part of the analysis that starts
// threads. The window's worker thread and the command line use it.
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "analysis/scan/scan_regions.h"

struct ScanJobResult {
    std::vector<PictureRegion> regions;
    bool cancelled = false;
};

// Scans [options.begin, options.end) in pieces (split at multiples of SCAN_PIECE_ALIGN) on
// `threads` threads (clamped to 1..64; 1 means no thread is started). The result equals
// scan_regions(bytes, options) unless cancelled.
//
// `progress(done_bytes, total_bytes)` is called on the calling thread only: once at the start
// with done 0, after pieces complete, and once at the end with done == total when not
// cancelled. It may be empty. Once `cancel` reads true (checked between pieces and before each
// progress call), no new piece starts, every started thread is joined, and the regions of the
// pieces finished so far in an unbroken run from the start are returned with cancelled = true.
// The bytes must stay valid until the call returns.
//
// `found`, when given, gets the regions as they are finished (no later piece can change them), in
// file order, each once, on the calling thread: together the regions of the result.
using FoundRegions = std::function<void(const std::vector<PictureRegion>&)>;
[[nodiscard]] ScanJobResult run_scan_job(std::span<const uint8_t> bytes, const ScanOptions& options,
                                         int threads, const std::function<void(uint64_t, uint64_t)>& progress,
                                         const std::atomic<bool>& cancel, const FoundRegions& found = {});
