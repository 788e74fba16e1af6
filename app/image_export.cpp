#include "app/image_export.h"

#include "app/shell_ids.h"
#include "data/file_extension.h"
#include "runtime/image/encoders.h"
#include "runtime/ui/requesters.h"

namespace {

constexpr int PATTERN_PNG = 0;
constexpr int PATTERN_BMP = 1;

}  // namespace

void export_image(const ShellState& state) {
    std::string name =
        saveFileDialog("Please choose file to save", state.last_folder + state.last_file_name,
                       "Portable Network Graphics(*.png)|*.png|Bitmap (*.bmp)|*.bmp", PATTERN_PNG);
    if (name.empty()) return;

    // The pattern alone decides the format; the name only gets the matching extension.
    int saved = 0;
    switch (selectedPatternIndex()) {
        case PATTERN_PNG:
            name = with_extension(name, ".png");
            saved = saveImageFile(VIEW_IMAGE, name, FORMAT_PNG);
            break;
        case PATTERN_BMP:
            name = with_extension(name, ".bmp");
            saved = saveImageBmp(VIEW_IMAGE, name);
            break;
        default:
            return;  // only a cancelled dialog reports no pattern, and that returned above
    }
    if (saved == 0) messageBox("Save Image Error", "Error saving\r\n" + name);
}
