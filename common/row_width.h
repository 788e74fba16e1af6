#pragma once
// The widest row of bytes the program lays out: the bound of the width scroll bar and of the
// maxwidth setting, and of the widths a picture search tries. Here, below both the view and the
// analysis, so that each of them can name it.
constexpr int MAX_ROW_WIDTH = 255;
