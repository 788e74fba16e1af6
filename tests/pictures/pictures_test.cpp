// The Pictures window's arithmetic: the list in rank order while the scan's pictures arrive in
// pieces, the filter's counts, the map's rows and clicks for files of any size, and the
// thumbnail's area for a font and a picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "app/pictures/file_map.h"
#include "app/pictures/picture_table.h"
#include "app/pictures/thumbnail.h"

namespace {

// Pictures in file order with scores on a coarse grid, so that ties (and SHOWN_SCORE itself) occur.
std::vector<FoundPicture> pictures_in_file_order(size_t count) {
    std::mt19937 random(11);
    std::vector<FoundPicture> pictures(count);
    for (size_t i = 0; i < count; ++i) {
        pictures[i].start = i * 1000;
        pictures[i].end = i * 1000 + 512;
        pictures[i].width = 2;
        pictures[i].score = static_cast<double>(random() % 11) / 10.0;
    }
    return pictures;
}

TEST(PictureTable, PiecesArrivingInFileOrderKeepTheRankOrderAndTheCounts) {
    const std::vector<FoundPicture> all = pictures_in_file_order(300);
    std::vector<FoundPicture> ranked = all;
    rank_pictures(ranked);
    std::vector<FoundPicture> passing;
    for (const FoundPicture& p : ranked)
        if (p.score >= SHOWN_SCORE) passing.push_back(p);

    const auto rows = [](const PictureTable& table) {
        std::vector<FoundPicture> shown;
        for (size_t row = 0; row < table.shown(); ++row) shown.push_back(table.shown(row));
        return shown;
    };
    for (const size_t piece : {size_t{1}, size_t{7}, size_t{300}}) {
        PictureTable table;
        for (size_t at = 0; at < all.size(); at += piece)
            table.add(std::span(all).subspan(at, std::min(piece, all.size() - at)));
        EXPECT_EQ(rows(table), passing) << "pieces of " << piece;
        EXPECT_EQ(table.hidden(), all.size() - passing.size());
        table.set_filter(false);
        EXPECT_EQ(rows(table), ranked) << "pieces of " << piece;
        EXPECT_EQ(table.hidden(), 0u);
        EXPECT_EQ(table.row_of(ranked[123]), 123u);
        table.set_filter(true);
        const FoundPicture& low =
            *std::find_if(all.begin(), all.end(), [](auto& p) { return p.score < 0.5; });
        EXPECT_EQ(table.row_of(low), std::nullopt);
    }
}

// A click on a row goes to that row's first byte, which lies in the row; no byte before it does.
TEST(FileMap, RowsAndTheirFirstBytesAgreeForFilesOfEverySize) {
    const uint64_t sizes[] = {1, 7, 539, 540, 541, 1000003, 1ull << 30, 5ull << 30, 1ull << 62};
    for (const uint64_t size : sizes) {
        const FileMap map{size, 540};
        EXPECT_EQ(map.row_of(0), 0);
        EXPECT_EQ(map.row_of(size - 1), size >= 540 ? 539 : static_cast<int>((size - 1) * 540 / size));
        EXPECT_EQ(map.row_of(size + 10), 539) << size;
        for (int row = 0; row < 540; ++row) {
            const uint64_t first = map.first_byte_of(row);
            ASSERT_LT(first, size);
            if (size >= 540) {
                ASSERT_EQ(map.row_of(first), row) << size;
            }
            if (first > 0 && map.row_of(first) == row) {
                ASSERT_LT(map.row_of(first - 1), row) << size;
            }
        }
    }
    EXPECT_EQ(FileMap{}.row_of(5), 0);
}

TEST(FileMap, MarksKeepTheBestScoreOfEachRowAndTheViewSpansItsBytes) {
    const FileMap map{1000, 10};
    std::vector<FoundPicture> pictures(2);
    pictures[0] = {.start = 150, .end = 420, .width = 1, .score = 0.3};
    pictures[1] = {.start = 390, .end = 400, .width = 1, .score = 0.9};
    std::vector<double> marks = unmarked_rows(map);
    for (const FoundPicture& picture : pictures) mark_picture(map, picture, marks);
    EXPECT_EQ(marks, (std::vector<double>{-1, 0.3, 0.3, 0.9, 0.3, -1, -1, -1, -1, -1}));
    EXPECT_EQ(map_view_span(map, 250, 100), (MapSpan{2, 3}));
    EXPECT_EQ(map_view_span(map, -30, 10), (MapSpan{0, 0}));
}

TEST(Thumbnail, AFontShowsWholeGlyphsInColumnsAndAPictureItsOwnRows) {
    const std::vector<uint8_t> file(10000, 0x5A);
    FoundPicture font{.start = 100, .end = 100 + 95 * 16, .width = 1, .kind = PictureKind::Font};
    font.cell_width = 8;
    font.cell_height = 16;
    SpriteLayoutInput in = thumbnail_layout(file, font, 128, 40);
    EXPECT_TRUE(in.multi);
    EXPECT_EQ(in.view_height, 32);  // two glyphs a column
    EXPECT_EQ(in.view_width, 128);  // 16 of the 48 columns fit
    EXPECT_EQ(in.data, file.data() + 100);

    const FoundPicture picture{.start = 9000, .end = 9030, .width = 3};
    in = thumbnail_layout(file, picture, 128, 40);
    EXPECT_FALSE(in.multi);
    EXPECT_EQ(in.view_height, 10);
    EXPECT_EQ(in.view_width, 24);
    EXPECT_EQ(in.len, 1000);
    EXPECT_EQ(
        thumbnail_layout(file, FoundPicture{.start = 10000, .end = 10100, .width = 1}, 128, 40).view_width,
        0);
}

}  // namespace
