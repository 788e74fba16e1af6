// The picture finder in the window: "Suggest width" and its ranks in the title, "Next picture"
// and "Previous picture" landing exactly on the scan's regions, the messages when there is
// nothing, the progress dialog's Cancel, and a new load while the scan runs. The inputs are real
// fonts inside real machine code (tests/support/embedded_pictures.h).
#include "app/picture_finder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QtTest/QTest>

#include "analysis/scan/scan_regions.h"
#include "app/commands.h"
#include "app/finder/region_steps.h"
#include "app/finder/width_suggestions.h"
#include "runtime/ui/keys.h"
#include "runtime/ui/window_internal.h"
#include "tests/app/shell_fixture.h"
#include "tests/support/embedded_pictures.h"

namespace {

class PictureFinderTest : public ShellTest {
protected:
    void TearDown() override {
        stop_picture_scan();
        ShellTest::TearDown();
    }

    // Loads as the open command and a drop do.
    void open(const std::vector<uint8_t>& bytes, const std::string& name = "fonts.bin") {
        ASSERT_TRUE(load_and_show(write_file(name, bytes)));
    }
    static void command(int id) { EXPECT_EQ(handle_command(id), LoopAction::Continue); }
    static std::string title() { return windowTitle(MainWindow); }
    // Puts byte `offset` first at width 1, as scrolling there would.
    static void show_from(int32_t offset) {
        setControlState(WidthScrollBar, 1);
        apply_position();
        setControlState(RowScrollBar, offset);
        apply_position();
        ASSERT_EQ(display_offset(), offset);
    }
    // The view shows `offset` first at `width`, with the controls set as a user would set them.
    static void expect_view_at(uint64_t offset, int width) {
        expect_unchanged(offset, width);
        EXPECT_EQ(controlState(RowScrollBar), static_cast<int32_t>(offset / width));
        const int32_t fine = controlState(FineOffsetSpin);
        EXPECT_GE(fine, -width);
        EXPECT_LE(fine, width);
        EXPECT_EQ(controlText(FineOffsetSpin), std::to_string(fine));
        EXPECT_EQ(controlAttribute(FineOffsetSpin, 1), -width);
        EXPECT_EQ(controlAttribute(FineOffsetSpin, 2), width);
    }
    static void expect_unchanged(uint64_t offset, int width) {
        EXPECT_EQ(shell_state.row_width, width);
        EXPECT_EQ(controlState(WidthScrollBar), width);
        EXPECT_EQ(display_offset(), static_cast<int64_t>(offset));
    }
    // "Next picture" on a file whose scan has not ended yet: its progress dialog, if it still
    // shows, closes by itself.
    static void next_after_scan() {
        ModalDriver dialogs;
        dialogs.wait();
        command(CmdNextPicture);
        for (const SeenDialog& seen : dialogs.seen()) {
            EXPECT_EQ(seen.title, "Next picture");
            EXPECT_EQ(seen.kind, "other");
        }
    }
    // The pictures Next and Previous visit: those that score SHOWN_SCORE or more.
    static std::vector<FoundPicture> regions_of(const std::vector<uint8_t>& bytes) {
        ScanOptions options;
        options.max_width = view_settings.maxwidth;
        std::vector<FoundPicture> shown = describe_regions(bytes, scan_regions(bytes, options));
        std::erase_if(shown, [](const FoundPicture& p) { return p.score < SHOWN_SCORE; });
        return shown;
    }
    // Many copies of the fonts in code: a file whose scan takes a while.
    static std::vector<uint8_t> large_file() {
        const std::vector<uint8_t> piece = embedded::two_fonts_in_code().bytes();
        std::vector<uint8_t> bytes;
        while (bytes.size() < (4u << 20)) {
            bytes.insert(bytes.end(), piece.begin(), piece.end());
        }
        return bytes;
    }
};

TEST_F(PictureFinderTest, CommandsFollowTheViewMenuWithTheirShortcuts) {
    WindowRecord* window = windowRecord(MainWindow);
    ASSERT_NE(window, nullptr);
    ASSERT_NE(window->menuBar, nullptr);
    QMenu* view = nullptr;
    for (QAction* action : window->menuBar->actions()) {
        if (action->text() == "View") {
            view = action->menu();
        }
    }
    ASSERT_NE(view, nullptr);
    QStringList items;
    for (QAction* action : view->actions()) {
        items << (action->isSeparator() ? QString("-") : action->text());
    }
    EXPECT_EQ(items,
              QStringList({"Zoom", "Grid\tCtrl+G", "Inverse\tCtrl+I", "Multi columns\tCtrl+M",
                           "Reverse byte\tCtrl+R", "Stay on top\tCtrl+T", "-", "Suggest width\tCtrl+W",
                           "Next picture\tCtrl+N", "Previous picture\tCtrl+Shift+N", "Pictures...\tCtrl+P"}));

    window->frame->activateWindow();
    QApplication::setActiveWindow(window->frame);
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, int> keys[] = {
        {Qt::Key_W, Qt::ControlModifier, CmdSuggestWidth},
        {Qt::Key_N, Qt::ControlModifier, CmdNextPicture},
        {Qt::Key_N, Qt::ControlModifier | Qt::ShiftModifier, CmdPreviousPicture},
        {Qt::Key_O, Qt::ControlModifier, CmdOpen},
        {Qt::Key_P, Qt::ControlModifier, CmdPictures},
    };
    for (auto [key, modifiers, id] : keys) {
        QTest::keyClick(window->frame->windowHandle(), key, modifiers);
        int32_t got = -1;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 2000 && got < 0) {
            if (pollEvent(20) == EventCode::Menu) {
                got = eventObject();
            }
        }
        EXPECT_EQ(got, id);
    }
}

TEST_F(PictureFinderTest, SuggestWidthSetsTheBestKeepsTheFirstByteAndStepsWithItsRank) {
    const embedded::Builder file = embedded::two_fonts_in_code();
    ASSERT_EQ(file.pictures().size(), 2u) << "the test data comes from bash and console-setup-linux";
    const embedded::Picture font = file.pictures()[0];
    open(file.bytes());
    show_from(static_cast<int32_t>(font.start));
    const std::vector<int> offered = suggested_widths(file.bytes(), static_cast<int64_t>(font.start), 255);
    ASSERT_GE(offered.size(), 2u);
    EXPECT_EQ(offered[0], font.width) << "the font's own width comes first";

    // Every press offers the next width, after the last the best again; the font's first byte
    // stays at the top left throughout.
    for (size_t press = 0; press <= offered.size(); ++press) {
        command(CmdSuggestWidth);
        const size_t rank = press % offered.size();
        expect_view_at(font.start, offered[rank]);
        EXPECT_EQ(title(), "Pixelsieve 2c,x1 \u2014 width " + std::to_string(offered[rank]) + " (" +
                               std::to_string(rank + 1) + "/" + std::to_string(offered.size()) + ")");
    }
    // A redraw that changes nothing (a pointer move with the preview on) keeps the rank.
    redraw_view();
    EXPECT_EQ(title(), "Pixelsieve 2c,x1 \u2014 width " + std::to_string(offered[0]) + " (1/" +
                           std::to_string(offered.size()) + ")");
}

TEST_F(PictureFinderTest, AnyChangeEndsTheRankAndTheNextPressStartsOver) {
    const embedded::Builder file = embedded::two_fonts_in_code();
    ASSERT_EQ(file.pictures().size(), 2u);
    const uint64_t start = file.pictures()[0].start;
    open(file.bytes());
    const auto rank_one = [&] {
        show_from(static_cast<int32_t>(start) + 1);
        show_from(static_cast<int32_t>(start));
        command(CmdSuggestWidth);
        command(CmdSuggestWidth);
        ASSERT_NE(title().find("(2/"), std::string::npos) << title();
    };
    const auto starts_over = [&](const char* change) {
        EXPECT_EQ(title().find("width"), std::string::npos) << change << ": " << title();
        command(CmdSuggestWidth);
        EXPECT_NE(title().find("(1/"), std::string::npos) << change << ": " << title();
    };

    rank_one();
    noteKeyPressed(VirtualKey::Down);
    (void)poll_keys();
    noteKeyReleased(VirtualKey::Down);
    starts_over("a held key");

    rank_one();
    command(CmdZoom2);
    EXPECT_EQ(title(), "Pixelsieve 2c,x2");
    command(CmdZoom1);
    starts_over("zoom");

    rank_one();
    command(CmdStayOnTop);  // changes nothing on the canvas, still a command of its own
    command(CmdStayOnTop);
    starts_over("stay on top");

    rank_one();
    setControlState(GridBox, 1);
    handle_control(GridBox, ControlEventKind::Click);
    setControlState(GridBox, 0);
    handle_control(GridBox, ControlEventKind::Click);
    starts_over("the grid box");

    rank_one();
    setControlState(RowScrollBar, controlState(RowScrollBar) + 1);
    apply_position();  // what dragging the scroll bar runs
    starts_over("the row scroll bar");

    rank_one();
    open(file.bytes(), "again.bin");
    starts_over("a new load");
}

TEST_F(PictureFinderTest, SuggestWidthWithNothingToOfferSaysSoAndChangesNothing) {
    open(std::vector<uint8_t>(70000, 0x00), "zeros.bin");
    show_from(100);
    ModalDriver dialogs;
    dialogs.dismiss();
    command(CmdSuggestWidth);
    ASSERT_EQ(dialogs.seen().size(), 1u);
    EXPECT_EQ(dialogs.seen()[0].kind, "message");
    EXPECT_EQ(dialogs.seen()[0].title, "Suggest width");
    EXPECT_EQ(dialogs.seen()[0].text, "No row width stands out in the data from this point.");
    expect_unchanged(100, 1);
    EXPECT_EQ(title(), "Pixelsieve 2c,x1");
}

TEST_F(PictureFinderTest, NextAndPreviousLandExactlyOnEveryRegionInTurn) {
    const embedded::Builder file = embedded::two_fonts_in_code();
    ASSERT_EQ(file.pictures().size(), 2u);
    open(file.bytes());
    const std::vector<FoundPicture> regions = regions_of(file.bytes());
    ASSERT_FALSE(regions.empty());
    // Each font lies in a region of its own width (where exactly the scan puts a region's edges is
    // the scan's business; the end-to-end test checks a landing on a font's first byte).
    for (const embedded::Picture& font : file.pictures()) {
        const bool found = std::any_of(regions.begin(), regions.end(), [&](const FoundPicture& r) {
            return r.start <= font.start + 64 && r.end >= font.end - 64 && r.width == font.width;
        });
        EXPECT_TRUE(found) << "font at " << font.start;
    }

    next_after_scan();
    expect_view_at(regions.front().start, regions.front().width);
    // The regions are known now: no more dialogs until the message.
    ModalDriver dialogs;
    for (size_t i = 1; i < regions.size(); ++i) {
        command(CmdNextPicture);
        expect_view_at(regions[i].start, regions[i].width);
    }
    EXPECT_TRUE(dialogs.seen().empty());
    // Nothing ahead: the message, and the view stays.
    dialogs.dismiss();
    command(CmdNextPicture);
    ASSERT_EQ(dialogs.seen().size(), 1u);
    EXPECT_EQ(dialogs.seen().back().kind, "message");
    EXPECT_EQ(dialogs.seen().back().title, "Next picture");
    EXPECT_EQ(dialogs.seen().back().text, "No picture found after this point.");
    expect_view_at(regions.back().start, regions.back().width);

    for (size_t i = regions.size() - 1; i-- > 0;) {
        command(CmdPreviousPicture);
        expect_view_at(regions[i].start, regions[i].width);
    }
    dialogs.dismiss();
    command(CmdPreviousPicture);
    EXPECT_EQ(dialogs.seen().back().title, "Previous picture");
    EXPECT_EQ(dialogs.seen().back().text, "No picture found before this point.");
    expect_view_at(regions.front().start, regions.front().width);
}

// The first byte shown is a picture's first byte, but at another width: a console font opened as
// it is (with a second copy after some noise), where the view opens at byte 0 and width 1. Next
// picture sets the picture's width there; pressed again, it goes on.
TEST_F(PictureFinderTest, NextPictureTakesAPictureAtTheFirstByteShown) {
    std::vector<uint8_t> font = read_gunzipped(embedded::WIDE_FONT).value_or(std::vector<uint8_t>{});
    ASSERT_FALSE(font.empty());
    const std::vector<uint8_t> copy = font;
    uint32_t noise = 2463534242u;
    for (int i = 0; i < 8192; ++i) {
        noise ^= noise << 13;
        noise ^= noise >> 17;
        noise ^= noise << 5;
        font.push_back(static_cast<uint8_t>(noise));
    }
    font.insert(font.end(), copy.begin(), copy.end());
    open(font, "font.psf");
    const std::vector<FoundPicture> regions = regions_of(font);
    ASSERT_GE(regions.size(), 2u);
    const FoundPicture& first = regions.front();
    ASSERT_NE(first.width, 1);
    show_from(static_cast<int32_t>(first.start));

    next_after_scan();
    expect_view_at(first.start, first.width);
    ModalDriver dialogs;
    command(CmdNextPicture);
    expect_view_at(regions[1].start, regions[1].width);
    command(CmdPreviousPicture);
    expect_view_at(first.start, first.width);
    EXPECT_TRUE(dialogs.seen().empty());
}

TEST_F(PictureFinderTest, NextPictureWithoutDataSaysThereIsNone) {
    ModalDriver dialogs;
    dialogs.dismiss();
    command(CmdNextPicture);
    ASSERT_EQ(dialogs.seen().size(), 1u);
    EXPECT_EQ(dialogs.seen()[0].title, "Next picture");
    EXPECT_EQ(dialogs.seen()[0].text, "No picture found after this point.");
}

// Cancel stops the waiting and changes nothing; the scan (started by the load, still running on
// a file this large) goes on, and its end reaches the loop as an event, after which the command
// jumps at once.
TEST_F(PictureFinderTest, CancelLeavesTheViewAndTheScanFinishesInTheBackground) {
    const std::vector<uint8_t> bytes = large_file();
    open(bytes, "large.bin");
    show_from(5);
    {
        ModalDriver dialogs;
        dialogs.dismiss();
        command(CmdNextPicture);
        ASSERT_EQ(dialogs.seen().size(), 1u) << "the scan ended before the dialog showed: use a larger file";
        EXPECT_EQ(dialogs.seen()[0].title, "Next picture");
        expect_unchanged(5, 1);
        EXPECT_EQ(title(), "Pixelsieve 2c,x1");
    }
    ASSERT_TRUE(pump_until_scan_end());
    ModalDriver dialogs;
    command(CmdNextPicture);
    EXPECT_TRUE(dialogs.seen().empty()) << "the regions were there already";
    const std::vector<FoundPicture> regions = regions_of(bytes);
    const FoundPicture* next = next_picture(regions, 5, 1);
    ASSERT_NE(next, nullptr);
    expect_view_at(next->start, next->width);
}

// A new load while the scan still reads the old data: the scan stops before the data goes (the
// sanitizers would see it read freed memory otherwise), and the new file's scan starts with it.
TEST_F(PictureFinderTest, ANewLoadWhileTheScanRunsScansTheNewFile) {
    {
        ModalDriver dialogs;
        dialogs.dismiss();
        open(large_file(), "large.bin");
        command(CmdNextPicture);
        ASSERT_EQ(dialogs.seen().size(), 1u);
    }
    const embedded::Builder file = embedded::two_fonts_in_code();
    open(file.bytes(), "small.bin");
    show_from(0);
    next_after_scan();
    const std::vector<FoundPicture> regions = regions_of(file.bytes());
    ASSERT_FALSE(regions.empty());
    expect_view_at(regions.front().start, regions.front().width);
    // News of the stopped scan that was already on its way changes nothing.
    for (int i = 0; i < 20; ++i) {
        const int32_t code = pollEvent(5);
        if (code >= EventCode::Control) {
            (void)handle_event(code);
        }
    }
    expect_view_at(regions.front().start, regions.front().width);
}

}  // namespace
