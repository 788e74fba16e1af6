// "Save image...": the command with its dialogs answered from a timer, the files decoded again.
#include "app/image_export.h"

#include "app/shell_ids.h"
#include "runtime/image/encoders.h"
#include "runtime/image/image.h"
#include "tests/support/modal_driver.h"
#include "tests/support/temp_dir.h"

#include <QImage>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

class ImageExportTest : public TempDir {
protected:
    void SetUp() override {
        TempDir::SetUp();
        state_.last_folder = dir_.string() + "/";
        registerPngEncoder();
        // A picture no symmetry hides: distinct channels in each quadrant and a one-pixel column
        // and row at the edges, so flipped rows, swapped channels or a shifted row all show.
        ASSERT_NE(newImage(VIEW_IMAGE, 600, 512), 0);
        ASSERT_NE(beginDrawing(imageTarget(VIEW_IMAGE)), 0);
        fillBox(0, 0, 300, 256, 0x0000FF);      // red
        fillBox(300, 0, 300, 256, 0x00FF00);    // green
        fillBox(0, 256, 300, 256, 0xFF0000);    // blue
        fillBox(300, 256, 300, 256, 0xFFFFFF);  // white
        fillBox(0, 0, 1, 512, 0x123456);
        fillBox(0, 511, 600, 1, 0xABCDEF);
        fillBox(599, 0, 1, 1, 0x000000);
        endDrawing();
    }
    void TearDown() override {
        releaseImage(VIEW_IMAGE);
        TempDir::TearDown();
    }

    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        return names;
    }
    static std::string magic(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::string head(4, '\0');
        in.read(head.data(), 4);
        return head;
    }
    // Every decoded pixel equals the view image's.
    static void expectViewPixels(const std::string& path) {
        const QImage decoded(QString::fromStdString(path));
        ASSERT_FALSE(decoded.isNull()) << path;
        ASSERT_EQ(decoded.width(), 600);
        ASSERT_EQ(decoded.height(), 512);
        const PixelSurface* view = imageSurface(VIEW_IMAGE);
        for (int y = 0; y < 512; ++y) {
            for (int x = 0; x < 600; ++x) {
                const QRgb got = decoded.pixel(x, y);
                const ColourValue want = view->pixel(x, y);
                const ColourValue packed = static_cast<ColourValue>(qRed(got)) |
                                           static_cast<ColourValue>(qGreen(got)) << 8 |
                                           static_cast<ColourValue>(qBlue(got)) << 16;
                ASSERT_EQ(packed, want & 0xFFFFFF) << path << " at " << x << "," << y;
            }
        }
    }

    ShellState state_;
};

struct NameCase {
    const char* typed;
    int pattern;
    const char* written;
    const char* signature;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.typed << " with pattern " << c.pattern; }

std::string nameCaseName(const ::testing::TestParamInfo<NameCase>& c) {
    std::string name = c.param.typed;
    for (char& ch : name) {
        if (ch == '.') ch = '_';
    }
    return name + (c.param.pattern == 0 ? "_AsPng" : "_AsBmp");
}

class ExportNames : public ImageExportTest, public ::testing::WithParamInterface<NameCase> {};

// The pattern decides the format; the name keeps whatever it had and gains the chosen extension
// unless it already ends in it (in any case).
TEST_P(ExportNames, ChosenPatternDecidesFormatAndExtension) {
    const NameCase& c = GetParam();
    ModalDriver driver;
    driver.chooseFile(path(c.typed), c.pattern);
    export_image(state_);
    ASSERT_TRUE(driver.allStepsUsed());
    ASSERT_EQ(driver.seen().size(), 1u) << "no message after a successful save";
    EXPECT_EQ(files(), std::vector<std::string>{c.written});
    EXPECT_EQ(magic(path(c.written)), c.signature);
    expectViewPixels(path(c.written));
}

INSTANTIATE_TEST_SUITE_P(Patterns, ExportNames,
                         ::testing::Values(NameCase{"sprite", 0, "sprite.png", "\x89PNG"},
                                           NameCase{"sprite.PNG", 0, "sprite.PNG", "\x89PNG"},
                                           NameCase{"sprite.png", 1, "sprite.png.bmp", "BM6\x10"},
                                           NameCase{"sprite.bmp", 0, "sprite.bmp.png", "\x89PNG"},
                                           NameCase{"sprite", 1, "sprite.bmp", "BM6\x10"}),
                         nameCaseName);

TEST_F(ImageExportTest, OffersTheLoadedFileAndPngFirst) {
    state_.last_file_name = "game.rom";
    ModalDriver driver;
    driver.chooseFile(path("game.rom"), 0);
    export_image(state_);
    ASSERT_EQ(driver.seen().size(), 1u);
    const SeenDialog& dialog = driver.seen()[0];
    EXPECT_EQ(dialog.title, "Please choose file to save");
    EXPECT_EQ(fs::path(dialog.folder), fs::canonical(dir_));
    EXPECT_EQ(dialog.text, "game.rom");
    EXPECT_EQ(dialog.pattern, 0);
    EXPECT_EQ(files(), std::vector<std::string>{"game.rom.png"});
}

TEST_F(ImageExportTest, CancelWritesNothingAndSaysNothing) {
    ModalDriver driver;
    driver.dismiss();
    export_image(state_);
    EXPECT_EQ(driver.seen().size(), 1u);
    EXPECT_TRUE(files().empty());
}

TEST_F(ImageExportTest, ReportsTheExtendedNameWhenTheFileCannotBeWritten) {
    fs::create_directory(path("shot.png"));  // the extended name is taken by a folder
    ModalDriver driver;
    driver.chooseFile(path("shot"), 0);
    export_image(state_);
    ASSERT_EQ(driver.seen().size(), 2u);
    EXPECT_EQ(driver.seen()[1].kind, "message");
    EXPECT_EQ(driver.seen()[1].title, "Save Image Error");
    std::string text = driver.seen()[1].text;
    if (const size_t cr = text.find("\r\n"); cr != std::string::npos) text.replace(cr, 2, "\n");
    EXPECT_EQ(text, "Error saving\n" + path("shot.png"));
    EXPECT_EQ(files(), std::vector<std::string>{"shot.png"});
    EXPECT_TRUE(fs::is_directory(path("shot.png")));
}

}  // namespace
