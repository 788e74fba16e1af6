#pragma once
// The numbered child controls of the current container window.
#include <cstdint>
#include <string>

struct DrawTarget;

namespace ControlEventKind {
enum : int32_t {
    Click = 0,
    RightClick = 1,
    LeftDoubleClick = 2,
    RightDoubleClick = 3,
    Up = 4,
    Down = 5,
    TextChanged = 768,
    PointerEntered = 0x10001,
    PointerLeft = 0x10002,
    PointerMoved = 0x10003,
    LeftDown = 0x10004,
    LeftUp = 0x10005,
    RightDown = 0x10006,
    RightUp = 0x10007,
    MiddleDown = 0x10008,
    MiddleUp = 0x10009,
    Wheel = 0x1000A,
    KeyDown = 0x1000B,
    KeyUp = 0x1000C,
    Character = 0x1000D,
    FocusGained = 14000,
    FocusLost = 14001,
};
}

// Creation: nonzero on success; positions relative to the container window's client area.
int createCheckBox(int number, int x, int y, int width, int height, const std::string& text);
// flags: 1 sunken border, 2 confine the pointer while a button is held, 4 take the focus on click.
int createCanvas(int number, int x, int y, int width, int height, int flags = 0);
// flags bit 0: vertical.
int createScrollBar(int number, int x, int y, int width, int height, int minimum, int maximum,
                    int page, int flags);
int createSpinField(int number, int x, int y, int width, int height, int minimum, int maximum);

// Program-initiated changes post no event and run no bound procedure.
int setControlState(int control, int32_t value);
int32_t controlState(int control);
// Attribute numbers, by kind of control. A canvas's attributes are read only and describe the
// current event when it is one of this canvas's; otherwise they are 0.
namespace ScrollBarAttribute {
enum : int { Minimum = 1, Maximum = 2, Page = 3 };
}
namespace SpinFieldAttribute {
enum : int { Minimum = 1, Maximum = 2 };
}
namespace CanvasAttribute {
enum : int {
    PointerX = 2,
    PointerY = 3,
    Buttons = 4,
    VirtualKey = 5,
    Modifiers = 6,
    WheelSteps = 8,
    Character = 9
};
}
int setControlAttribute(int control, int attribute, int32_t value);
int32_t controlAttribute(int control, int attribute);
int setControlText(int control, const std::string& text);
std::string controlText(int control);
// -1 takes the focus from every control.
int setKeyboardFocus(int control);
int setToolTip(int control, const std::string& text);
// A drawing target over the canvas's backing picture; null when the control is not a canvas.
// Closing the pass repaints the canvas at once.
DrawTarget* canvasTarget(int control);
