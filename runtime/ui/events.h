#pragma once
// Numbered top-level windows and the one event queue.
#include <cstdint>
#include <string>

namespace EventCode {
enum : int32_t {
    RawMouseWheel = 522,  // not posted: the wheel notification as fetched, see eventParam
    // Not posted either: one of the program's menus closed (a pull-down or submenu of a menu bar,
    // a popup menu, or the context menu a control shows by itself). The key that closed it, such
    // as Escape, may still be down.
    MenuClosed = 0x0212,
    Control = 13100,
    Menu = 13101,
    Activate = 13104,
    DropOnWindow = 13105,
    DropOnControl = 13106,
    Minimize = 13107,
    Maximize = 13108,
    Restore = 13109,
    Timer = 13110,
    RightClick = 13111,
    LeftClick = 13112,
    LeftDoubleClick = 13113,
    Deactivate = 13114,
    Repaint = 13115,
    CloseWindow = 13116,
    MoveWindow = 13117,
    SizeWindow = 13118,
    // Posted by work on another thread (postEventFromAnyThread): its end and its progress.
    TaskDone = 13119,
    TaskProgress = 13120,
};
}

// Window flags.
namespace WindowFlag {
enum : uint32_t {
    TitleBar = 0x00C00000,
    SystemMenu = 0x00080000,
    MinimizeBox = 0x00020000,
    CentreOnScreen = 0x00000001,
    CentreOnParent = 0x00000002,
    ToolWindow = 0x00000004,
    NotContainer = 0x00000008,
    Hidden = 0x10000000,
    ShowMaximized = 0x01000000,
    ShowMinimized = 0x20000000,
    NoActivate = 0x02000000,
};
}

using WindowHandle = void*;
using EventProcedure = void (*)();

// Opens a fixed-size window whose client area is innerWidth x innerHeight. Nonzero on success.
int openWindow(int number, int x, int y, int innerWidth, int innerHeight, const char* title, uint32_t flags);
void closeWindow(int number);
WindowHandle windowHandle(int number);
// A null text leaves the title unchanged.
void setWindowTitle(int number, const char* text);
std::string windowTitle(int number);
void setStayOnTop(int number, int on);
// The number of the program's window that has the keyboard now; -1 when none has it (another
// program's window, a dialog or a menu has it).
int activeWindow();
// Moves the window beside the other one: to its right where the screen has room for it, else
// to its left, else as far right as the screen allows; tops aligned.
void placeWindowBeside(int number, int other);
// Pointer position in the client area at the time of the call; -1 when outside it.
int windowMouseX(int number);
int windowMouseY(int number);

// Blocks until there is something to return: a queued runtime event (its code), or a platform
// notification (a number below 13100; 522 for the wheel, 530 for a closed menu).
int32_t waitEvent();
// As waitEvent, waiting at most timeoutMs; 0 when nothing arrived.
int32_t pollEvent(int timeoutMs);
int32_t eventObject();
// -1 after a platform notification.
int32_t eventKind();
// First parameter of the platform notification last fetched; 0 after a queued event.
// For the wheel (522) the upper 16 bits are notches x 120, positive away from the user.
int32_t eventParam();
int32_t eventWindow();

// Binds a procedure to every event of the control; it runs synchronously when the event is
// posted. 0 when the control does not exist.
int bindControlEvent(int control, EventProcedure procedure);

// What enableFileDrop accepts: a format, and the allowed actions as a sum of bits.
namespace DropFormat {
enum : int { Text = 1, Files = 15 };
}
namespace DropAction {
enum : int { Copy = 1, Move = 2, Link = 4 };
}

// Lets the control accept dropped data of the format with the allowed actions.
void enableFileDrop(int control, int format, int actions);
// The dropped files' full paths joined by "\n" while the current event carries a file drop.
std::string droppedFiles();
