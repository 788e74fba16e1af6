#pragma once
// Every number the region scan is tuned by, in one table.
//
// Each entry says what it guards and what moves when it changes. "Corpus" is the labelled test
// set of tests/analysis (real fonts and icons planted into the machine code of installed
// programs); its tests print the figures the README quotes:
//   found     ScanRegions.FindsRealFontsAndIconsInRealCode: fonts and icons found at their width
//   code      ScanRegions.FewFalseRegionsInCodeAndCompressedData: false regions per 256 KiB
//   programs  ScanRegions.FewFalseRegionsInWholePrograms: false regions per 256 KiB
//   whole     ScanRegions.WholeRegionsJudgedDrawnOrData: the whole-region judgement's verdicts
//   fonts     ScanRegions.EachFontIsOneRegionAtItsWidth and TheBiosFontsAreFoundInPlace
//   speed     analysis_bench's run_scan_job against cat (bench/analysis_bench.cpp)
// "Moved 20%" gives what those tests printed with the value 20% lower and 20% higher, everything
// else as it is (at the values here: found 30/30 fonts, 46/57 icons, 0.88 false regions per 256
// KiB around them; code 0.44; programs 3.59). Entries without it name the measure the value trades,
// from what the code does with it.
#include <cstdint>
#include <iterator>

#include "analysis/scan/scan_regions.h"

namespace scan_tuning {

// --- Cells, blocks, windows --------------------------------------------------------------------

// Cells judged per block: each block computes the context around itself again, so larger blocks
// waste less, smaller ones keep the per-block buffers in cache. speed.
constexpr uint64_t BLOCK_CELLS = 4096;

// A window of `cells` cells at multiples of `step` proposes widths up to `max_width`; a proposal
// whose agreement (kappa against the window's density) is below `gate` is not checked further.
// Windows of 128 and 256 bytes hold too few rows of anything wider than 16 bytes to judge it.
// Smaller windows find the edges of small icons (found), larger ones thin fonts whose few
// rows per glyph agree weakly (found, fonts); lower gates cost time (speed) and admit tables
// (programs).
struct WindowKind {
    uint64_t cells;
    uint64_t step;
    int max_width;
    double gate;
};
inline constexpr WindowKind WINDOW_KINDS[] = {
    {2, 1, 16, 0.45}, {4, 2, 16, 0.35}, {8, 4, 64, 0.30}, {32, 16, 255, 0.25}};
constexpr size_t WINDOW_KIND_COUNT = std::size(WINDOW_KINDS);

// --- Proposing widths (window_verdict) ---------------------------------------------------------

// Widths up to this are measured for every cell from running sums; wider ones only for windows
// whose pixels agree horizontally (WIDE_TRIGGER). speed; found for icons wider than 16 bytes.
constexpr int SMALL_WIDTHS = 16;
// Wide widths are counted for a cell up to this first, beyond it only when a window asks. speed.
constexpr int MIDDLE_WIDTHS = 64;
// The horizontal agreement (neighbouring pixels within a byte) that makes a window worth
// measuring at widths above SMALL_WIDTHS: pictures that wide are icons with strokes and fills,
// never thin glyphs. Lower costs time (speed). Moved 20%: programs 3.67 / 3.56, found's false
// regions 0.88 / 0.92, no picture gained or lost.
constexpr double WIDE_TRIGGER = 0.4;
// A proposal must reach this share of its acceptance bar already against each bit position's
// density (an upper bound of the column check): tables of small numbers, whose high bits never
// change, stop here. Lower costs time (speed); higher than 1 would drop true pictures (found).
constexpr double BIT_POSITION_SHARE = 0.9;
// A width whose multiple has fewer than this share of its differing bits is a divisor of a record
// size, not a picture's width. Moved 20%: lower, icons 45/57 and false regions 1.00; higher, false
// regions 0.68 and programs 3.55 with every picture kept (a candidate for the next change of the
// scan's answers).
constexpr double PERIOD_RATIO = 0.7;
// Shapes span more than two rows: a width whose double agrees less than this share of its own
// agreement has rows that merely come in pairs (tables of doubled entries). programs.
constexpr double DECAY_MIN = 0.4;

// --- The column check (window_verdict) ---------------------------------------------------------

// The column agreement an accepted width needs: ACCEPT_BASE + ACCEPT_SPREAD / sqrt(rows), more
// where each column has few rows to judge by (chance reaches higher there). Moved 20% (ACCEPT_BASE):
// lower admits tables and code (code 0.56, programs 3.78, false regions 1.04, icons 47/57, a console
// font in two regions); higher loses a font and an icon (29/30, 45/57; programs 3.46).
constexpr double ACCEPT_BASE = 0.17;
constexpr double ACCEPT_SPREAD = 1.2;
// Every inked byte column of an accepted window must agree at least this well on its own: in a
// table of numbers the low bytes vary at random beside the slowly changing high ones. Moved 20%:
// programs 3.62 / 3.55, nothing else.
constexpr double BYTE_COLUMN_MIN = 0.1;
// When the best proposal checks below this share of its bar, the weaker ones are not checked
// (tables and padding agree by their columns alone). speed; found.
constexpr double REJECT_SHARE = 0.6;

// --- Looking drawn (drawn_checks) --------------------------------------------------------------

// Windows and regions whose non-zero bytes are at least this share printable ASCII are text.
// Console fonts reach 0.68 (whole); lower would drop them, higher admits strings (programs).
constexpr double TEXT_SHARE = 0.8;
// Repeated rows plus horizontal agreement must reach this: fonts and icons nearly always do,
// counters and tables in programs mostly not. Moved 20%: lower, programs 3.96, false regions 1.08,
// a console font in two regions; higher, icons 45/57, false regions 0.60, programs 3.39.
constexpr double DRAWN_MIN = 0.5;
// Rows of ink between blank rows, as a share of the inked rows, above which a window is a table of
// small numbers among zeros; glyph strokes span rows. Moved 20%: programs 3.52 / 3.63, nothing else.
constexpr double ISOLATED_MAX = 0.3;

// --- Choosing among a width and its divisors (window_verdict) ----------------------------------

// The bytes of a window that row prediction looks at when it chooses between a width and its
// divisors: it settles the width within a few hundred rows, more costs time. speed; fonts.
constexpr uint64_t PREDICTION_SAMPLE = 256;
// A divisor wins when it predicts at least WIDTH_ONE_RATIO (divisor 1) or WIDTH_MULTIPLE_RATIO
// (others) of the pick's score: the ratios of the width ranking, width_candidates.h.

// --- Labelling cells (cell_labels) -------------------------------------------------------------

// A cell is strong when its own bytes agree at its label's width at least this well (kappa against
// the labelling window's density), or lies between strong cells (BRIDGE_CELLS). Moved 20%: no
// figure moves (programs 3.58 at the higher value): bridging carries the weak cells either way.
constexpr double CELL_MIN = 0.12;
// A cell between strong cells of its width, this many cells away at most, keeps the width:
// blank glyphs inside a font, a quiet stretch of an icon. fonts.
constexpr uint64_t BRIDGE_CELLS = 32;
// A cell's width yields to a divisor that labels as many cells this close, provided its own rows
// agree at the divisor at least SMOOTH_OWN_RATIO as well: one picture keeps one width. fonts.
constexpr uint64_t SMOOTH_CELLS = 16;
constexpr double SMOOTH_OWN_RATIO = 0.8;
// A kept cell yields to a divisor of its width kept this close (a sliver at 2W or 4W where a
// font's glyphs line up), provided its own rows agree at the divisor at least ABSORB_OWN_RATIO as
// well. fonts ("no sliver at a multiple inside").
constexpr uint64_t ABSORB_CELLS = 8;
constexpr double ABSORB_OWN_RATIO = 0.7;

// --- Region edges (region_edges) ---------------------------------------------------------------

// Per byte, the differing bits (of 8) against the row below under which a byte counts as part
// of the picture when a region's first and last bytes are placed. Moved 20%: lower, programs 3.89,
// false regions 1.00, a console font in two regions; higher, programs 3.43, code 0.50.
constexpr double EDGE_TOLERANCE = 3.0;

// --- Judging whole regions (drawn_checks) ------------------------------------------------------

// Whole regions with more printable bytes than this share of the non-zero ones, or more letters
// and spaces than REGION_LETTER_SHARE, are strings (the installed console fonts reach 0.68 and
// 0.42). whole, programs.
constexpr double REGION_TEXT_SHARE = 0.8;
constexpr double REGION_LETTER_SHARE = 0.5;
// At width 1: fewer non-zero bytes than this share is a sparse table (fonts: 0.3 and more), and
// values that rise (or fall) more often than the opposite by REGION_SORTED_SHARE of the changes
// are a sorted one (fonts: under 0.1), judged only with REGION_MIN_CHANGES changes or more.
// whole, programs.
constexpr double REGION_SPARSE_SHARE = 0.15;
constexpr double REGION_SORTED_SHARE = 0.3;
constexpr uint64_t REGION_MIN_CHANGES = 8;

// --- Derived: how far each block computes around itself ----------------------------------------

constexpr uint64_t LARGEST_WINDOW = [] {
    uint64_t most = 0;
    for (const WindowKind& kind : WINDOW_KINDS) most = most > kind.cells ? most : kind.cells;
    return most;
}();
// A label decides cells this far away through smoothing, bridging and absorbing.
constexpr uint64_t LABEL_REACH = BRIDGE_CELLS + SMOOTH_CELLS + ABSORB_CELLS + 2;
// The cells a block measures around its own, so that every answer inside is complete.
constexpr uint64_t MARGIN_CELLS = LARGEST_WINDOW + LABEL_REACH + 4;

// Windows are two halves at multiples of their step, and the wide widths are summed per half
// (CellView::group_widths).
static_assert([] {
    for (const WindowKind& kind : WINDOW_KINDS)
        if (kind.cells != 2 * kind.step || (kind.step & (kind.step - 1)) != 0 || kind.step > 16) return false;
    return true;
}());

}  // namespace scan_tuning
