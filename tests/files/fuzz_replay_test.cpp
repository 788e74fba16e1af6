// Every kept fuzz input (seeds and findings) still passes its property check in this build.
#include "fuzz/kept_inputs.h"
#include "fuzz/file_layer_property.h"
#include "fuzz/file_uri_property.h"

#include <gtest/gtest.h>

TEST(FuzzReplay, FileLayerSequences) {
    size_t replayed = 0;
    const auto failures = replayKeptInputs("file_layer", check_file_layer, &replayed);
    EXPECT_GT(replayed, 0u) << "no kept inputs found under " << sourceRoot();
    for (const auto& failure : failures) ADD_FAILURE() << failure;
}

TEST(FuzzReplay, FileUriLists) {
    size_t replayed = 0;
    const auto failures = replayKeptInputs("file_uri", check_file_uri, &replayed);
    EXPECT_GT(replayed, 0u) << "no kept inputs found under " << sourceRoot();
    for (const auto& failure : failures) ADD_FAILURE() << failure;
}
