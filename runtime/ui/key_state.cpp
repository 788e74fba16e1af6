// keyHeldNow: the X server's keymap where there is an X display, otherwise the state tracked
// from the key events the application's windows receive.
#include "runtime/ui/key_state_internal.h"
#include "runtime/ui/keys.h"

#include <QGuiApplication>

#include <bitset>

namespace {

std::bitset<256> tracked;
bool trackedOnly = false;

struct KeyPair {
    int virtualKey;
    unsigned long keysym;
};

// X keysyms of the virtual keys that are not their own ASCII code.
constexpr KeyPair specialKeys[] = {
    {0x08, 0xff08}, {0x09, 0xff09}, {0x0D, 0xff0d}, {0x10, 0xffe1}, {0x11, 0xffe3},
    {0x12, 0xffe9}, {0x1B, 0xff1b}, {0x20, 0x0020}, {0x21, 0xff55}, {0x22, 0xff56},
    {0x23, 0xff57}, {0x24, 0xff50}, {0x25, 0xff51}, {0x26, 0xff52}, {0x27, 0xff53},
    {0x28, 0xff54}, {0x2D, 0xff63}, {0x2E, 0xffff},
};

unsigned long keysymOf(int virtualKey) {
    for (const KeyPair& pair : specialKeys)
        if (pair.virtualKey == virtualKey) return pair.keysym;
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z'))
        return static_cast<unsigned long>(virtualKey);
    if (virtualKey >= 0x70 && virtualKey <= 0x7B) return 0xffbe + (virtualKey - 0x70);
    return 0;
}

void* x11Display() {
    auto* app = qGuiApp;
    if (!app) return nullptr;
    auto* x11 = app->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? static_cast<void*>(x11->display()) : nullptr;
}

}  // namespace

int virtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: break;
    }
    if ((qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) || (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z))
        return qtKey;  // Qt's codes for these are their ASCII codes, as the virtual keys are
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return 0x70 + (qtKey - Qt::Key_F1);
    return 0;
}

void noteKeyPressed(int virtualKey) {
    if (virtualKey > 0 && virtualKey < 256) tracked.set(virtualKey);
}

void noteKeyReleased(int virtualKey) {
    if (virtualKey > 0 && virtualKey < 256) tracked.reset(virtualKey);
}

void forgetTrackedKeys() { tracked.reset(); }
void useTrackedKeyState(bool on) { trackedOnly = on; }

bool releaseIsAutoRepeat(int virtualKey) {
    if (trackedOnly || virtualKey <= 0 || virtualKey >= 256) return false;
    void* display = x11Display();
    const unsigned long keysym = keysymOf(virtualKey);
    return display && keysym != 0 && x11KeyHeld(display, keysym);
}

int keyHeldNow(int virtualKey) {
    if (virtualKey <= 0 || virtualKey >= 256) return 0;
    if (!trackedOnly) {
        if (void* display = x11Display()) {
            const unsigned long keysym = keysymOf(virtualKey);
            return keysym != 0 && x11KeyHeld(display, keysym) ? 1 : 0;
        }
    }
    return tracked.test(virtualKey) ? 1 : 0;
}
