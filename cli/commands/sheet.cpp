// sheet: the same bytes laid out at every width of a range, side by side in one picture.
#include <memory>

#include "cli/commands/commands.h"
#include "cli/files/mapped_file.h"
#include "cli/files/output.h"
#include "cli/formats/picture_file.h"
#include "cli/pictures/pixel_font.h"
#include "cli/pictures/sheet_layout.h"
#include "cli/pictures/view_picture.h"
#include "runtime/image/image.h"

namespace {

constexpr int SHEET_IMAGE = 0;
constexpr int STRIP_IMAGE = 1;

struct SheetArgs {
    std::string input;
    std::string output;
    WidthRange widths;
    ViewOffset offset;
    int rows = 0;  // 0: as many as fill the view's height
    int zoom = 1;
    Transforms transforms;
};

int sheet(const SheetArgs& args) {
    const std::optional<PictureFormat> format = picture_format_of_path(args.output);
    if (!format || *format == PictureFormat::Pbm) {
        return report(EXIT_BAD_ARGUMENTS, "sheet: the output must be a .png or .bmp file: " + args.output);
    }
    const int rows = args.rows > 0 ? args.rows : VIEW_HEIGHT / args.zoom;
    if (int64_t{rows} * args.zoom > MAX_PICTURE_SIDE) {
        return report(EXIT_BAD_ARGUMENTS, "sheet: --rows " + std::to_string(rows) + " at zoom " +
                                              std::to_string(args.zoom) + " is taller than " +
                                              std::to_string(MAX_PICTURE_SIDE) + " pixels");
    }
    const SheetLayout layout = sheet_layout(args.widths, rows, args.zoom);
    if (layout.width * layout.height > MAX_SHEET_PIXELS || layout.width > INT32_MAX / 4) {
        return report(EXIT_BAD_ARGUMENTS,
                      "sheet: the sheet would be " + std::to_string(layout.width) + " x " +
                          std::to_string(layout.height) +
                          " pixels, more than 64 Mi pixels; ask for fewer widths, fewer rows or a "
                          "smaller zoom");
    }
    MappedFile file;
    if (!file.open(args.input)) {
        return report(EXIT_FILE_PROBLEM, file.error());
    }

    const HeldImage sheet(SHEET_IMAGE);
    const HeldImage strip(STRIP_IMAGE);
    if (newImage(SHEET_IMAGE, static_cast<int>(layout.width), static_cast<int>(layout.height)) == 0) {
        return report(EXIT_FILE_PROBLEM, "not enough memory for a sheet of this size");
    }
    for (const StripPlace& place : layout.strips) {
        ViewRequest view;
        view.offset = args.offset;
        view.row_width = place.row_width;
        view.zoom = args.zoom;
        view.transforms = args.transforms;
        view.width = place.width;
        view.height = place.height;
        if (!draw_view(STRIP_IMAGE, file.bytes(), view)) {
            return report(EXIT_FILE_PROBLEM, "not enough memory for a strip of this size");
        }
        if (beginDrawing(imageTarget(SHEET_IMAGE)) == 0) {
            return report(EXIT_FILE_PROBLEM, "cannot draw the sheet");
        }
        const std::string label = std::to_string(place.row_width);
        draw_label(place.slot_x + 1, 1, label, SHEET_LABEL_COLOUR);
        fillBox(place.x + place.width, place.y, place.slot_width - place.width, place.height,
                SHEET_PADDING_COLOUR);
        blitImage(imageBitmap(STRIP_IMAGE), place.x, place.y);
        if (place.slot_x + place.slot_width < layout.width) {
            fillBox(place.slot_x + place.slot_width, 0, SHEET_SEPARATOR, static_cast<int>(layout.height),
                    SHEET_SEPARATOR_COLOUR);
        }
        endDrawing();
    }
    if (file.lost_bytes()) {
        return report(EXIT_FILE_PROBLEM, file.lost_bytes_error());
    }

    const std::vector<uint8_t> bytes = encode_picture(*sheet.surface(), *format, COLOUR_SET_BIT);
    if (bytes.empty()) {
        return report(EXIT_FILE_PROBLEM, "cannot encode the sheet for " + args.output);
    }
    std::string error;
    if (!write_output(args.output, bytes, &error)) {
        return report(EXIT_FILE_PROBLEM, error);
    }
    return EXIT_DONE;
}

}  // namespace

Command add_sheet_command(CLI::App& program) {
    auto args = std::make_shared<SheetArgs>();
    CLI::App* c =
        add_subcommand(program, "sheet",
                       "Lay out the same bytes at every width of a range, side by side, each strip labelled "
                       "with its width");
    add_input_file(*c, args->input);
    add_parsed(*c, "--widths", args->widths, "The row widths A-B (or one width A), 1 to 255", "A-B",
               parse_width_range)
        ->required();
    add_parsed(*c, "-d,--offset", args->offset,
               "The file byte at the top left of every strip (default 0); -1 to -255 start that many "
               "positions before the file, drawn black as in the window",
               "OFFSET", parse_view_offset);
    add_number(*c, "-r,--rows", args->rows, 1, MAX_PICTURE_SIDE,
               "Data rows per strip (default: as many as fill 512 pixels at the zoom)")
        ->type_name("N");
    add_zoom(*c, args->zoom);
    add_transforms(*c, args->transforms);
    c->add_option("-o,--output", args->output, "The sheet to write: .png or .bmp")
        ->required()
        ->type_name("OUT");
    return {c, [args] { return sheet(*args); }};
}
