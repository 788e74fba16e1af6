// The extension rule the save commands share.
#include "data/file_extension.h"

#include <gtest/gtest.h>

namespace {

TEST(FileExtension, AppendsUnlessTheLastFourCharactersMatchInAnyCase) {
    EXPECT_EQ(with_extension("sprite", ".bin"), "sprite.bin");
    EXPECT_EQ(with_extension("sprite.BIN", ".bin"), "sprite.BIN");
    EXPECT_EQ(with_extension("sprite.Bin", ".bin"), "sprite.Bin");
    EXPECT_EQ(with_extension("/tmp/Sprite.PNG", ".png"), "/tmp/Sprite.PNG");
    EXPECT_EQ(with_extension("a.b", ".bin"), "a.b.bin");
    EXPECT_EQ(with_extension("bin", ".bin"), "bin.bin");
    EXPECT_EQ(with_extension("ab", ".bin"), "ab.bin");  // shorter than the extension
    EXPECT_EQ(with_extension(".bin", ".bin"), ".bin");
    EXPECT_EQ(with_extension("", ".png"), ".png");
    EXPECT_EQ(with_extension("/a/sprite.png", ".bmp"), "/a/sprite.png.bmp");
    EXPECT_EQ(with_extension("/a/sprite.bmp", ".png"), "/a/sprite.bmp.png");
    EXPECT_EQ(with_extension("/a/x.bin/name", ".bin"), "/a/x.bin/name.bin");
}

}  // namespace
