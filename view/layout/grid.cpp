#include "view/layout/grid.h"

#include <algorithm>

#include "runtime/image/image.h"

void draw_grid(int width, int height) {
    const int reach = std::max(width, height);
    for (int g = 0; g <= reach; g += GRID_STEP) {
        const ColourValue colour = g % 64 == 0 ? COLOUR_GRID_MAJOR : COLOUR_GRID_MINOR;
        drawLine(g, 0, g, height, colour);
        drawLine(0, g, width, g, colour);
    }
}
