// Qt keys, virtual key codes and X keysyms in one table.
// Letters, main-row digits and F-keys coincide between the schemes up to an offset. Shifted
// punctuation is mapped back through the US layout, the layout the virtual key names were made
// for; other layouts get their letters right and their punctuation only where it matches. The
// digit row is the exception: its virtual keys are positional, so it is matched by the physical
// key and zooms with Ctrl+digit on layouts (French) that put other symbols there.
#include <QKeyEvent>
#include <array>

#include "runtime/ui/key_state_internal.h"
#include "runtime/ui/virtual_key_map_internal.h"

namespace {

struct NamedKey {
    int qtKey;
    uint16_t virtualKey;
    unsigned long keysym;
    unsigned long keypadKeysym;  // the keypad key that gives the same virtual key, Num Lock off
};

constexpr std::array<NamedKey, 27> NAMED_KEYS{{
    {Qt::Key_Backspace, 0x08, 0xff08, 0},     {Qt::Key_Tab, 0x09, 0xff09, 0},
    {Qt::Key_Backtab, 0x09, 0xff09, 0},       {Qt::Key_Clear, 0x0C, 0xff0b, 0xff9d},
    {Qt::Key_Return, 0x0D, 0xff0d, 0},        {Qt::Key_Enter, 0x0D, 0xff0d, 0},
    {Qt::Key_Shift, 0x10, 0xffe1, 0},         {Qt::Key_Control, 0x11, 0xffe3, 0},
    {Qt::Key_Alt, 0x12, 0xffe9, 0},           {Qt::Key_Pause, 0x13, 0xff13, 0},
    {Qt::Key_CapsLock, 0x14, 0xffe5, 0},      {Qt::Key_Escape, 0x1B, 0xff1b, 0},
    {Qt::Key_Space, 0x20, 0x0020, 0},         {Qt::Key_PageUp, 0x21, 0xff55, 0xff9a},
    {Qt::Key_PageDown, 0x22, 0xff56, 0xff9b}, {Qt::Key_End, 0x23, 0xff57, 0xff9c},
    {Qt::Key_Home, 0x24, 0xff50, 0xff95},     {Qt::Key_Left, 0x25, 0xff51, 0xff96},
    {Qt::Key_Up, 0x26, 0xff52, 0xff97},       {Qt::Key_Right, 0x27, 0xff53, 0xff98},
    {Qt::Key_Down, 0x28, 0xff54, 0xff99},     {Qt::Key_Print, 0x2C, 0xff61, 0},
    {Qt::Key_Insert, 0x2D, 0xff63, 0xff9e},   {Qt::Key_Delete, 0x2E, 0xffff, 0xff9f},
    {Qt::Key_NumLock, 0x90, 0xff7f, 0},       {Qt::Key_ScrollLock, 0x91, 0xff14, 0},
    {Qt::Key_Menu, 0x5D, 0xff67, 0},
}};

// The punctuation keys of the US main row: their virtual key, unshifted and shifted symbol. Qt's
// codes and X's keysyms for these are their ASCII codes.
struct PunctuationKey {
    uint16_t virtualKey;
    char plain;
    char shifted;
};

constexpr std::array<PunctuationKey, 11> PUNCTUATION_KEYS{{
    {0xBA, ';', ':'},
    {0xBB, '=', '+'},
    {0xBC, ',', '<'},
    {0xBD, '-', '_'},
    {0xBE, '.', '>'},
    {0xBF, '/', '?'},
    {0xC0, '`', '~'},
    {0xDB, '[', '{'},
    {0xDC, '\\', '|'},
    {0xDD, ']', '}'},
    {0xDE, '\'', '"'},
}};

// Shift+1 ... Shift+9, Shift+0 on the US main row.
constexpr char SHIFTED_DIGITS[] = "!@#$%^&*()";

constexpr uint16_t VK_DIGIT_0 = 0x30;
constexpr uint16_t VK_KEYPAD_0 = 0x60;
constexpr uint16_t VK_F1 = 0x70;
constexpr int F_KEYS = 24;
constexpr unsigned long KEYSYM_F1 = 0xffbe;
constexpr unsigned long KEYSYM_KEYPAD_0 = 0xffb0;

// Keypad keys other than digits: Qt key, virtual key, keysym.
struct KeypadKey {
    int qtKey;
    uint16_t virtualKey;
    unsigned long keysym;
};

constexpr std::array<KeypadKey, 7> KEYPAD_KEYS{{
    {Qt::Key_Asterisk, 0x6A, 0xffaa},
    {Qt::Key_Plus, 0x6B, 0xffab},
    {Qt::Key_Minus, 0x6D, 0xffad},
    {Qt::Key_Period, 0x6E, 0xffae},
    {Qt::Key_Comma, 0x6E, 0xffac},
    {Qt::Key_Slash, 0x6F, 0xffaf},
    {Qt::Key_Enter, 0x0D, 0xff8d},
}};

uint16_t keypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<uint16_t>(VK_KEYPAD_0 + (qtKey - Qt::Key_0));
    if (qtKey == Qt::Key_Return) return 0x0D;
    for (const KeypadKey& key : KEYPAD_KEYS) {
        if (key.qtKey == qtKey) return key.virtualKey;
    }
    // With Num Lock off the keypad sends the navigation keys; they share the main codes.
    return 0;
}

uint16_t mainKeyboardKey(int qtKey) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<uint16_t>(qtKey);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<uint16_t>(qtKey);
    for (int digit = 0; digit < 10; ++digit) {
        if (qtKey == SHIFTED_DIGITS[digit]) return static_cast<uint16_t>(VK_DIGIT_0 + (digit + 1) % 10);
    }
    for (const PunctuationKey& key : PUNCTUATION_KEYS) {
        if (qtKey == key.plain || qtKey == key.shifted) return key.virtualKey;
    }
    return 0;
}

}  // namespace

uint16_t virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (const uint16_t code = keypadKey(qtKey)) return code;
    } else if (const uint16_t code = mainKeyboardKey(qtKey)) {
        return code;
    }
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + F_KEYS)
        return static_cast<uint16_t>(VK_F1 + (qtKey - Qt::Key_F1));
    for (const NamedKey& named : NAMED_KEYS) {
        if (named.qtKey == qtKey) return named.virtualKey;
    }
    return 0;
}

uint16_t virtualKeyOf(const QKeyEvent& event) {
    if (!(event.modifiers() & Qt::KeypadModifier)) {
        const int digit = digitRowDigit(event.nativeScanCode());
        if (digit >= 0) return static_cast<uint16_t>(VK_DIGIT_0 + digit);
    }
    return virtualKeyFromQt(event.key(), event.modifiers());
}

KeySymbols keySymbolsOf(int virtualKey) {
    if ((virtualKey >= '0' && virtualKey <= '9') || (virtualKey >= 'A' && virtualKey <= 'Z')) {
        return {static_cast<unsigned long>(virtualKey), 0};
    }
    if (virtualKey >= VK_KEYPAD_0 && virtualKey <= VK_KEYPAD_0 + 9) {
        return {KEYSYM_KEYPAD_0 + static_cast<unsigned long>(virtualKey - VK_KEYPAD_0), 0};
    }
    if (virtualKey >= VK_F1 && virtualKey < VK_F1 + F_KEYS) {
        return {KEYSYM_F1 + static_cast<unsigned long>(virtualKey - VK_F1), 0};
    }
    for (const NamedKey& named : NAMED_KEYS) {
        if (named.virtualKey == virtualKey) return {named.keysym, named.keypadKeysym};
    }
    for (const PunctuationKey& key : PUNCTUATION_KEYS) {
        if (key.virtualKey == virtualKey) return {static_cast<unsigned long>(key.plain), 0};
    }
    for (const KeypadKey& key : KEYPAD_KEYS) {
        if (key.virtualKey == virtualKey && key.qtKey != Qt::Key_Enter) return {key.keysym, 0};
    }
    return {};
}
