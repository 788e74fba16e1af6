#include "cli/files/bus_error_guard.h"

#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>

namespace {

// Inputs a command holds at once: the file, and find's pattern.
constexpr int SLOTS = 8;

// Read by the handler on any thread: plain lock-free atomics only.
struct Slot {
    std::atomic<bool> taken{false};
    std::atomic<uintptr_t> begin{0};  // 0 while not watching
    std::atomic<uintptr_t> end{0};
    std::atomic<bool> tripped{false};
};
static_assert(std::atomic<uintptr_t>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "read from a signal handler");

Slot slots[SLOTS];
std::atomic<uintptr_t> page_mask{0};
struct sigaction previous {};

extern "C" void onBusError(int signal, siginfo_t* info, void*) {
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        const uintptr_t begin = slot.begin.load();
        const uintptr_t end = slot.end.load();
        if (begin == 0 || address < begin || address >= end) continue;
        slot.tripped.store(true);
        // Zero pages from the lost one to the end of the mapping: the rest of the file is gone too.
        // The raw system call: the library's mmap may be wrapped by code not made for handlers.
        const uintptr_t page = address & page_mask.load();
        const long mapped =
            ::syscall(SYS_mmap, page, end - page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (mapped != -1) return;
        break;
    }
    // Not ours (or not mended): the earlier disposition takes it. A fault repeats on return; a
    // signal someone sent is sent again.
    sigaction(SIGBUS, &previous, nullptr);
    if (info->si_code <= 0) ::raise(signal);
}

void installHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        page_mask.store(~static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE) - 1));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &previous);
    });
}

}  // namespace

bool BusErrorGuard::watch(const void* begin, size_t size) {
    release();
    installHandler();
    for (int i = 0; i < SLOTS; ++i) {
        bool free = false;
        if (!slots[i].taken.compare_exchange_strong(free, true)) continue;
        const auto from = reinterpret_cast<uintptr_t>(begin);
        slots[i].tripped.store(false);
        slots[i].end.store(from + size);
        slots[i].begin.store(from);
        slot_ = i;
        return true;
    }
    return false;
}

void BusErrorGuard::release() {
    if (slot_ < 0) return;
    slots[slot_].begin.store(0);
    slots[slot_].end.store(0);
    slots[slot_].taken.store(false);
    slot_ = -1;
}

bool BusErrorGuard::tripped() const { return slot_ >= 0 && slots[slot_].tripped.load(); }
