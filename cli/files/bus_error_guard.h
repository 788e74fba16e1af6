#pragma once
// Reads of a mapped input whose file may shrink: a read of a page that the file no longer holds
// raises SIGBUS, which would end the process (a log rotated or a download restarted is enough).
// While a mapping is watched, such a read sees zeros instead and the mapping is marked, so that
// the command can throw away what it computed from it and report the file.
//
// Linux adapter. The handler runs on whichever thread read the page (the scan reads the mapping
// on worker threads it starts and joins itself), so it never jumps: it maps zero pages over the
// lost end of the mapping, marks it, and returns, and the read is repeated on the zeros. A
// SIGBUS outside every watched mapping is handed to the disposition there was before.
#include <cstddef>

class BusErrorGuard {
public:
    BusErrorGuard() = default;
    ~BusErrorGuard() { release(); }
    BusErrorGuard(const BusErrorGuard&) = delete;
    BusErrorGuard& operator=(const BusErrorGuard&) = delete;

    // Watches the `size` bytes of a read-only private file mapping from `begin`, which must stay
    // mapped until release(). False when too many mappings are watched already.
    [[nodiscard]] bool watch(const void* begin, size_t size);
    // Stops watching; called before the mapping is unmapped.
    void release();
    // True once a read of the watched mapping found its page gone.
    [[nodiscard]] bool tripped() const;

private:
    int slot_ = -1;
};
