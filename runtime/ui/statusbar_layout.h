#pragma once
// Where the fields of a status bar end, kept toolkit-free so that the layout rule is tested
// on its own. Internal to runtime/ui.
#include <vector>

#include "runtime/ui/statusbar.h"

// Right edges, in pixels from the bar's left, of fields of the given widths laid out in
// `available` pixels: fixed widths are summed, and every STATUS_FIELD_SHARED field gets an
// equal share (integer division) of what the fixed fields leave. Edges past `available` are
// kept as they are (the field is cut off when drawn); a negative share is kept as well.
[[nodiscard]] std::vector<int> statusFieldEdges(const std::vector<int>& widths, int available);
