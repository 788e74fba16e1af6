// The Pictures window in the shell, where the end-to-end test does not reach: its rows are the
// scan's pictures best first, each thumbnail drawn (a grab paints them all; the sanitizers watch
// the reads), and a file loaded while it is open replaces every row at once, before anything can
// draw the old file's from freed data. The inputs are real fonts in real code.
#include <QWidget>

#include "app/pictures/picture_table.h"
#include "runtime/ui/control_record.h"
#include "runtime/ui/window_internal.h"
#include "tests/app/shell_fixture.h"
#include "tests/support/embedded_pictures.h"

namespace {

class PicturesWindowTest : public ShellTest {
protected:
    // What the list shows: the start and width of each row, as its texts give them.
    static std::vector<std::string> listed() {
        std::vector<std::string> starts;
        for (const std::string& row : controlRecord(PicturesList)->rows())
            starts.push_back(row.substr(0, row.find('\t', row.find('\t') + 1)));
        return starts;
    }
    static std::vector<std::string> expected(const std::vector<uint8_t>& bytes) {
        std::vector<FoundPicture> pictures = describe_regions(bytes, scan_regions(bytes, ScanOptions{}));
        rank_pictures(pictures);
        std::vector<std::string> starts;
        for (const FoundPicture& p : pictures)
            if (p.score >= SHOWN_SCORE)
                starts.push_back(std::to_string(p.start) + "\t" + std::to_string(p.width));
        return starts;
    }
};

TEST_F(PicturesWindowTest, ListsTheScansPicturesBestFirstAndStartsOverWithANewFile) {
    const std::vector<uint8_t> first = embedded::two_fonts_in_code().bytes();
    load(first, "fonts.bin");
    EXPECT_EQ(handle_command(CmdPictures), LoopAction::Continue);
    ASSERT_TRUE(pump_until_scan_end());
    ASSERT_FALSE(expected(first).empty());
    EXPECT_EQ(listed(), expected(first));
    EXPECT_EQ(controlState(PicturesList), 0);
    EXPECT_FALSE(controlWidget(PicturesList)->grab().isNull());

    std::vector<uint8_t> second = read_gunzipped(embedded::WIDE_FONT).value_or(std::vector<uint8_t>{});
    second.insert(second.begin(), first.begin(), first.begin() + 3000);
    load(second, "font.psf");
    EXPECT_TRUE(listed().empty()) << "rows of the file shown before";
    EXPECT_FALSE(controlWidget(PicturesList)->grab().isNull());
    ASSERT_TRUE(pump_until_scan_end());
    EXPECT_EQ(listed(), expected(second));

    handle_control(PicturesList, ControlEventKind::Click);
    const std::string best = expected(second).front();
    EXPECT_EQ(std::to_string(display_offset()) + "\t" + std::to_string(shell_state.row_width), best);
}

}  // namespace
