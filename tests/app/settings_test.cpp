// Reading, correcting and writing the stored options.
#include "app/settings.h"

#include "runtime/ui/menus.h"
#include "tests/app/shell_fixture.h"

namespace {

class SettingsTest : public ShellTest {};

constexpr const char* DEFAULT_FILE =
    "[Options]\r\nZoom = 1\r\nMulti = 0\r\nGrid = 0\r\nInverse = 0\r\nReverse = 0\r\n"
    "maxwidth = 255\r\nontop = 0\r\n";

TEST_F(SettingsTest, MissingFileKeepsStartValuesAndExitWritesTheSevenKeys) {
    ModalDriver dialogs;
    read_settings(path("pv2.ini"));
    EXPECT_EQ(view_settings.zoom, 1);
    EXPECT_EQ(view_settings.maxwidth, 255);
    EXPECT_EQ(controlAttribute(WidthScrollBar, 2), 255);
    for (int box : {InverseBox, ReverseBox, GridBox, MultiColBox}) {
        EXPECT_EQ(controlState(box), 0) << box;
    }
    write_settings(path("pv2.ini"));
    EXPECT_EQ(read_text(path("pv2.ini")), DEFAULT_FILE);
    EXPECT_TRUE(dialogs.seen().empty());
}

TEST_F(SettingsTest, StoredValuesReachBoxesMarksAndWindow) {
    write_text("pv2.ini",
               "[Other]\r\nkeep = 1\r\n[Options]\r\nzoom=8\r\nGrid=7\r\nMULTI=1\r\nInverse=0\r\n"
               "Reverse=-2\r\nontop=1\r\nmaxwidth=1\r\nextra=9\r\n");
    ModalDriver dialogs;
    read_settings(path("pv2.ini"));
    EXPECT_TRUE(dialogs.seen().empty());
    EXPECT_EQ(view_settings.zoom, 8);
    EXPECT_NE(controlState(GridBox), 0);
    EXPECT_NE(controlState(MultiColBox), 0);
    EXPECT_EQ(controlState(InverseBox), 0);
    EXPECT_NE(controlState(ReverseBox), 0);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdGrid), 1);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdMultiColumns), 1);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdInverse), 0);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdReverse), 1);
    EXPECT_EQ(isMenuItemChecked(MainMenu, CmdStayOnTop), 1);
    EXPECT_EQ(controlAttribute(WidthScrollBar, 2), 1);

    // Flags are written as 1 or 0, and only the one group with its seven keys remains.
    write_settings(path("pv2.ini"));
    EXPECT_EQ(read_text(path("pv2.ini")),
              "[Options]\r\nZoom = 8\r\nMulti = 1\r\nGrid = 1\r\nInverse = 0\r\nReverse = 1\r\n"
              "maxwidth = 1\r\nontop = 1\r\n");
}

struct BadValue {
    const char* file;
    std::vector<std::string> messages;
    int32_t zoom;
    int32_t maxwidth;
};

// Names the case by its file text on one line, so CTest lists readable, stable test names.
void PrintTo(const BadValue& value, std::ostream* out) {
    for (const char* c = value.file; *c != 0; ++c) {
        *out << (*c == '\n' ? ' ' : *c);
    }
}

class SettingsCorrectionTest : public ShellTest, public ::testing::WithParamInterface<BadValue> {};

TEST_P(SettingsCorrectionTest, BadValuesAreFixedWithTheirMessage) {
    write_text("pv2.ini", GetParam().file);
    ModalDriver dialogs;
    for (size_t i = 0; i < GetParam().messages.size(); ++i) {
        dialogs.dismiss();
    }
    read_settings(path("pv2.ini"));
    ASSERT_EQ(dialogs.seen().size(), GetParam().messages.size());
    for (size_t i = 0; i < GetParam().messages.size(); ++i) {
        EXPECT_EQ(dialogs.seen()[i].title, "Wrong settings");
        EXPECT_EQ(dialogs.seen()[i].text, GetParam().messages[i]);
    }
    EXPECT_EQ(view_settings.zoom, GetParam().zoom);
    EXPECT_EQ(view_settings.maxwidth, GetParam().maxwidth);
    EXPECT_EQ(controlAttribute(WidthScrollBar, 2), GetParam().maxwidth);
    write_settings(path("pv2.ini"));
    const std::string written = read_text(path("pv2.ini"));
    EXPECT_NE(written.find("Zoom = " + std::to_string(GetParam().zoom) + "\r\n"), std::string::npos);
    EXPECT_NE(written.find("maxwidth = " + std::to_string(GetParam().maxwidth) + "\r\n"), std::string::npos);
}

const std::string ZOOM_FIXED = "Zoom must be 1,2,4,8.Fixed";
const std::string WIDTH_FIXED = "Bad maxwidth.Fixed to 75";

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsCorrectionTest,
    ::testing::Values(BadValue{"[Options]\nzoom=3\n", {ZOOM_FIXED}, 1, 255},
                      BadValue{"[Options]\nzoom=abc\n", {ZOOM_FIXED}, 1, 255},
                      BadValue{"[Options]\nmaxwidth=0\n", {WIDTH_FIXED}, 1, 75},
                      BadValue{"[Options]\nmaxwidth=256\n", {WIDTH_FIXED}, 1, 75},
                      BadValue{"[Options]\nmaxwidth=wide\n", {WIDTH_FIXED}, 1, 75},
                      BadValue{"[Options]\nmaxwidth=255\nzoom=4\n", {}, 4, 255},
                      BadValue{"[Options]\nmaxwidth=-5\nzoom=0\n", {ZOOM_FIXED, WIDTH_FIXED}, 1, 75}));

TEST_F(SettingsTest, UncreatableFileLeavesNothingAndShowsNothing) {
    ModalDriver dialogs;
    write_settings(path("missing-folder/pv2.ini"));
    EXPECT_FALSE(std::filesystem::exists(path("missing-folder")));
    EXPECT_TRUE(dialogs.seen().empty());
}

}  // namespace
