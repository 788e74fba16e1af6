// gallery: a contact sheet of the best pictures of a file, each drawn at its width and captioned.
#include <memory>
#include <vector>

#include "cli/commands/commands.h"
#include "cli/files/mapped_file.h"
#include "cli/files/output.h"
#include "cli/formats/picture_file.h"
#include "cli/pictures/gallery_layout.h"
#include "cli/pictures/view_picture.h"
#include "cli/walk/long_run.h"
#include "cli/walk/pictures_in_pieces.h"
#include "runtime/image/image.h"

namespace {

constexpr int SCAN_THREADS = 2;
constexpr int GALLERY_IMAGE = 0;
constexpr int TILE_IMAGE = 1;
constexpr int MAX_TOP = 1000;

struct GalleryArgs {
    std::string input;
    std::string output;
    int top = 24;
    double min_score = SHOWN_SCORE;
    bool progress = false;
};

// Draws the tiles and their captions; false when an image cannot be made.
bool draw_gallery(const MappedFile& file, const std::vector<FoundPicture>& pictures,
                  const GalleryLayout& layout) {
    if (newImage(GALLERY_IMAGE, layout.width, layout.height) == 0) return false;
    if (beginDrawing(imageTarget(GALLERY_IMAGE)) == 0) return false;
    fillBox(0, 0, layout.width, layout.height, GALLERY_BACKGROUND);
    endDrawing();
    for (size_t i = 0; i < pictures.size(); ++i) {
        const GalleryTile& tile = layout.tiles[i];
        ViewRequest view;
        view.offset.in_file = pictures[i].start;
        view.row_width = pictures[i].width;
        view.zoom = tile.zoom;
        view.multi = true;
        view.width = GALLERY_TILE;
        view.height = GALLERY_TILE;
        if (!draw_view(TILE_IMAGE, file.bytes(), view) || beginDrawing(imageTarget(GALLERY_IMAGE)) == 0)
            return false;
        blitImage(imageBitmap(TILE_IMAGE), tile.x, tile.y);
        const std::vector<std::string> caption = gallery_caption(pictures[i]);
        for (size_t line = 0; line < caption.size(); ++line)
            draw_label(tile.x, tile.y + GALLERY_TILE + 2 + static_cast<int>(line) * GALLERY_LINE,
                       caption[line], GALLERY_TEXT);
        endDrawing();
    }
    if (pictures.empty() && beginDrawing(imageTarget(GALLERY_IMAGE)) != 0) {
        draw_label(GALLERY_GAP, GALLERY_GAP, "NO PICTURE", GALLERY_TEXT);
        endDrawing();
    }
    return true;
}

int gallery(const GalleryArgs& args) {
    const std::optional<PictureFormat> format = picture_format_of_path(args.output);
    if (!format || *format == PictureFormat::Pbm)
        return report(EXIT_BAD_ARGUMENTS, "gallery: the output must be a .png or .bmp file: " + args.output);
    MappedFile file;
    if (!file.open(args.input)) return report(EXIT_FILE_PROBLEM, file.error());
    LongRun session(args.progress);
    ScanOptions options;
    std::vector<FoundPicture> pictures;
    const WalkResult walk = pictures_in_pieces(
        file, options, SCAN_THREADS,
        [&](const FoundPicture& p) {
            if (p.score >= args.min_score) pictures.push_back(p);
        },
        session.control());
    session.end_progress();
    if (walk.cancelled || walk.lost_bytes)
        return session.finish(file, walk, "# interrupted: no gallery written");
    rank_pictures(pictures);
    if (pictures.size() > static_cast<size_t>(args.top)) pictures.resize(static_cast<size_t>(args.top));
    std::vector<int> widths;
    for (const FoundPicture& p : pictures) widths.push_back(p.width);
    const GalleryLayout layout = gallery_layout(widths);
    const HeldImage sheet(GALLERY_IMAGE);
    const HeldImage tile(TILE_IMAGE);
    if (!draw_gallery(file, pictures, layout))
        return report(EXIT_FILE_PROBLEM, "not enough memory for the gallery");
    if (file.lost_bytes()) return report(EXIT_FILE_PROBLEM, file.lost_bytes_error());
    const std::vector<uint8_t> bytes = encode_picture(*sheet.surface(), *format, COLOUR_SET_BIT);
    std::string error;
    if (bytes.empty()) return report(EXIT_FILE_PROBLEM, "cannot encode the gallery for " + args.output);
    if (!write_output(args.output, bytes, &error)) return report(EXIT_FILE_PROBLEM, error);
    return session.finish(file, walk, "");
}

}  // namespace

Command add_gallery_command(CLI::App& program) {
    auto args = std::make_shared<GalleryArgs>();
    CLI::App* c =
        add_subcommand(program, "gallery",
                       "Draw the best pictures of FILE side by side in one picture, best first: each "
                       "tile the view of the picture at its width, captioned with its offset, width, "
                       "score and kind");
    add_input_file(*c, args->input);
    c->add_option("-o,--output", args->output, "The gallery to write: .png or .bmp")
        ->required()
        ->type_name("OUT");
    add_number(*c, "-n,--top", args->top, 1, MAX_TOP, "The number of pictures, best first (default 24)")
        ->type_name("N");
    add_parsed(*c, "-s,--min-score", args->min_score,
               "Only pictures scoring at least this, 0 to 1 (default 0.5, the pictures the window visits)",
               "S", parse_score);
    c->add_flag("--progress", args->progress, "Draw a progress bar on standard error");
    return {c, [args] { return gallery(*args); }};
}
