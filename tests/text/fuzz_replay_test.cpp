// Every kept fuzz input (seeds and findings) still passes its property check in this build.
#include "fuzz/kept_inputs.h"
#include "fuzz/number_entry_property.h"
#include "fuzz/text_routines_property.h"

#include <gtest/gtest.h>

TEST(FuzzReplay, TextRoutines) {
    size_t replayed = 0;
    const auto failures = replayKeptInputs("text_routines", check_text_routines, &replayed);
    EXPECT_GT(replayed, 0u) << "no kept inputs found under " << sourceRoot();
    for (const auto& failure : failures) ADD_FAILURE() << failure;
}

TEST(FuzzReplay, NumberEntry) {
    size_t replayed = 0;
    const auto failures = replayKeptInputs("number_entry", check_number_entry, &replayed);
    EXPECT_GT(replayed, 0u) << "no kept inputs found under " << sourceRoot();
    for (const auto& failure : failures) ADD_FAILURE() << failure;
}
