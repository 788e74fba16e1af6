#pragma once
// The shell's two records. The six flags live in their check boxes (controlState != 0 is set);
// the accessors in app/ read them from there so box and flag can never disagree.
#include <cstdint>
#include <string>

#include "view/layout/sprite_layout.h"

struct ViewSettings {
    int32_t zoom = 1;       // 1, 2, 4 or 8
    int32_t ontop = 0;      // taken as read; nonzero is on
    int32_t maxwidth = MAX_ROW_WIDTH;  // 1 to MAX_ROW_WIDTH
};

struct ShellState {
    int32_t row_width = 1;
    int32_t row_offset = 0;
    int32_t jump_row = -1;
    int32_t pointer_x = 0;
    int32_t pointer_y = 0;
    int32_t pointer_size = 0;
    std::string last_folder;    // always ends in "/"
    std::string last_file_name;
};
