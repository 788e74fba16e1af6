#pragma once
// The numbers by which the shell addresses its window, controls, menus and commands.
#include <cstdint>

#include "runtime/ui/events.h"
#include "view/layout/sprite_layout.h"

constexpr const char* PROGRAM_TITLE = "Pixelsieve 2c";
constexpr const char* SETTINGS_FILE = "pv2.ini";

constexpr int MainWindow = 0;
constexpr int MainStatusBar = 0;
constexpr int MainMenu = 0;
constexpr int JumpMenu = 2;
constexpr int VIEW_IMAGE = 0;  // view_image: the rendered sprite layout, 600 x 512
// The Pictures window (app/pictures_window.h) and its status bar.
constexpr int PicturesWindow = 1;
constexpr int PicturesStatusBar = 1;

// Inner area of the main window: the canvas, 20 pixels of width scroll bar, 20 of check boxes
// and room for the status bar.
constexpr int MAIN_WINDOW_WIDTH = VIEW_WIDTH + 20;
constexpr int MAIN_WINDOW_HEIGHT = VIEW_HEIGHT + 90;
// A title bar with the system menu and the minimise box, centred on the screen.
constexpr uint32_t MAIN_WINDOW_FLAGS =
    WindowFlag::TitleBar | WindowFlag::SystemMenu | WindowFlag::MinimizeBox | WindowFlag::CentreOnScreen;
static_assert(MAIN_WINDOW_FLAGS == 0xCA0001);

// Controls, in the order they are created.
enum ShellControl : int {
    CanvasView = 0,
    RowScrollBar = 1,
    WidthScrollBar = 2,
    InverseBox = 3,
    ReverseBox = 4,
    GridBox = 5,
    MultiColBox = 6,
    FineOffsetSpin = 7,
    NibbleSwapBox = 8,
    PreviewBox = 9,
    // The Pictures window's, numbered apart from the main window's.
    PicturesList = 20,
    PicturesFilterBox = 21,
    PicturesMap = 22,
};

// Command ids shared by the menu bar, the popup menu and the keyboard shortcuts.
enum ShellCommand : int {
    CmdQuit = 0,
    CmdSaveBinary = 1,
    CmdSaveImage = 2,
    CmdOpen = 3,
    CmdZoom1 = 4,
    CmdZoom2 = 5,
    CmdZoom4 = 6,
    CmdZoom8 = 7,
    CmdGrid = 8,
    CmdInverse = 9,
    CmdReverse = 10,
    CmdMultiColumns = 11,
    CmdStayOnTop = 12,
    CmdZoomPreview = 13,
    CmdJumpHere = 14,
    CmdSuggestWidth = 15,
    CmdNextPicture = 16,
    CmdPreviousPicture = 17,
    CmdPictures = 18,
    CmdClosePictures = 19,  // Escape in the Pictures window
};
