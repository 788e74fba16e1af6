#include "corpus.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <regex>

namespace {

const char* const FONT_DIR = "/usr/share/consolefonts/";
const char* const XBM_DIR = "/usr/include/X11/bitmaps/";
const char* const ICON_DIR = "/usr/share/icons/Adwaita/";
const char* const BIOS_DIR = "/usr/share/seabios/";

uint8_t reversed_bits(uint8_t b) {
    uint8_t r = 0;
    for (int i = 0; i < 8; ++i)
        if (b & (1u << i)) r = static_cast<uint8_t>(r | (0x80u >> i));
    return r;
}

std::string file_name(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

}  // namespace

std::optional<LabelledPicture> psf_font(const std::string& path) {
    PsfFont psf = read_psf(path);
    if (!psf.ok()) return std::nullopt;
    LabelledPicture font;
    font.name = file_name(path);
    font.font = true;
    font.width = psf.row_bytes;
    font.bytes = psf.glyph_run(0, psf.glyphs);
    return font;
}

std::optional<LabelledPicture> xbm_bitmap(const std::string& path) {
    const auto raw = read_bytes(path);
    if (!raw) return std::nullopt;
    const std::string text(raw->begin(), raw->end());
    std::smatch m;
    int width = 0, height = 0;
    if (std::regex_search(text, m, std::regex("_width\\s+(\\d+)"))) width = std::stoi(m[1]);
    if (std::regex_search(text, m, std::regex("_height\\s+(\\d+)"))) height = std::stoi(m[1]);
    const size_t brace = text.find('{');
    if (width <= 0 || height <= 0 || brace == std::string::npos) return std::nullopt;
    LabelledPicture picture;
    picture.name = file_name(path) + ".xbm";
    picture.width = (width + 7) / 8;
    const std::regex hex("0x([0-9a-fA-F]{1,2})");
    for (auto it = std::sregex_iterator(text.begin() + static_cast<std::ptrdiff_t>(brace), text.end(), hex);
         it != std::sregex_iterator(); ++it)
        picture.bytes.push_back(reversed_bits(static_cast<uint8_t>(std::stoi((*it)[1], nullptr, 16))));
    if (picture.bytes.size() != static_cast<size_t>(picture.width) * static_cast<size_t>(height))
        return std::nullopt;
    return picture;
}

std::optional<LabelledPicture> png_icon(const std::string& path) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    const int w = static_cast<int>(image.width), h = static_cast<int>(image.height);
    std::vector<int> luma(static_cast<size_t>(w) * static_cast<size_t>(h), -1);
    int lo = 255, hi = 0;
    double sum = 0;
    int opaque = 0;
    for (size_t i = 0; i < luma.size(); ++i) {
        const uint8_t* p = &rgba[i * 4];
        if (p[3] < 128) continue;
        const int y = (p[0] * 299 + p[1] * 587 + p[2] * 114) / 1000;
        luma[i] = y;
        lo = std::min(lo, y);
        hi = std::max(hi, y);
        sum += y;
        ++opaque;
    }
    if (opaque == 0) return std::nullopt;
    // Single-colour (symbolic) icons keep their shape; coloured ones their darker half.
    const bool single_colour = hi - lo < 32;
    const double mean = sum / opaque;
    LabelledPicture picture;
    picture.name = path.substr(std::strlen(ICON_DIR));
    picture.width = (w + 7) / 8;
    picture.bytes.assign(static_cast<size_t>(picture.width) * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int v = luma[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
            if (v < 0 || (!single_colour && v >= mean)) continue;
            picture.bytes[static_cast<size_t>(y * picture.width + x / 8)] |=
                static_cast<uint8_t>(0x80u >> (x % 8));
        }
    return picture;
}

std::vector<FontInImage> vga_bios_fonts(const std::vector<uint8_t>& image, const std::string& name) {
    struct Known {
        int height;
        std::vector<uint8_t> letter_a;
    };
    const Known known[] = {
        {8, {0x30, 0x78, 0xcc, 0xcc, 0xfc, 0xcc, 0xcc, 0x00}},
        {14, {0x00, 0x00, 0x10, 0x38, 0x6c, 0xc6, 0xc6, 0xfe, 0xc6, 0xc6, 0xc6, 0x00, 0x00, 0x00}},
        {16,
         {0x00, 0x00, 0x10, 0x38, 0x6c, 0xc6, 0xc6, 0xfe, 0xc6, 0xc6, 0xc6, 0xc6, 0x00, 0x00, 0x00, 0x00}},
    };
    std::vector<FontInImage> fonts;
    for (const Known& k : known) {
        const auto hit = std::search(image.begin(), image.end(), k.letter_a.begin(), k.letter_a.end());
        const size_t glyph = static_cast<size_t>(k.height);
        if (hit == image.end() || static_cast<size_t>(hit - image.begin()) < 0x41 * glyph) continue;
        const size_t start = static_cast<size_t>(hit - image.begin()) - 0x41 * glyph;
        if (start + 256 * glyph > image.size()) continue;
        FontInImage f;
        f.offset = start;
        f.picture.name = name + " 8x" + std::to_string(k.height);
        f.picture.width = 1;
        f.picture.font = true;
        f.picture.bytes.assign(image.begin() + static_cast<std::ptrdiff_t>(start),
                               image.begin() + static_cast<std::ptrdiff_t>(start + 256 * glyph));
        fonts.push_back(std::move(f));
    }
    return fonts;
}

std::vector<LabelledPicture> width_corpus(std::vector<std::string>* missing) {
    std::vector<LabelledPicture> corpus;
    auto add = [&](std::optional<LabelledPicture> p, const std::string& path) {
        if (p)
            corpus.push_back(std::move(*p));
        else
            missing->push_back(path);
    };
    // Console fonts: 6 to 16 pixels wide (rows of 1 or 2 bytes), 8 to 32 pixels high.
    for (const char* f : {"Lat15-VGA8",          "Lat15-VGA14",         "Lat15-VGA16",
                          "Lat15-Fixed13",       "Lat15-Fixed15",       "Lat15-Fixed18",
                          "Lat15-Terminus12x6",  "Lat15-Terminus14",    "Lat15-TerminusBold16",
                          "Lat15-Terminus18x10", "Lat15-Terminus20x10", "Lat15-TerminusBold22x11",
                          "Lat15-Terminus24x12", "Lat15-Terminus28x14", "Lat15-Terminus32x16",
                          "Greek-VGA16",         "CyrSlav-Fixed16",     "Arabic-Fixed15",
                          "Armenian-Fixed18",    "Ethiopian-Goha14",    "Hebrew-TerminusBold18x10",
                          "Lat2-VGA28x16",       "Lao-Fixed16",         "Georgian-Fixed13"}) {
        const std::string path = std::string(FONT_DIR) + f + ".psf.gz";
        add(psf_font(path), path);
    }
    // X bitmaps: the real icons among them, 16x16 up to 300x350.
    for (const char* f : {"calculator", "escherknot",  "flagdown",    "flagup",   "letters",  "mailempty",
                          "mailfull",   "mensetmanus", "noletters",   "terminal", "wingdogs", "woman",
                          "xfd_icon",   "xlogo32",     "xlogo64",     "xsnow",    "sipb",     "keyboard16",
                          "star",       "target",      "tie_fighter", "left_ptr", "xlogo16",  "icon"}) {
        const std::string path = std::string(XBM_DIR) + f;
        add(xbm_bitmap(path), path);
    }
    // The fonts inside VGA BIOS images.
    for (const char* f : {"vgabios-stdvga.bin", "vgabios-cirrus.bin"}) {
        const std::string path = std::string(BIOS_DIR) + f;
        const auto image = read_bytes(path);
        if (!image) {
            missing->push_back(path);
            continue;
        }
        for (auto& font : vga_bios_fonts(*image, f)) corpus.push_back(std::move(font.picture));
    }
    // Icons: single-colour ones at 16 to 96 pixels, and coloured ones at 48 and 256 pixels.
    const char* const symbolic[] = {
        "status/airplane-mode-symbolic",    "status/alarm-symbolic",      "status/avatar-default-symbolic",
        "status/battery-level-50-symbolic", "actions/edit-copy-symbolic", "actions/document-open-symbolic",
        "actions/mail-send-symbolic",       "devices/printer-symbolic",   "places/user-trash-symbolic"};
    for (const char* size : {"16x16", "24x24", "32x32", "48x48", "64x64", "96x96"})
        for (const char* icon : symbolic) {
            const std::string path = std::string(ICON_DIR) + size + "/" + icon + ".symbolic.png";
            add(png_icon(path), path);
        }
    for (const char* icon : {"48x48/legacy/accessories-calculator.png", "48x48/legacy/utilities-terminal.png",
                             "48x48/legacy/system-file-manager.png", "256x256/places/user-trash.png"}) {
        const std::string path = std::string(ICON_DIR) + icon;
        add(png_icon(path), path);
    }
    return corpus;
}

std::vector<uint8_t> machine_code(size_t bytes, std::vector<std::string>* missing) {
    std::vector<uint8_t> code;
    for (const char* f :
         {"/usr/lib/x86_64-linux-gnu/libQt6Widgets.so.6", "/usr/bin/cmake",
          "/usr/lib/x86_64-linux-gnu/libc.so.6", "/usr/lib/x86_64-linux-gnu/libstdc++.so.6",
          "/usr/lib/x86_64-linux-gnu/libX11.so.6", "/usr/bin/bash", "/usr/bin/python3.11",
          "/usr/lib/x86_64-linux-gnu/libcrypto.so.3", "/usr/lib/x86_64-linux-gnu/libQt6Gui.so.6"}) {
        if (code.size() >= bytes) break;
        const auto elf = read_bytes(f);
        const auto text = elf ? elf_section(*elf, ".text") : std::nullopt;
        if (!text) {
            missing->push_back(f);
            continue;
        }
        code.insert(code.end(), text->begin(),
                    text->begin() + static_cast<std::ptrdiff_t>(std::min(text->size(), bytes - code.size())));
    }
    return code;
}

std::vector<uint8_t> compressed_data(size_t bytes, std::vector<std::string>* missing) {
    // Gzipped manual pages and console fonts, stored as they are.
    std::vector<std::string> files{"/usr/share/man/man1/bash.1.gz",
                                   "/usr/share/doc/cmake/changelog.Debian.gz"};
    for (const char* set : {"Lat15", "Lat2", "Lat7", "Uni1", "Uni2", "Uni3", "CyrSlav", "CyrAsia", "Greek",
                            "Hebrew", "FullCyrAsia", "FullGreek", "CyrKoi", "FullCyrSlav"})
        for (const char* face : {"Terminus32x16", "TerminusBold32x16", "Terminus28x14", "TerminusBold28x14",
                                 "Terminus24x12", "VGA32x16", "Fixed18", "Terminus22x11"})
            files.push_back(std::string(FONT_DIR) + set + "-" + face + ".psf.gz");
    std::vector<uint8_t> data;
    for (const auto& f : files) {
        if (data.size() >= bytes) break;
        const auto gz = read_bytes(f);
        if (!gz) {
            missing->push_back(f);
            continue;
        }
        data.insert(data.end(), gz->begin(),
                    gz->begin() + static_cast<std::ptrdiff_t>(std::min(gz->size(), bytes - data.size())));
    }
    return data;
}

PlantedHost plant_pictures(std::vector<uint8_t> host, const std::vector<LabelledPicture>& pictures,
                           uint64_t seed, uint64_t gap) {
    // Offsets are drawn first, then each picture goes in at its place, host bytes moved apart,
    // so the host keeps all of its content and pictures never touch.
    CorpusRandom random(seed);
    std::vector<uint64_t> places;
    for (size_t i = 0; i < pictures.size(); ++i) places.push_back(random.below(host.size() + 1));
    std::sort(places.begin(), places.end());
    PlantedHost out;
    uint64_t from = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
        const uint64_t at = std::max(places[i], std::min<uint64_t>(from + gap, host.size()));
        const uint64_t take = at > from ? at - from : 0;
        out.bytes.insert(out.bytes.end(), host.begin() + static_cast<std::ptrdiff_t>(from),
                         host.begin() + static_cast<std::ptrdiff_t>(from + take));
        from += take;
        PlantedPicture p;
        p.name = pictures[i].name;
        p.start = out.bytes.size();
        out.bytes.insert(out.bytes.end(), pictures[i].bytes.begin(), pictures[i].bytes.end());
        p.end = out.bytes.size();
        p.width = pictures[i].width;
        p.font = pictures[i].font;
        out.pictures.push_back(p);
    }
    out.bytes.insert(out.bytes.end(), host.begin() + static_cast<std::ptrdiff_t>(from), host.end());
    return out;
}
