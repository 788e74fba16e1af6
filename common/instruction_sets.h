#pragma once
// The one place that decides which instruction set the hot kernels run on.
//
// Each kernel with a vector form is built once per level below (function attributes, so the rest
// of the program keeps the baseline instruction set) and asks active_instruction_set() which
// one to run. The level is detected once, the first time anyone asks; tests and benchmarks can
// step it down to run the other forms on the same machine.
#include <cstdint>
#include <optional>
#include <vector>

enum class InstructionSet : uint8_t {
    Baseline = 0,  // x86-64 as every such processor has it (SSE2), or any other processor
    Popcnt = 1,    // + the population-count instruction
    Avx512 = 2,    // + AVX-512 F, BW and VPOPCNTDQ (64-byte vectors and their bit counts)
};

// Function attributes for the levels: a kernel's body, written once as an always-inline function,
// is compiled into one such function per level.
#if defined(__x86_64__) && defined(__GNUC__)
#define PIXELSIEVE_HAS_LEVELS 1
#define PIXELSIEVE_TARGET_POPCNT __attribute__((target("popcnt")))
#define PIXELSIEVE_TARGET_AVX512 __attribute__((target("popcnt,avx512f,avx512bw,avx512vpopcntdq")))
#else
#define PIXELSIEVE_HAS_LEVELS 0
#define PIXELSIEVE_TARGET_POPCNT
#define PIXELSIEVE_TARGET_AVX512
#endif
#define PIXELSIEVE_KERNEL_BODY __attribute__((always_inline)) inline

namespace instruction_set_detail {
constexpr uint8_t UNKNOWN = 0xFF;
InstructionSet detect_and_store();
extern uint8_t active;  // an InstructionSet, or UNKNOWN before the first question
}  // namespace instruction_set_detail

// The level every kernel runs on now: the best the processor supports, unless a test chose a
// lower one. Cheap enough to ask once per kernel call.
[[nodiscard]] inline InstructionSet active_instruction_set() {
    const uint8_t level = __atomic_load_n(&instruction_set_detail::active, __ATOMIC_RELAXED);
    return level == instruction_set_detail::UNKNOWN ? instruction_set_detail::detect_and_store()
                                                    : static_cast<InstructionSet>(level);
}

// The levels this processor can run, lowest first (Baseline always).
[[nodiscard]] std::vector<InstructionSet> supported_instruction_sets();

// For tests and benchmarks: every kernel runs on `level` from now on (a level the processor lacks
// is refused: false), or again on the detected best with std::nullopt. Not for use while other
// threads run kernels: they may see either level for a while.
bool use_instruction_set(std::optional<InstructionSet> level);

// "baseline", "popcnt", "avx512": for test names and benchmark labels.
[[nodiscard]] const char* instruction_set_name(InstructionSet level);
