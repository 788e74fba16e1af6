#pragma once
// The picture list: a control of rows, each a thumbnail followed by columns of text, for lists
// too long to be built whole. The program says how many rows there are and hands out a row's
// texts and thumbnail only when the list asks, for the rows in sight, so that tens of thousands
// of rows cost no more than the dozen shown.
//
// A row is chosen by a click on it, or by Enter on the selected row: the list posts
// EventCode::Control with ControlEventKind::Click, and the row is the control's state. The arrow
// keys, Page Up/Down, Home and End move the selection and post nothing.
//
// State (controlState): the selected row, -1 for none. setControlState selects a row (-1 for
// none) without scrolling the list and posts nothing. controlText gives the headings joined by
// tabs; the layout dump lists the rows' texts too.
#include <functional>
#include <string>
#include <vector>

#include "runtime/image/surface.h"

struct PictureListContent {
    // The text of column `column` (1 on; column 0 holds the thumbnail only) of row `row`.
    std::function<std::string(int row, int column)> text;
    // Draws the thumbnail of row `row` into `into`, which has the list's thumbnail size and is
    // black. The picture is kept until the rows change (setPictureListRows).
    std::function<void(int row, PixelSurface& into)> thumbnail;
};

struct PictureListColumn {
    std::string heading;
    int width = 0;  // pixels at the start; the user may drag the heading's edge
};

// A list in the current container window with these columns (the first holds the thumbnails)
// and thumbnails of thumbnailWidth x thumbnailHeight pixels. Nonzero on success.
int createPictureList(int number, int x, int y, int width, int height,
                      const std::vector<PictureListColumn>& columns, int thumbnailWidth, int thumbnailHeight);
// Gives the list what it shows. Nonzero when the control is a picture list.
int setPictureListContent(int list, PictureListContent content);
// The content changed: `rows` rows now, each asked for again when it is next shown. The scroll
// position and the selected row number stay (within the new count); posts nothing.
int setPictureListRows(int list, int rows);
