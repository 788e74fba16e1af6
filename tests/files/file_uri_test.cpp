// File names out of the URI lists that drag and drop carries.
#include "runtime/files/file_uri.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

TEST(FileUriTest, LocalNamesAreTakenByteForByte) {
    EXPECT_EQ(localPathOfFileUri("file:///tmp/a%20b.bin"), "/tmp/a b.bin");
    EXPECT_EQ(localPathOfFileUri("file:///tmp/%FF%fe.bin"), "/tmp/\xff\xfe.bin");
    EXPECT_EQ(localPathOfFileUri("file:///tmp/raw\xff.bin"), "/tmp/raw\xff.bin") << "left unescaped";
    EXPECT_EQ(localPathOfFileUri("FILE://localhost/x/%"), "/x/%") << "a lone % stays";
    EXPECT_EQ(localPathOfFileUri("file:/x/y%2"), "/x/y%2");
    EXPECT_EQ(localPathOfFileUri("file:///x/a%23b?query#part"), "/x/a#b");
    EXPECT_EQ(localPathOfFileUri("file://elsewhere.example/x"), std::nullopt);
    EXPECT_EQ(localPathOfFileUri("https://example.org/x"), std::nullopt);
    EXPECT_EQ(localPathOfFileUri("file:///x/a%00b"), std::nullopt);
    EXPECT_EQ(localPathOfFileUri("file://"), std::nullopt);
    EXPECT_EQ(localPathOfFileUri("file:relative"), std::nullopt);

    EXPECT_EQ(localPathsOfUriList("# from a file manager\r\nfile:///a\r\nfile:///b%0A\r\n"),
              (std::vector<std::string>{"/a", "/b\n"}));
    EXPECT_EQ(localPathsOfUriList("file:///a\nfile:///b"), (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(localPathsOfUriList("file:///a\r\nhttp://x/b\r\n"), std::nullopt) << "all or nothing";
    EXPECT_EQ(localPathsOfUriList("# nothing\r\n\r\n"), std::nullopt);
}

}  // namespace
