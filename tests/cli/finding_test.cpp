// widths, scan and find: the same answers as one call of the analysis over the whole part,
// though a file is walked in pieces whose memory is given back as the walk goes on.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "analysis/find_pattern.h"
#include "analysis/pictures/found_pictures.h"
#include "analysis/scan/scan_regions.h"
#include "analysis/width_candidates.h"
#include "cli/files/mapped_file.h"
#include "cli/formats/picture_lines.h"
#include "cli/walk/find_in_pieces.h"
#include "cli/walk/pictures_in_pieces.h"
#include "cli/walk/scan_in_pieces.h"
#include "tests/cli/cli_fixture.h"
#include "tests/support/package_files.h"

namespace {

constexpr uint64_t GIB = uint64_t{1} << 30;

// A console font of console-setup-linux.
PsfFont consoleFont(const std::string& name) { return read_psf(std::string(CONSOLE_FONT_DIR) + name); }

// Machine code with console fonts between its parts: real pictures among real code.
std::vector<uint8_t> mixedRealData() {
    std::vector<uint8_t> data = realBytes(200000);
    for (const char* name : {"Lat15-Fixed16.psf.gz", "Lat15-Terminus32x16.psf.gz"}) {
        const PsfFont font = consoleFont(name);
        if (font.ok()) {
            const std::vector<uint8_t> glyphs = font.glyph_run(0, 256);
            data.insert(data.end(), glyphs.begin(), glyphs.end());
        }
        const std::vector<uint8_t> code = realBytes(150000, 300000 + data.size());
        data.insert(data.end(), code.begin(), code.end());
    }
    return data;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string f; std::getline(in, f, '\t');) fields.push_back(f);
    return fields;
}

class Finding : public CliTest {
protected:
    void SetUp() override {
        CliTest::SetUp();
        data_ = mixedRealData();
        input_ = writeInput("mixed.bin", data_);
        ASSERT_TRUE(file_.open(input_)) << file_.error();
    }
    // Starts `scan INPUT --progress` with its output in out.txt and err.txt, and returns its
    // process once the progress bar shows more than `done` bytes; -1 when it does not within a
    // minute.
    pid_t startScan(const std::string& input, uint64_t done) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(::open(path("out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
            ::dup2(::open(path("err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
            ::execl(PIXELSIEVE_CLI, PIXELSIEVE_CLI, "scan", input.c_str(), "--progress",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 600 && child > 0; ++i) {
            // The bar's last state: "\r[###...]  1.5%  62.0 MiB of 4096.0 MiB".
            const std::string err = contentsOf(path("err.txt"));
            const size_t mib = err.rfind(" MiB of ");
            const size_t from = mib == std::string::npos ? mib : err.rfind(' ', mib - 1);
            if (from != std::string::npos && std::stod(err.substr(from, mib - from)) * (1 << 20) > done)
                return child;
            ::usleep(100 * 1000);
        }
        if (child > 0) ::kill(child, SIGKILL);
        return -1;
    }

    std::vector<uint8_t> data_;
    std::string input_;
    MappedFile file_;
};

TEST_F(Finding, ScanInPiecesGivesTheRegionsOfOneCall) {
    ScanOptions options;
    const std::vector<PictureRegion> whole = scan_regions(file_.bytes(), options);
    ASSERT_FALSE(whole.empty()) << "the fonts must be found";
    for (const uint64_t piece : {SCAN_PIECE_ALIGN, 2 * SCAN_PIECE_ALIGN, WALK_PIECE}) {
        std::vector<PictureRegion> pieces;
        uint64_t lastDone = 0;
        WalkControl control;
        control.piece = piece;
        control.progress = [&](uint64_t done, uint64_t total) {
            EXPECT_GE(done, lastDone);
            EXPECT_EQ(total, data_.size());
            lastDone = done;
        };
        const WalkResult walk = scan_in_pieces(
            file_, options, 2, [&](const PictureRegion& r) { pieces.push_back(r); }, control);
        EXPECT_FALSE(walk.cancelled);
        EXPECT_EQ(lastDone, data_.size());
        EXPECT_EQ(pieces, whole) << "pieces of " << piece;
        // The pictures described as the pieces come are those of the whole scan described at once.
        std::vector<FoundPicture> pictures;
        lastDone = 0;
        pictures_in_pieces(
            file_, options, 2, [&](const FoundPicture& p) { pictures.push_back(p); }, control);
        EXPECT_EQ(pictures, describe_regions(file_.bytes(), whole)) << "pieces of " << piece;
    }
    // A part of the file, starting and ending inside pieces.
    options.begin = 70000;
    options.end = data_.size() - 12345;
    std::vector<PictureRegion> part;
    WalkControl control;
    control.piece = SCAN_PIECE_ALIGN;
    scan_in_pieces(
        file_, options, 1, [&](const PictureRegion& r) { part.push_back(r); }, control);
    EXPECT_EQ(part, scan_regions(file_.bytes(), options));
}

TEST_F(Finding, FindInPiecesGivesTheHitsOfOneCallUpToTheLimit) {
    // The upper half of a glyph of the 8 x 16 font, searched with one wrong pixel allowed.
    const PsfFont font = consoleFont("Lat15-Fixed16.psf.gz");
    ASSERT_TRUE(font.ok());
    Pattern pattern{8, 6, {}};
    for (int y = 0; y < 6; ++y) {
        const auto row =
            static_cast<uint8_t>(font.file[font.glyphs_at + 16 * 'A' + 2 + static_cast<size_t>(y)]);
        for (int x = 0; x < 8; ++x) pattern.pixels.push_back(row >> (7 - x) & 1);
    }
    FindOptions options;
    options.row_width = 1;
    options.max_errors = 1;
    options.all_forms = true;
    const std::vector<PatternHit> whole = find_pattern(file_.bytes(), pattern, options);
    ASSERT_GT(whole.size(), 3u);
    for (const size_t limit : {whole.size() + 5, whole.size() - 2}) {
        options.max_hits = limit;
        std::vector<PatternHit> pieces;
        WalkControl control;
        control.piece = SCAN_PIECE_ALIGN;
        bool limited = false;
        find_in_pieces(
            file_, pattern, options, [&](const PatternHit& h) { pieces.push_back(h); }, control, &limited);
        EXPECT_EQ(pieces, find_pattern(file_.bytes(), pattern, options)) << "limit " << limit;
        EXPECT_EQ(limited, limit < whole.size() + 5);
    }
}

TEST_F(Finding, TheWalkGivesBackThePagesItHasPassed) {
    // 256 MiB of holes: every page is touched, but the mapping never holds more than a piece
    // and what is kept behind it.
    ASSERT_TRUE(writeSparse("holes.bin", 256 << 20));
    MappedFile holes;
    ASSERT_TRUE(holes.open(path("holes.bin")));
    const auto* base = holes.bytes().data();
    // Resident kibibytes of this mapping, from the kernel's account of the process's memory.
    auto residentKib = [&] {
        std::ifstream maps("/proc/self/smaps");
        char start[32];
        std::snprintf(start, sizeof start, "%lx-", reinterpret_cast<unsigned long>(base));
        bool inside = false;
        for (std::string line; std::getline(maps, line);) {
            if (line.find('-') != std::string::npos && line.find(' ') > line.find('-') &&
                !line.starts_with("Rss:")) {
                inside = line.starts_with(start);
            }
            if (inside && line.starts_with("Rss:")) return std::stol(line.substr(4));
        }
        return -1L;
    };
    long peak = 0;
    unsigned sum = 0;
    walk_pieces(holes, 0, holes.size(), WALK_PIECE, [&](uint64_t from, uint64_t to) {
        for (uint64_t at = from; at < to; at += 4096) sum += base[at];
        peak = std::max(peak, residentKib());
        return true;
    });
    EXPECT_EQ(sum, 0u);
    EXPECT_GT(peak, 0) << "the mapping was not found in /proc/self/smaps";
    EXPECT_LE(peak, static_cast<long>((WALK_PIECE + WALK_KEPT_BEHIND) / 1024 + 64));
}

TEST_F(Finding, CommandsPrintWhatTheAnalysisFinds) {
    // widths: the ranking of the part, best first, cut at --top.
    const uint64_t fontAt = 200000;
    const CliRun widths =
        runCli({"widths", input_, "--offset", std::to_string(fontAt), "--length", "4096", "--top", "5"});
    ASSERT_EQ(widths.exit_code, 0) << describe(widths);
    const std::vector<WidthCandidate> ranked = width_candidates(file_.bytes(), fontAt, 4096);
    std::vector<std::string> want;
    for (size_t i = 0; i < 5; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "%d\t%.4f", ranked[i].width, ranked[i].score);
        want.push_back(line);
    }
    EXPECT_EQ(linesOf(widths.out), want);
    EXPECT_EQ(linesOf(widths.out)[0], want[0]);
    EXPECT_TRUE(widths.out.starts_with("1\t")) << "an 8-pixel font is one byte wide";

    // scan: every picture the analysis describes, in file order, its score, kind, cell and glyphs
    // beside it; --rank the same lines best first, --min-score on the picture score.
    const CliRun scan = runCli({"scan", input_, "--progress"});
    ASSERT_EQ(scan.exit_code, 0) << describe(scan);
    std::vector<std::string> pictures;
    for (const FoundPicture& p : describe_regions(file_.bytes(), scan_regions(file_.bytes(), {})))
        pictures.push_back(picture_line(p));
    EXPECT_EQ(linesOf(scan.out), pictures);
    EXPECT_NE(scan.err.find("100.0%"), std::string::npos) << "the progress bar ends full: " << scan.err;
    bool console_font = false;
    for (const std::string& line : pictures) {
        const std::vector<std::string> f = fieldsOf(line);
        ASSERT_EQ(f.size(), 7u) << line;
        console_font = console_font || (f[4] == "font" && f[5] == "8x16" && f[6] == "256");
    }
    EXPECT_TRUE(console_font) << "the 8x16 console font among the code: " << scan.out;
    const std::vector<std::string> best_first =
        linesOf(runCli({"scan", input_, "--rank", "--min-score", "0.5"}).out);
    std::vector<double> scores;
    for (const std::string& line : best_first) scores.push_back(std::stod(fieldsOf(line)[3]));
    EXPECT_TRUE(std::is_sorted(scores.rbegin(), scores.rend())) << "best first";
    EXPECT_TRUE(!scores.empty() && scores.back() >= 0.5);
    EXPECT_EQ(best_first.size(),
              static_cast<size_t>(std::count_if(pictures.begin(), pictures.end(), [](const auto& l) {
                  return std::stod(fieldsOf(l)[3]) >= 0.5;
              })));

    // find: the same pattern typed as rows and drawn as a PBM file: the lower half of the
    // console font's A, which its accented As share.
    const PsfFont font = consoleFont("Lat15-Fixed16.psf.gz");
    ASSERT_TRUE(font.ok());
    std::string rows;
    std::string pbm = "P1\n# the lower half of an A\n8 5\n";
    Pattern pattern{8, 5, {}};
    for (int y = 7; y < 12; ++y) {
        const auto row = static_cast<uint8_t>(font.file[font.glyphs_at + 16 * 'A' + static_cast<size_t>(y)]);
        for (int x = 0; x < 8; ++x) {
            const bool set = (row >> (7 - x) & 1) != 0;
            rows += set ? '#' : '.';
            pbm += set ? "1 " : "0 ";
            pattern.pixels.push_back(set ? 1 : 0);
        }
        rows += y < 11 ? "," : "";
        pbm += "\n";
    }
    writeFile(path("pattern.pbm"), pbm);
    const CliRun typed = runCli({"find", input_, "--width", "1", "--rows", rows, "--forms", "all"});
    const CliRun drawn =
        runCli({"find", input_, "--width", "1", "--pattern", path("pattern.pbm"), "--forms", "all"});
    ASSERT_EQ(typed.exit_code, 0) << describe(typed);
    ASSERT_EQ(drawn.exit_code, 0) << describe(drawn);
    EXPECT_EQ(typed.out, drawn.out);
    FindOptions options;
    options.all_forms = true;
    std::vector<std::string> hits;
    for (const PatternHit& h : find_pattern(file_.bytes(), pattern, options)) {
        hits.push_back(std::to_string(h.offset) + "\t" + std::to_string(h.bit) + "\t" +
                       std::to_string(h.errors) + "\t" + pattern_form_name(h.form));
    }
    EXPECT_EQ(linesOf(typed.out), hits);
    ASSERT_GT(hits.size(), 2u) << "the font holds the A and its accented forms";
    const CliRun limited =
        runCli({"find", input_, "-w", "1", "--rows", rows, "--forms", "all", "--max-hits", "2"});
    const std::vector<std::string> first = linesOf(limited.out);
    ASSERT_EQ(first.size(), 3u) << limited.out;
    EXPECT_EQ(first[0], hits[0]);
    EXPECT_EQ(first[1], hits[1]);
    EXPECT_TRUE(first[2].starts_with("# ")) << limited.out;
}

TEST_F(Finding, BadArgumentsAndUnreadableFiles) {
    const std::string missing = path("missing.bin");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"widths", input_, "--top", "0"},
             {"widths", input_, "--offset", "$"},
             {"widths", input_, "--max-width", "256"},
             {"scan", input_, "--min-score", "1.5"},
             {"scan", input_, "--min-score", "-0.1"},
             {"scan", input_, "--min-score", "high"},
             {"find", input_, "--width", "1"},
             {"find", input_, "--width", "1", "--rows", "#", "--pattern", path("p.pbm")},
             {"find", input_, "--width", "1", "--rows", "#.#,##"},
             {"find", input_, "--width", "1", "--rows", "#########"},
             {"find", input_, "--width", "0", "--rows", "#"},
             {"find", input_, "--width", "1", "--rows", "#", "--forms", "some"},
             {"find", input_, "--rows", "#"},
             {"fonts", input_, "--format", "ttf"},
             {"gallery", input_, "-o", path("g.pbm")},
             {"gallery", input_, "-o", path("g.png"), "--top", "0"},
             {"gallery", input_, "-o", path("g.png"), "--min-score", "2"},
             {"gallery", input_},
         }) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exit_code, 2) << args[0] << " " << args.back() << " " << describe(run);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    writeFile(path("broken.pbm"), "P4\n8 8\n\x01");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"widths", missing},
             {"scan", missing},
             {"fonts", missing},
             {"gallery", missing, "-o", path("g.png")},
             {"find", missing, "--width", "1", "--rows", "#"},
             {"find", input_, "--width", "1", "--pattern", missing},
             {"find", input_, "--width", "1", "--pattern", path("broken.pbm")},
         }) {
        const CliRun run = runCli(args);
        EXPECT_EQ(run.exit_code, 1) << args[0] << " " << describe(run);
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(args[1] == input_ ? args.back() : missing), std::string::npos) << run.err;
    }
}

TEST_F(Finding, CtrlCStopsAScanAndPrintsWhatItFound) {
    // A gibibyte of holes keeps the scan busy for a while; it is interrupted once its progress
    // bar shows that it runs.
    ASSERT_TRUE(writeSparse("holes.bin", GIB));
    const pid_t child = startScan(path("holes.bin"), 0);
    ASSERT_GT(child, 0) << "no progress within a minute";
    ASSERT_EQ(::kill(child, SIGINT), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal instead of stopping the scan";
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::vector<std::string> lines = linesOf(contentsOf(path("out.txt")));
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("# interrupted after about ")) << lines.back();
}

TEST_F(Finding, AFileCutShortDuringAScanStopsWithOneMessageAfterWhatWasFound) {
    // A font near the start of 8 GiB of holes, cut to 40 MiB by another process once the scan
    // has passed its first piece: the font's regions, then one line naming the file, exit 1.
    const std::vector<uint8_t> glyphs = consoleFont("Lat15-Fixed16.psf.gz").glyph_run(0, 256);
    ASSERT_FALSE(glyphs.empty());
    if (!writeSparse("big.bin", 8 * GIB, 1000, glyphs)) GTEST_SKIP() << "no 8 GiB sparse file here";
    const pid_t child = startScan(path("big.bin"), WALK_PIECE + (8 << 20));
    ASSERT_GT(child, 0) << "no progress within a minute";
    ASSERT_EQ(::truncate(path("big.bin").c_str(), 40 << 20), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);

    std::vector<uint8_t> start(1 << 20);
    std::copy(glyphs.begin(), glyphs.end(), start.begin() + 1000);
    std::vector<std::string> regions;
    for (const FoundPicture& p : describe_regions(start, scan_regions(start, {})))
        regions.push_back(picture_line(p));
    ASSERT_FALSE(regions.empty());
    EXPECT_EQ(linesOf(contentsOf(path("out.txt"))), regions);
    std::string err = contentsOf(path("err.txt"));
    std::replace(err.begin(), err.end(), '\r', '\n');
    std::vector<std::string> messages;
    for (const std::string& line : linesOf(err))
        if (line.starts_with("pixelsieve-cli: ")) messages.push_back(line);
    ASSERT_EQ(messages.size(), 1u) << err;
    EXPECT_NE(messages[0].find("cannot read " + path("big.bin") + ": "), std::string::npos) << messages[0];
}

TEST_F(Finding, EightGibibyteSparseFileScannedPastFourGibibytes) {
    // A font at 5 GiB + 100 in an otherwise empty 8 GiB file: found at its offset, while the
    // scan's memory stays far below the file's size.
    const PsfFont font = consoleFont("Lat15-Fixed16.psf.gz");
    ASSERT_TRUE(font.ok());
    const std::vector<uint8_t> glyphs = font.glyph_run(0, 256);
    const uint64_t at = 5 * GIB + 100;
    const std::string big = path("big.bin");
    if (!writeSparse("big.bin", 8 * GIB, at, glyphs)) GTEST_SKIP() << "no 8 GiB sparse file here";
    // The sanitizer build scans about 5 MiB a second, so the walk covers the font and two
    // piece boundaries rather than all 8 GiB; the release build's whole-file figure is in the
    // README.
    const uint64_t from = 5 * GIB - WALK_PIECE - 4096;
    const CliRun run = runCli(
        {"scan", big, "--offset", std::to_string(from), "--length", std::to_string(2 * WALK_PIECE + 8192)});
    ASSERT_EQ(run.exit_code, 0) << describe(run);
    const std::vector<std::string> lines = linesOf(run.out);
    ASSERT_FALSE(lines.empty());
    bool found = false;
    for (const std::string& line : lines) {
        const uint64_t start = std::stoull(line.substr(0, line.find('\t')));
        found =
            found || (start >= at && start < at + glyphs.size() && line.find("\t1\t") != std::string::npos);
    }
    EXPECT_TRUE(found) << run.out;
    EXPECT_LT(run.peak_rss_kib, 512 * 1024) << "far below 8 GiB";

    const CliRun widths =
        runCli({"widths", big, "--offset", std::to_string(at), "--length", "4096", "--top", "1"});
    EXPECT_EQ(widths.exit_code, 0);
    EXPECT_TRUE(widths.out.starts_with("1\t")) << widths.out;
    // The letter A's rows, typed: found where the font holds them.
    std::string rows;
    for (int y = 0; y < 16; ++y) {
        const auto row = static_cast<uint8_t>(glyphs[16 * 'A' + static_cast<size_t>(y)]);
        for (int x = 0; x < 8; ++x) rows += (row >> (7 - x) & 1) != 0 ? '#' : '.';
        rows += y < 15 ? "," : "";
    }
    const CliRun find =
        runCli({"find", big, "--offset", std::to_string(at), "--length", "4096", "-w", "1", "--rows", rows});
    EXPECT_EQ(find.exit_code, 0) << describe(find);
    EXPECT_EQ(linesOf(find.out).at(0), std::to_string(at + 16 * 'A') + "\t0\t0\tplain");
}

}  // namespace
