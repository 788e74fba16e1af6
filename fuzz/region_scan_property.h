#pragma once
// The region scan on any bytes: the input, repeated a few times, lies across the boundary of two
// scan pieces among zeros. Scanned whole, scanned in pieces cut at aligned places chosen by the
// input and joined with a RegionStream, and scanned by the job on two threads, it gives the same
// regions; every region lies inside the part scanned, in order, without overlap, at a width in
// range.
#include <string>
#include <vector>

#include "analysis/scan/region_stream.h"
#include "analysis/scan/scan_job.h"
#include "analysis/scan/scan_regions.h"
#include "fuzz/check_report.h"
#include "fuzz/fuzz_input.h"

inline std::string describe_regions(const std::vector<PictureRegion>& regions) {
    std::string out;
    for (const auto& r : regions)
        out += "[" + std::to_string(r.start) + "," + std::to_string(r.end) + ")@" + std::to_string(r.width) +
               " ";
    return out.empty() ? "none" : out;
}

inline std::string check_region_scan(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int repeats = static_cast<int>(in.range(1, 16));
    const int max_width = static_cast<int>(in.range(1, MAX_ROW_WIDTH));
    const uint64_t cut_after = static_cast<uint64_t>(in.range(0, 3));  // the first piece's length in pieces
    const std::string payload = in.rest();

    // Three pieces' worth of zeros with the payload straddling the boundary between the first two.
    std::vector<uint8_t> bytes(3 * SCAN_PIECE_ALIGN, 0);
    const uint64_t length =
        std::min<uint64_t>(payload.size() * static_cast<uint64_t>(repeats), SCAN_PIECE_ALIGN);
    const uint64_t at = SCAN_PIECE_ALIGN - length / 2;
    for (uint64_t i = 0; i < length && !payload.empty(); ++i)
        bytes[at + i] = static_cast<uint8_t>(payload[i % payload.size()]);

    ScanOptions options;
    options.max_width = max_width;
    options.begin = at > 100 ? at - 100 : 0;
    options.end = bytes.size() - 7;
    const auto whole = scan_regions(bytes, options);

    CheckReport report;
    uint64_t previous_end = options.begin;
    for (const auto& r : whole) {
        report.expect(r.start >= previous_end && r.start < r.end && r.end <= options.end,
                      "regions inside the part, in order, apart: " + describe_regions(whole));
        report.expect(r.width >= 1 && r.width <= max_width, "width in range: " + describe_regions(whole));
        previous_end = r.end;
    }

    RegionStream stream(bytes, true);
    std::vector<PictureRegion> joined;
    for (uint64_t from = options.begin; from < options.end;) {
        const uint64_t to =
            std::min(options.end, (from / SCAN_PIECE_ALIGN + 1 + cut_after) * SCAN_PIECE_ALIGN);
        ScanOptions piece = options;
        piece.begin = from;
        piece.end = to;
        piece.judge_whole_regions = false;
        for (const auto& r : stream.feed(scan_regions(bytes, piece), to)) joined.push_back(r);
        from = to;
    }
    for (const auto& r : stream.finish()) joined.push_back(r);
    report.expect(joined == whole, "pieces joined: " + describe_regions(joined) +
                                       " against one call: " + describe_regions(whole));

    const std::atomic<bool> never{false};
    const ScanJobResult job = run_scan_job(bytes, options, 2, {}, never);
    report.expect(
        !job.cancelled && job.regions == whole,
        "the job: " + describe_regions(job.regions) + " against one call: " + describe_regions(whole));
    return report.message();
}
