#include "app/settings.h"

#include "app/shell_ids.h"
#include "app/shell_state.h"
#include "runtime/store/prefs.h"
#include "runtime/ui/controls.h"
#include "runtime/ui/events.h"
#include "runtime/ui/menus.h"
#include "runtime/ui/requesters.h"

namespace {

constexpr int32_t MAXWIDTH_FALLBACK = 75;

bool valid_zoom(int32_t zoom) { return zoom == 1 || zoom == 2 || zoom == 4 || zoom == 8; }

}  // namespace

void read_settings(const std::string& path) {
    if (openPrefs(path) == 0) {
        return;
    }
    selectPrefGroup("Options");

    view_settings.zoom = readPrefInt("zoom", 1);
    if (!valid_zoom(view_settings.zoom)) {
        view_settings.zoom = 1;
        messageBox("Wrong settings", "Zoom must be 1,2,4,8.Fixed");
    }
    setControlState(MultiColBox, readPrefInt("Multi", 0));
    setControlState(GridBox, readPrefInt("Grid", 0));
    setControlState(InverseBox, readPrefInt("Inverse", 0));
    setControlState(ReverseBox, readPrefInt("Reverse", 0));

    view_settings.ontop = readPrefInt("ontop", 0);
    setMenuItemChecked(MainMenu, CmdStayOnTop, view_settings.ontop != 0 ? 1 : 0);

    view_settings.maxwidth = readPrefInt("maxwidth", MAX_ROW_WIDTH);
    if (view_settings.maxwidth > MAX_ROW_WIDTH || view_settings.maxwidth < 1) {
        view_settings.maxwidth = MAXWIDTH_FALLBACK;
        messageBox("Wrong settings", "Bad maxwidth.Fixed to 75");
    }
    setControlAttribute(WidthScrollBar, ScrollBarAttribute::Maximum, view_settings.maxwidth);
    closePrefs();

    setMenuItemChecked(MainMenu, CmdGrid, flag_set(GridBox) ? 1 : 0);
    setMenuItemChecked(MainMenu, CmdInverse, flag_set(InverseBox) ? 1 : 0);
    setMenuItemChecked(MainMenu, CmdMultiColumns, flag_set(MultiColBox) ? 1 : 0);
    setMenuItemChecked(MainMenu, CmdReverse, flag_set(ReverseBox) ? 1 : 0);
    setStayOnTop(MainWindow, view_settings.ontop);
}

void write_settings(const std::string& path) {
    if (createPrefs(path) == 0) {
        return;
    }
    selectPrefGroup("Options");
    writePrefInt("Zoom", view_settings.zoom);
    writePrefInt("Multi", flag_set(MultiColBox) ? 1 : 0);
    writePrefInt("Grid", flag_set(GridBox) ? 1 : 0);
    writePrefInt("Inverse", flag_set(InverseBox) ? 1 : 0);
    writePrefInt("Reverse", flag_set(ReverseBox) ? 1 : 0);
    writePrefInt("maxwidth", view_settings.maxwidth);
    writePrefInt("ontop", view_settings.ontop);
    closePrefs();
}
