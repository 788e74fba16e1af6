// Qt key codes to virtual key codes.
// Qt reports the symbol a key produced, not the key's position; Win32-style virtual keys name
// the position. Letters and main-row digits coincide in both schemes. Shifted punctuation is
// mapped back through the US layout, the layout the virtual key names were made for; other
// layouts get their letters and digits right and their punctuation only where it matches.
#include "runtime/ui/virtual_key_map_internal.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, uint16_t>, 24> NAMED_KEYS{{
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},      {Qt::Key_Backtab, 0x09},
    {Qt::Key_Return, 0x0D},    {Qt::Key_Enter, 0x0D},    {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},   {Qt::Key_Alt, 0x12},      {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},  {Qt::Key_Escape, 0x1B},   {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},    {Qt::Key_PageDown, 0x22}, {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},      {Qt::Key_Left, 0x25},     {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},     {Qt::Key_Down, 0x28},     {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},    {Qt::Key_Delete, 0x2E},   {Qt::Key_NumLock, 0x90},
}};

// Symbols of the US main keyboard, unshifted and shifted, with their key's virtual code.
constexpr std::array<std::pair<int, uint16_t>, 32> SYMBOL_KEYS{{
    {Qt::Key_Exclam, 0x31},      {Qt::Key_At, 0x32},           {Qt::Key_NumberSign, 0x33},
    {Qt::Key_Dollar, 0x34},      {Qt::Key_Percent, 0x35},      {Qt::Key_AsciiCircum, 0x36},
    {Qt::Key_Ampersand, 0x37},   {Qt::Key_Asterisk, 0x38},     {Qt::Key_ParenLeft, 0x39},
    {Qt::Key_ParenRight, 0x30},  {Qt::Key_Semicolon, 0xBA},    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},       {Qt::Key_Plus, 0xBB},         {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},        {Qt::Key_Minus, 0xBD},        {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},      {Qt::Key_Greater, 0xBE},      {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},    {Qt::Key_QuoteLeft, 0xC0},    {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB}, {Qt::Key_BraceLeft, 0xDB},    {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},         {Qt::Key_BracketRight, 0xDD}, {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},  {Qt::Key_QuoteDbl, 0xDE},
}};

uint16_t keypadKey(int qtKey) {
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<uint16_t>(0x60 + (qtKey - Qt::Key_0));
    switch (qtKey) {
    case Qt::Key_Asterisk: return 0x6A;
    case Qt::Key_Plus: return 0x6B;
    case Qt::Key_Minus: return 0x6D;
    case Qt::Key_Period:
    case Qt::Key_Comma: return 0x6E;
    case Qt::Key_Slash: return 0x6F;
    case Qt::Key_Enter:
    case Qt::Key_Return: return 0x0D;
    // With Num Lock off the keypad sends the navigation keys; they share the main codes.
    default: return 0;
    }
}

}  // namespace

uint16_t virtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers) {
    if (modifiers & Qt::KeypadModifier) {
        if (uint16_t code = keypadKey(qtKey)) return code;
    } else {
        if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<uint16_t>(qtKey);
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<uint16_t>(qtKey);
        for (const auto& [symbol, code] : SYMBOL_KEYS) {
            if (symbol == qtKey) return code;
        }
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<uint16_t>(0x70 + (qtKey - Qt::Key_F1));
    for (const auto& [named, code] : NAMED_KEYS) {
        if (named == qtKey) return code;
    }
    return 0;
}
