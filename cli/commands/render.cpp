// render: the window's picture of a file, to PNG, BMP or PBM.
#include <memory>

#include "cli/commands/commands.h"
#include "cli/files/mapped_file.h"
#include "cli/files/output.h"
#include "cli/formats/picture_file.h"
#include "cli/pictures/view_picture.h"

namespace {

constexpr int RENDER_IMAGE = 0;

struct RenderArgs {
    std::string input;
    std::string output;
    std::string format;
    ViewRequest view;
    PictureSize size{VIEW_WIDTH, VIEW_HEIGHT};
};

int render(RenderArgs& args) {
    std::optional<PictureFormat> format =
        args.format.empty() ? picture_format_of_path(args.output) : picture_format_named(args.format);
    if (!format) {
        return report(EXIT_BAD_ARGUMENTS, args.format.empty()
                                              ? "render: cannot tell the format from " + args.output +
                                                    " (use .png, .bmp or .pbm, or --format)"
                                              : "render: --format must be png, bmp or pbm");
    }
    if (*format == PictureFormat::Pbm && args.view.grid) {
        return report(EXIT_BAD_ARGUMENTS, "render: --grid needs colours; write PNG or BMP");
    }
    MappedFile file;
    if (!file.open(args.input)) {
        return report(EXIT_FILE_PROBLEM, file.error());
    }
    args.view.width = args.size.width;
    args.view.height = args.size.height;
    const HeldImage image(RENDER_IMAGE);
    if (!draw_view(image.number(), file.bytes(), args.view)) {
        return report(EXIT_FILE_PROBLEM, "not enough memory for a picture of this size");
    }
    if (file.lost_bytes()) {
        return report(EXIT_FILE_PROBLEM, file.lost_bytes_error());
    }
    const std::vector<uint8_t> bytes = encode_picture(*image.surface(), *format, COLOUR_SET_BIT);
    if (bytes.empty()) {
        return report(EXIT_FILE_PROBLEM, "cannot encode the picture for " + args.output);
    }
    std::string error;
    if (!write_output(args.output, bytes, &error)) {
        return report(EXIT_FILE_PROBLEM, error);
    }
    return EXIT_DONE;
}

}  // namespace

Command add_render_command(CLI::App& program) {
    auto args = std::make_shared<RenderArgs>();
    CLI::App* c = add_subcommand(
        program, "render",
        "Draw the view of FILE as the window shows it (600 x 512, or --size) into a PNG, BMP or PBM file");
    add_input_file(*c, args->input);
    add_row_width(*c, args->view.row_width);
    add_parsed(*c, "-d,--offset", args->view.offset,
               "The file byte drawn first, at the top left (default 0); -1 to -255 start that many "
               "positions before the file, drawn black as in the window",
               "OFFSET", parse_view_offset);
    add_zoom(*c, args->view.zoom);
    c->add_flag("--multi", args->view.multi, "Further columns side by side, as far as the view reaches");
    add_transforms(*c, args->view.transforms);
    c->add_flag("--grid", args->view.grid, "Draw the window's grid over the picture (PNG and BMP)");
    add_parsed(*c, "--size", args->size,
               "The picture's size, filled by the same layout (default 600x512, the window's view)", "WxH",
               parse_picture_size);
    c->add_option("-o,--output", args->output,
                  "The picture to write: .png, .bmp or .pbm; - for standard output")
        ->required()
        ->type_name("OUT");
    c->add_option("--format", args->format, "png, bmp or pbm, whatever the output's name")
        ->type_name("FORMAT");
    return {c, [args] { return render(*args); }};
}
