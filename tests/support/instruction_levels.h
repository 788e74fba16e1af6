#pragma once
// Runs a parameterised test once on every instruction set level this processor supports, so that
// the portable forms of the kernels are tested on machines that would never choose them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "common/instruction_sets.h"

// Every kernel runs on `level` while this lives.
class InstructionSetGuard {
public:
    explicit InstructionSetGuard(InstructionSet level) { EXPECT_TRUE(use_instruction_set(level)); }
    ~InstructionSetGuard() { use_instruction_set(std::nullopt); }
    InstructionSetGuard(const InstructionSetGuard&) = delete;
    InstructionSetGuard& operator=(const InstructionSetGuard&) = delete;
};

// A fixture whose tests run on the level they are instantiated with.
class OnEachInstructionSet : public ::testing::TestWithParam<InstructionSet> {
    InstructionSetGuard level_{GetParam()};
};

#define PIXELSIEVE_ON_EACH_INSTRUCTION_SET(suite)                         \
    INSTANTIATE_TEST_SUITE_P(                                             \
        Levels, suite, ::testing::ValuesIn(supported_instruction_sets()), \
        [](const auto& level) { return std::string(instruction_set_name(level.param)); })
