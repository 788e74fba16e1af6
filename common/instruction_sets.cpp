#include "common/instruction_sets.h"

namespace instruction_set_detail {

uint8_t active = UNKNOWN;

namespace {

InstructionSet best_supported() {
#if PIXELSIEVE_HAS_LEVELS
    __builtin_cpu_init();  // may run before the constructors that would otherwise do it
    if (__builtin_cpu_supports("popcnt") && __builtin_cpu_supports("avx512f") &&
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vpopcntdq"))
        return InstructionSet::Avx512;
    if (__builtin_cpu_supports("popcnt")) return InstructionSet::Popcnt;
#endif
    return InstructionSet::Baseline;
}

}  // namespace

InstructionSet detect_and_store() {
    const InstructionSet best = best_supported();
    __atomic_store_n(&active, static_cast<uint8_t>(best), __ATOMIC_RELAXED);
    return best;
}

}  // namespace instruction_set_detail

std::vector<InstructionSet> supported_instruction_sets() {
    std::vector<InstructionSet> levels;
    const uint8_t best = static_cast<uint8_t>(instruction_set_detail::best_supported());
    for (uint8_t level = 0; level <= best; ++level) levels.push_back(static_cast<InstructionSet>(level));
    return levels;
}

bool use_instruction_set(std::optional<InstructionSet> level) {
    const InstructionSet best = instruction_set_detail::best_supported();
    if (level && *level > best) return false;
    __atomic_store_n(&instruction_set_detail::active, static_cast<uint8_t>(level.value_or(best)),
                     __ATOMIC_RELAXED);
    return true;
}

const char* instruction_set_name(InstructionSet level) {
    switch (level) {
        case InstructionSet::Baseline:
            return "baseline";
        case InstructionSet::Popcnt:
            return "popcnt";
        case InstructionSet::Avx512:
            return "avx512";
    }
    return "unknown";
}
