// The one choice of instruction set: every level the processor has can be chosen and is then what
// every kernel asks for; a level it lacks is refused and changes nothing; going back restores the
// detected best.
#include "common/instruction_sets.h"

#include <gtest/gtest.h>

TEST(InstructionSets, EachSupportedLevelCanBeChosenAndTheBestRestored) {
    const std::vector<InstructionSet> levels = supported_instruction_sets();
    ASSERT_FALSE(levels.empty());
    EXPECT_EQ(levels.front(), InstructionSet::Baseline);
    const InstructionSet best = levels.back();
    EXPECT_EQ(active_instruction_set(), best);
    for (const InstructionSet level : levels) {
        EXPECT_TRUE(use_instruction_set(level)) << instruction_set_name(level);
        EXPECT_EQ(active_instruction_set(), level) << instruction_set_name(level);
    }
    if (best != InstructionSet::Avx512) {
        EXPECT_FALSE(use_instruction_set(InstructionSet::Avx512));
        EXPECT_EQ(active_instruction_set(), best) << "a refused level leaves the one chosen";
    }
    EXPECT_TRUE(use_instruction_set(std::nullopt));
    EXPECT_EQ(active_instruction_set(), best);
}
