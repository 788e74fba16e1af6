#pragma once
// Status bars along the bottom of a window's client area.
#include <string>

#include "runtime/ui/events.h"

constexpr int STATUS_FIELD_SHARED = -65535;

namespace StatusFlag {
enum : int { Plain = 0, Raised = 1, NoBorder = 2, Centred = 4, RightAligned = 8 };
}

int createStatusBar(int number, WindowHandle window);
// Appends a field to the bar created last; STATUS_FIELD_SHARED shares the remaining width.
void addStatusField(int width);
int setStatusText(int bar, int field, const std::string& text, int flags);
std::string statusText(int bar, int field);
// Right edge of a field in pixels, as laid out; -1 for an unknown bar or field.
int statusFieldRightEdge(int bar, int field);
